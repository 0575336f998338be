#pragma once
// Helpers of the skin tests: GDI+ for the whole program, surfaces whose pixels can be read, captures of
// real windows, and screenshots for people to look at.

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "framework/DC.h"
#include "framework/Rect.h"

// How GoogleTest shows a rectangle in a failure.
void PrintTo(const CRect& rect, std::ostream* os);

namespace quarn_test {

// The nine pieces of grid10.png, [row][column]: borders of 3 pixels around a 4 x 4 centre.
extern const COLORREF kGridColors[3][3];

// Fills and frames of the push images (push_*.png), the icon, and the skinned dialog's background.
extern const COLORREF kNormalFill, kNormalFrame, kHoverFill, kPressedFill, kPressedFrame, kFocusedFill;
extern const COLORREF kIconColor;
extern const COLORREF kDialogBackground;

// A 32-bit top-down bitmap selected into a memory context: something to draw on and read back.
class Canvas
{
public:
    Canvas(int width, int height, COLORREF fill);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CDC* dc() { return &m_dc; }
    HDC hdc() const { return m_dc.m_hDC; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    void Fill(COLORREF color);
    COLORREF At(int x, int y) const;
    // The pixels, top row first, 4 bytes each (blue, green, red, unused).
    const std::uint32_t* Bits() const;
    // How many pixels have this colour.
    int Count(COLORREF color) const;

private:
    int m_width;
    int m_height;
    CDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    std::uint32_t* m_bits = nullptr;
};

// Writes the bytes of the program's resource `id` of type "PNG" to a file `name` in the test's
// temporary folder; its path.
std::wstring WriteResourceToTempFile(UINT id, const wchar_t* name);

// What the window's client area shows now, read from the window's own device context.
void CaptureClient(HWND hWnd, Canvas& canvas);

// Writes the canvas as <build>/screenshots/skin/<name>.png.
void SaveScreenshot(const Canvas& canvas, const wchar_t* name);

}  // namespace quarn_test
