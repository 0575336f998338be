#pragma once
// What the program's two skinned windows do alike: their fonts, their transparent text lines, their
// buttons' set-up, and GDI objects selected for a scope.

#include <windows.h>

#include "framework/DC.h"
#include "framework/Font.h"
#include "framework/GdiObject.h"
#include "framework/String.h"

class CSkinButton;

// Creates `font` as the windows' interface face at character height `height` (negative: the height
// of the characters without their internal leading, in pixels): normal weight, default character set,
// precisions and quality, FF_SWISS with default pitch. FALSE when GDI refuses; `font` then holds
// nothing and text is drawn in the context's current font.
BOOL CreateSkinFont(CFont& font, int height, const wchar_t* faceName);

// DrawText of `text` into `rect` with `format`, in `font` (when it holds a font) and `color` over a
// transparent background. The context's font, background mode and text colour are as before
// afterwards.
void DrawSkinText(CDC* dc, const CString& text, RECT rect, UINT format, const CFont& font, COLORREF color);

// The images of a skinned push button, PNG resource ids, and its size.
struct SkinButtonLook
{
    UINT normal;
    UINT hover;
    UINT pressed;
    UINT focused;
    int width;
    int height;
};

// Sets a bound button up as both windows do: the images, the push style, the dialog's back buffer
// `backDC` under its pictures, the look's size (at the top of its siblings' Z order, its position left
// to the layout) and `caption`. Images that fail to load leave their states blank.
void SetUpSkinButton(CSkinButton& button, HDC backDC, const SkinButtonLook& look, const wchar_t* caption);

// Selects a GDI object into a context for a scope and selects the previous one back when it goes,
// before the object itself may go. A NULL object selects nothing.
class CScopedSelect
{
public:
    CScopedSelect(CDC* dc, const CGdiObject& object) : m_dc(dc), m_old(dc->SelectObject(object.m_hObject)) {}
    ~CScopedSelect() { m_dc->SelectObject(m_old); }
    CScopedSelect(const CScopedSelect&) = delete;
    CScopedSelect& operator=(const CScopedSelect&) = delete;

private:
    CDC* m_dc;
    HGDIOBJ m_old;
};
