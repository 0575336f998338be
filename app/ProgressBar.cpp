#include "app/ProgressBar.h"

#include <algorithm>

float ProgressFraction(int perMille)
{
    return static_cast<float>(static_cast<double>(static_cast<unsigned int>(perMille)) / 1000.0);
}

RECT ProgressFillRect(const RECT& bar, float fraction)
{
    const int barWidth = std::max(static_cast<int>(bar.right - bar.left), 0);
    // Clamped before the conversion, which a huge fraction would overflow.
    const double width = std::clamp(static_cast<double>(barWidth) * static_cast<double>(fraction), 0.0,
                                    static_cast<double>(barWidth));
    RECT fill = bar;
    fill.right = bar.left + static_cast<int>(width);
    return fill;
}

RECT ProgressGradientStrip(const RECT& fill)
{
    RECT strip = fill;
    if (strip.right - strip.left > 4)
        strip.left += 4;
    if (strip.right - strip.left > 100)
        strip.left = strip.right - 96;
    return strip;
}

void DrawProgressGradient(CDC* pDC, RECT strip)
{
    TRIVERTEX vertices[2] = {
        {strip.left, strip.top, 0x7500, 0xD000, 0xFF00, 0},       // RGB(117, 208, 255)
        {strip.right, strip.bottom, 0x2E00, 0x9A00, 0xFF00, 0},   // RGB(46, 154, 255)
    };
    // The mesh names its corners the other way round; GDI orders a horizontal gradient's two vertices
    // by x, so each colour stays at its own vertex's edge.
    GRADIENT_RECT mesh = {1, 0};
    ::GradientFill(pDC->m_hDC, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
}
