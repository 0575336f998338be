#pragma once
// CSize: a SIZE with constructors.

#include <windows.h>

class CSize : public SIZE
{
public:
    CSize() : SIZE{0, 0} {}
    CSize(int cx, int cy) : SIZE{cx, cy} {}
    CSize(SIZE size) : SIZE(size) {}

    friend bool operator==(const SIZE& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
    friend bool operator!=(const SIZE& a, const CSize& b) { return !(a == b); }
};
