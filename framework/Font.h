#pragma once
// CFont: an owned GDI font.

#include "framework/GdiObject.h"

class CFont : public CGdiObject
{
    DECLARE_DYNAMIC(CFont)

public:
    // CreateFontW with the same arguments; replaces the font held before. FALSE when GDI refuses.
    BOOL CreateFont(int height,
                    int width,
                    int escapement,
                    int orientation,
                    int weight,
                    BYTE italic,
                    BYTE underline,
                    BYTE strikeOut,
                    BYTE charSet,
                    BYTE outPrecision,
                    BYTE clipPrecision,
                    BYTE quality,
                    BYTE pitchAndFamily,
                    const wchar_t* faceName);
    BOOL CreateFontIndirect(const LOGFONTW* logFont);
    int GetLogFont(LOGFONTW* logFont) const { return GetObject(sizeof(LOGFONTW), logFont); }

    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};
