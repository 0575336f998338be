#pragma once
// CRect: a RECT with the operations the program uses. A default CRect is all zero. Emptiness follows
// IsRectEmpty: right <= left or bottom <= top.

#include <windows.h>

#include "framework/Point.h"
#include "framework/Size.h"

class CRect : public RECT
{
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& rc) : RECT(rc) {}
    CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }

    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL EqualRect(const RECT* other) const { return ::EqualRect(this, other); }
    BOOL PtInRect(POINT pt) const { return ::PtInRect(this, pt); }
    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void OffsetRect(POINT delta) { ::OffsetRect(this, delta.x, delta.y); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }

    operator RECT*() { return this; }
    operator const RECT*() const { return this; }

    friend bool operator==(const RECT& a, const CRect& b) { return ::EqualRect(&a, &b) != FALSE; }
    friend bool operator!=(const RECT& a, const CRect& b) { return !(a == b); }
};
