#pragma once
// CPen: an owned GDI pen.

#include "framework/GdiObject.h"

class CPen : public CGdiObject
{
    DECLARE_DYNAMIC(CPen)

public:
    CPen() = default;
    // A cosmetic pen; check m_hObject, creation may fail.
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }

    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }

    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};
