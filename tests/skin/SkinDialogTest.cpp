// CSkinDialog on real windows: the fill, the back buffer's size and life, and what derived dialogs get.

#include <gtest/gtest.h>

#include <vector>

#include "framework/DataExchange.h"
#include "framework/Rect.h"
#include "skin/SkinDialog.h"
#include "tests/framework/WindowTestSupport.h"
#include "tests/skin/SkinTestIds.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using quarn_test::Canvas;
using quarn_test::kDialogBackground;

class ProbeDialog : public CSkinDialog
{
public:
    ProbeDialog() : CSkinDialog(IDD_SKIN_EMPTY, nullptr) {}

    struct Paint {
        int width, height;
        CSize bitmap;
        HGDIOBJ bitmapHandle;
    };
    std::vector<Paint> paints;
    HDC backDCDuringExchange = reinterpret_cast<HDC>(-1);
    HDC backDCAfterBaseInit = nullptr;
    HDC BackDC() const { return m_hBackDC; }

protected:
    void DoDataExchange(CDataExchange*) override { backDCDuringExchange = m_hBackDC; }
    BOOL OnInitDialog() override
    {
        CSkinDialog::OnInitDialog();
        backDCAfterBaseInit = m_hBackDC;
        return TRUE;
    }
    void OnDrawBackground(CDC* pDC, int width, int height) override
    {
        BITMAP bitmap = {};
        const HGDIOBJ current = ::GetCurrentObject(pDC->m_hDC, OBJ_BITMAP);
        ::GetObjectW(current, sizeof(bitmap), &bitmap);
        paints.push_back({width, height, CSize(bitmap.bmWidth, bitmap.bmHeight), current});
    }
};

void ShowAt(CWnd& wnd, int width, int height)
{
    wnd.SetWindowPos(nullptr, 50, 50, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // A window that shrinks is not repainted by itself; ask for the next paint.
    wnd.Invalidate(FALSE);
    wnd.UpdateWindow();
    quarn_test::PumpMessages(30);
}

TEST(SkinDialog, ADialogThatDrawsNothingShowsItsBackgroundColourEverywhere)
{
    CSkinDialog dialog(IDD_SKIN_EMPTY, nullptr);
    ASSERT_TRUE(dialog.Create());
    ShowAt(dialog, 160, 90);
    Canvas shown(160, 90, RGB(0, 0, 0));
    quarn_test::CaptureClient(dialog.m_hWnd, shown);
    EXPECT_EQ(shown.Count(kDialogBackground), 160 * 90);
    EXPECT_STREQ(dialog.GetRuntimeClass()->m_lpszClassName, "CSkinDialog");
    EXPECT_EQ(dialog.GetRuntimeClass()->m_wSchema, 0xFFFFu);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
}

TEST(SkinDialog, TheBackBufferExistsOnceTheBaseInitialisationHasRun)
{
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.backDCDuringExchange, nullptr);
    EXPECT_NE(dialog.backDCAfterBaseInit, nullptr);
}

TEST(SkinDialog, TheBackBufferFollowsTheClientSize)
{
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ShowAt(dialog, 160, 90);
    ASSERT_FALSE(dialog.paints.empty());
    const ProbeDialog::Paint first = dialog.paints.back();
    EXPECT_EQ(first.width, 160);
    EXPECT_EQ(first.height, 90);
    EXPECT_EQ(first.bitmap, CSize(160, 90));

    // A paint of part of the window at the same size reuses the buffer and is told the whole size.
    dialog.paints.clear();
    const CRect corner(0, 0, 10, 10);
    dialog.InvalidateRect(&corner);
    dialog.UpdateWindow();
    ASSERT_EQ(dialog.paints.size(), 1u);
    EXPECT_EQ(dialog.paints[0].width, 160);
    EXPECT_EQ(dialog.paints[0].bitmapHandle, first.bitmapHandle);

    for (const CSize size : {CSize(220, 130), CSize(70, 40)}) {
        dialog.paints.clear();
        ShowAt(dialog, size.cx, size.cy);
        ASSERT_FALSE(dialog.paints.empty());
        EXPECT_EQ(dialog.paints.back().width, size.cx);
        EXPECT_EQ(dialog.paints.back().height, size.cy);
        EXPECT_EQ(dialog.paints.back().bitmap, size);
        Canvas shown(size.cx, size.cy, RGB(0, 0, 0));
        quarn_test::CaptureClient(dialog.m_hWnd, shown);
        EXPECT_EQ(shown.Count(kDialogBackground), size.cx * size.cy);
    }
}

TEST(SkinDialog, TheBackBufferGoesWithTheObjectNotWithTheWindow)
{
    HDC backDC = nullptr;
    {
        ProbeDialog dialog;
        ASSERT_TRUE(dialog.Create());
        backDC = dialog.BackDC();
        dialog.DestroyWindow();
        EXPECT_EQ(::GetObjectType(backDC), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(::GetObjectType(backDC), 0u);
}

}  // namespace
