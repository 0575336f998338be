#pragma once
// Text on the program's skinned windows: their fonts and their transparent text lines.

#include <windows.h>

#include "framework/DC.h"
#include "framework/Font.h"
#include "framework/String.h"

// Creates `font` as the windows' interface face at character height `height` (negative: the height
// of the characters without their internal leading, in pixels): normal weight, default character set,
// precisions and quality, FF_SWISS with default pitch. FALSE when GDI refuses; `font` then holds
// nothing and text is drawn in the context's current font.
BOOL CreateSkinFont(CFont& font, int height, const wchar_t* faceName);

// DrawText of `text` into `rect` with `format`, in `font` (when it holds a font) and `color` over a
// transparent background. The context's font, background mode and text colour are as before
// afterwards.
void DrawSkinText(CDC* dc, const CString& text, RECT rect, UINT format, const CFont& font, COLORREF color);
