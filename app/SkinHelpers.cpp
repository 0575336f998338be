#include "app/SkinHelpers.h"

#include "skin/SkinButton.h"

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
    {
        const CScopedSelect selectFont(dc, font);
        dc->DrawText(text, &rect, format);
    }
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
}

void SetUpSkinButton(CSkinButton& button, HDC backDC, const SkinButtonLook& look, const wchar_t* caption)
{
    button.SetImages(L"PNG", look.normal, look.hover, look.pressed, look.focused);
    button.m_nStyle = CSkinButton::StylePush;
    button.m_bTransparent = TRUE;
    button.m_hBkDC = backDC;
    button.SetWindowPos(nullptr, 0, 0, look.width, look.height, SWP_NOMOVE);
    button.SetWindowText(caption);
}
