#pragma once
// CMemoryDC: an off-screen device context for one paint. Built on the stack over a target context, it
// collects the drawing in a bitmap the size of its rectangle and copies the result to the target in
// one block transfer when it goes out of scope. The bitmap starts undefined: draw all of it.
//
// The rectangle is in the target's logical coordinates; drawing at those coordinates lands in the
// bitmap. Only the exact all-zero rectangle stands for the target's clip box; any other rectangle,
// empty ones included, is taken as it is. On a printing target nothing is buffered: drawing goes
// straight to the target, whose handles the object borrows and gives back untouched.

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "framework/Rect.h"

class CMemoryDC : public CDC
{
public:
    CMemoryDC(CDC* pDC, CRect rect);
    ~CMemoryDC() override;
    CMemoryDC(CMemoryDC&&) = delete;
    CMemoryDC& operator=(CMemoryDC&&) = delete;

private:
    CBitmap m_bitmap;
    // What the memory context had selected before m_bitmap, selected back before the bitmap goes.
    HGDIOBJ m_oldBitmap = nullptr;
    CDC* m_pDC;
    CRect m_rect;
    BOOL m_bMemDC;
};
