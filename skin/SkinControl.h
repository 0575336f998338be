#pragma once
// ISkinControl: where a skinned control's background comes from. The owner points m_hBkDC at its
// back buffer, a memory context holding the owner's whole client area at client coordinates, and sets
// m_bTransparent; the control then paints the part of that buffer under it before its own drawing, so
// the transparent pixels of its images show the owner's skin.

#include <windows.h>

class ISkinControl
{
public:
    ISkinControl() = default;
    // Clears m_bTransparent; m_hBkDC is borrowed and left alone.
    virtual ~ISkinControl();

    // Copies the part of m_hBkDC that lies under the control `hWnd` in its parent's client area to
    // (0, 0) of `hdc`. Nothing for a NULL window; a failed copy leaves `hdc` as it was.
    void DrawParentBackground(HDC hdc, HWND hWnd);

    HDC m_hBkDC = nullptr;
    BOOL m_bTransparent = FALSE;
};
