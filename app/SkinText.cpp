#include "app/SkinText.h"

BOOL CreateSkinFont(CFont& font, int height, const wchar_t* faceName)
{
    return font.CreateFont(height,
                           0,                     // width: from the height
                           0,                     // escapement
                           0,                     // orientation
                           FW_NORMAL,
                           FALSE,                 // italic
                           FALSE,                 // underline
                           FALSE,                 // strike-out
                           DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS,
                           faceName);
}

void DrawSkinText(CDC* dc, const CString& text, RECT rect, UINT format, const CFont& font, COLORREF color)
{
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->SetTextColor(color);
    // NULL when the font could not be made; nothing is selected then, and nothing selected back.
    const HGDIOBJ oldFont = dc->SelectObject(font.m_hObject);
    dc->DrawText(text, &rect, format);
    dc->SelectObject(oldFont);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
}
