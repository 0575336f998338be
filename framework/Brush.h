#pragma once
// CBrush: an owned GDI brush.

#include "framework/GdiObject.h"

class CBrush : public CGdiObject
{
    DECLARE_DYNAMIC(CBrush)

public:
    CBrush() = default;
    // A solid brush; check m_hObject, creation may fail.
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }

    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }

    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};
