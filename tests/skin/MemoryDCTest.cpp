// CMemoryDC and ISkinControl::DrawParentBackground: what reaches the target, and from where.

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Rect.h"
#include "skin/MemoryDC.h"
#include "skin/SkinControl.h"
#include "tests/skin/SkinTestIds.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using quarn_test::Canvas;

const COLORREF kPaper = RGB(1, 2, 3);
const COLORREF kInk = RGB(200, 10, 10);

TEST(MemoryDC, BuffersItsRectangleAndCopiesItOnceWhenItGoes)
{
    struct Case {
        const char* name;
        CRect rect;
        CRect expected;  // where the ink lands on the target
    };
    const Case cases[] = {
        {"all zero: the target's clip box", CRect(0, 0, 0, 0), CRect(10, 5, 30, 25)},
        {"empty but not all zero: nothing", CRect(0, 0, 10, 0), CRect()},
        {"a rectangle of its own", CRect(5, 8, 25, 12), CRect(10, 8, 25, 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas target(50, 40, kPaper);
        const HRGN clip = ::CreateRectRgn(10, 5, 30, 25);
        ::SelectClipRgn(target.hdc(), clip);
        ::DeleteObject(clip);
        {
            CMemoryDC memory(target.dc(), c.rect);
            EXPECT_NE(memory.m_hDC, target.hdc());
            const CRect everything(0, 0, 50, 40);
            memory.FillSolidRect(&everything, kInk);
            EXPECT_EQ(target.Count(kInk), 0) << "drawing waits in the buffer";
        }
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 50; ++x) {
                const bool inked = c.expected.PtInRect(CPoint(x, y)) != FALSE;
                ASSERT_EQ(target.At(x, y), inked ? kInk : kPaper) << "at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(MemoryDC, DrawsStraightOnAPrintingTargetAndLeavesItsHandles)
{
    Canvas target(20, 20, kPaper);
    target.dc()->m_bPrinting = TRUE;
    const HDC handle = target.hdc();
    {
        CMemoryDC memory(target.dc(), CRect(0, 0, 20, 20));
        EXPECT_EQ(memory.m_hDC, handle);
        EXPECT_EQ(memory.m_hAttribDC, handle);
        const CRect square(0, 0, 5, 5);
        memory.FillSolidRect(&square, kInk);
        EXPECT_EQ(target.At(2, 2), kInk);
    }
    EXPECT_EQ(target.hdc(), handle);
    EXPECT_EQ(::GetObjectType(handle), static_cast<DWORD>(OBJ_MEMDC));
    target.dc()->m_bPrinting = FALSE;
}

TEST(SkinControl, CopiesThePartOfTheParentsBufferUnderTheControl)
{
    CDialog parent(IDD_SKIN_TEST);
    ASSERT_TRUE(parent.Create());
    parent.SetWindowPos(nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    const HWND control = ::GetDlgItem(parent.m_hWnd, IDC_SKIN_FIRST);
    ::MoveWindow(control, 20, 30, 100, 30, FALSE);

    // Every pixel of the parent's buffer says where it is.
    Canvas buffer(300, 200, kPaper);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x)
            ::SetPixelV(buffer.hdc(), x, y, RGB(x % 256, y, 100));
    }
    ISkinControl skin;
    skin.m_hBkDC = buffer.hdc();

    Canvas face(110, 40, kPaper);
    skin.DrawParentBackground(face.hdc(), control);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 110; ++x) {
            const COLORREF expected = x < 100 && y < 30 ? RGB(20 + x, 30 + y, 100) : kPaper;
            ASSERT_EQ(face.At(x, y), expected) << "at (" << x << ", " << y << ")";
        }
    }

    Canvas untouched(10, 10, kPaper);
    skin.DrawParentBackground(untouched.hdc(), nullptr);
    EXPECT_EQ(untouched.Count(kPaper), 100);
}

}  // namespace
