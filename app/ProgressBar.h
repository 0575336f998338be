#pragma once
// The installer window's progress bar: its geometry as pure functions of the bar and the progress,
// and its gradient strip.

#include <windows.h>

#include "framework/DC.h"

// The per-mille progress as the window holds it: the value taken as an unsigned 32-bit number,
// divided by 1000 in double precision and rounded to a 32-bit float. The float is why 98 of the values
// 0 to 1000 fill one pixel less of a 400-pixel bar than 400 × p / 1000 (5 fills 1, 965 fills 385).
float ProgressFraction(int perMille);

// The filled part of `bar`: its left, top and bottom, and a width of trunc(bar width × fraction)
// computed in double precision, kept within the bar (a transfer that receives more bytes than it
// announced reports more than 1000 per mille).
RECT ProgressFillRect(const RECT& bar, float fraction);

// The gradient strip over a fill: the whole fill up to 4 pixels wide; from the fill's left + 4 up to
// 104; the last 96 pixels from 105 on.
RECT ProgressGradientStrip(const RECT& fill);

// A horizontal gradient over `strip`, RGB(117, 208, 255) at its left edge to RGB(46, 154, 255) at its
// right edge, over its whole height.
void DrawProgressGradient(CDC* pDC, RECT strip);
