#include "skin/SkinControl.h"

ISkinControl::~ISkinControl()
{
    m_bTransparent = FALSE;
}

void ISkinControl::DrawParentBackground(HDC hdc, HWND hWnd)
{
    if (!hWnd)
        return;
    const HWND parent = ::GetParent(hWnd);
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    POINT topLeft = {rc.left, rc.top};
    POINT bottomRight = {rc.right, rc.bottom};
    ::ScreenToClient(parent, &topLeft);
    ::ScreenToClient(parent, &bottomRight);
    ::BitBlt(hdc, 0, 0, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, m_hBkDC, topLeft.x, topLeft.y, SRCCOPY);
}
