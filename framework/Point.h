#pragma once
// CPoint: a POINT with constructors.

#include <windows.h>

class CPoint : public POINT
{
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int x, int y) : POINT{x, y} {}
    CPoint(POINT pt) : POINT(pt) {}

    friend bool operator==(const POINT& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(const POINT& a, const CPoint& b) { return !(a == b); }
};
