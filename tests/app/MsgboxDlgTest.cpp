// The confirmation box as a real window: its size, place and layout, its answers to every way of
// closing it, where its question is drawn, and dragging it by its background.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/MsgboxDlg.h"
#include "framework/Rect.h"
#include "res/resource.h"
#include "tests/app/ModalScript.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using Script = apptest::ModalScript<KqnMsgboxDlg>;
const auto Do = &Script::Do;

INT_PTR RunBox(const std::vector<Script::Step>& steps)
{
    return Script::Run(steps, 150);
}

CRect ChildRect(const KqnMsgboxDlg& box, int id)
{
    CRect rc;
    ::GetWindowRect(::GetDlgItem(box.m_hWnd, id), &rc);
    box.ScreenToClient(&rc);
    return rc;
}

TEST(MsgboxDlg, TopmostBoxOf400By150CentredWithItsButtonsLaidOut)
{
    CRect window, client, close, ok, cancel;
    bool topmost = false;
    HWND focus = nullptr;
    RunBox({Do([&](KqnMsgboxDlg& box) {
        box.GetWindowRect(&window);
        box.GetClientRect(&client);
        close = ChildRect(box, IDC_BTN_CLOSE);
        ok = ChildRect(box, IDOK);
        cancel = ChildRect(box, IDCANCEL);
        topmost = (::GetWindowLongPtrW(box.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        focus = ::GetFocus();
        EXPECT_EQ(focus, ::GetDlgItem(box.m_hWnd, IDOK)) << "the OK button holds the focus";
        box.EndDialog(IDCANCEL);
    })});
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(client, CRect(0, 0, 400, 150));
    EXPECT_EQ(window.left, work.left + (work.right - work.left) / 2 - 200);
    EXPECT_EQ(window.top, work.top + (work.bottom - work.top) / 2 - 75);
    EXPECT_TRUE(topmost);
    EXPECT_EQ(close, CRect(361, 15, 385, 39));
    EXPECT_EQ(ok, CRect(220, 114, 302, 142));
    EXPECT_EQ(cancel, CRect(310, 114, 392, 142));
}

void Click(KqnMsgboxDlg& box, int id)
{
    ::PostMessageW(::GetDlgItem(box.m_hWnd, id), BM_CLICK, 0, 0);
}

void Key(UINT vk)
{
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, vk, 1);
    ::PostMessageW(::GetFocus(), WM_KEYUP, vk, 0xC0000001);
}

TEST(MsgboxDlg, OnlyTheOkButtonAndEnterConfirm)
{
    const struct {
        const char* name;
        std::function<void(KqnMsgboxDlg&)> answer;
        INT_PTR expected;
    } cases[] = {
        {"OK button", [](KqnMsgboxDlg& box) { Click(box, IDOK); }, IDOK},
        {"Enter on opening", [](KqnMsgboxDlg&) { Key(VK_RETURN); }, IDOK},
        {"Cancel button", [](KqnMsgboxDlg& box) { Click(box, IDCANCEL); }, IDCANCEL},
        {"close button", [](KqnMsgboxDlg& box) { Click(box, IDC_BTN_CLOSE); }, IDCANCEL},
        {"Esc", [](KqnMsgboxDlg&) { Key(VK_ESCAPE); }, IDCANCEL},
        {"Alt+F4 / WM_CLOSE", [](KqnMsgboxDlg& box) { box.PostMessage(WM_CLOSE); }, IDCANCEL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunBox({Do(c.answer)}), c.expected) << c.name;
    // Nothing of the first showing survives into the next: focus on OK again, Enter confirms.
    EXPECT_EQ(RunBox({Do([](KqnMsgboxDlg&) { Key(VK_ESCAPE); })}), IDCANCEL);
    EXPECT_EQ(RunBox({Do([](KqnMsgboxDlg&) { Key(VK_RETURN); })}), IDOK);
}

// Dark grey pixels of the question: the bounding box of pixels darker than the panel in the area
// around the question's rectangle.
CRect QuestionInk(const quarn_test::Canvas& canvas)
{
    CRect ink(10000, 10000, -1, -1);
    for (int y = 30; y < 110; ++y) {
        for (int x = 70; x < 390; ++x) {
            const COLORREF c = canvas.At(x, y);
            if (GetRValue(c) < 150 && GetGValue(c) < 150 && GetBValue(c) < 150) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.top = std::min<LONG>(ink.top, y);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
        }
    }
    return ink;
}

TEST(MsgboxDlg, TheQuestionStartsAtTheTopLeftOfItsRectangle)
{
    quarn_test::Canvas canvas(400, 150, RGB(255, 0, 255));
    RunBox({Do([&](KqnMsgboxDlg& box) {
        box.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        quarn_test::CaptureClient(box.m_hWnd, canvas);
        quarn_test::SaveScreenshot(canvas, L"msgbox");
        box.EndDialog(IDCANCEL);
    })});
    const CRect ink = QuestionInk(canvas);
    // 18-pixel characters from (80, 50): vertically centred in the 50-pixel rectangle they would start
    // near y = 66.
    EXPECT_GE(ink.left, 80);
    EXPECT_LE(ink.left, 84);
    EXPECT_GE(ink.top, 50);
    EXPECT_LE(ink.top, 56);
    EXPECT_LE(ink.bottom, 76);
    EXPECT_GT(ink.Width(), 9 * 14) << "nine characters, drawn in one line";
}

// Real mouse input at a point of the box's client area: moved there, then `flags` (a press or a
// release), if any.
void MouseAt(KqnMsgboxDlg& box, POINT client, DWORD flags)
{
    POINT p = client;
    box.ClientToScreen(&p);
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = (p.x * 65536 + w / 2) / w;
    in.mi.dy = (p.y * 65536 + h / 2) / h;
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    ::SendInput(1, &in, sizeof(INPUT));
}

TEST(MsgboxDlg, DraggedByItsBackgroundNotByItsButtons)
{
    const struct {
        const char* name;
        POINT from;
        bool moves;
    } cases[] = {
        {"background", {30, 120}, true},
        {"Cancel button", {351, 128}, false},
    };
    for (const auto& c : cases) {
        CRect before, after;
        // Each step in a tick of its own: the system's move loop serves the timer meanwhile.
        const POINT to = {c.from.x + 40, c.from.y + 30};
        const POINT half = {c.from.x + 20, c.from.y + 15};
        RunBox({
            Do([&](KqnMsgboxDlg& box) {
                box.GetWindowRect(&before);
                MouseAt(box, c.from, 0);
            }),
            Do([&](KqnMsgboxDlg& box) { MouseAt(box, c.from, MOUSEEVENTF_LEFTDOWN); }),
            Do([&](KqnMsgboxDlg& box) { MouseAt(box, half, 0); }),
            Do([&](KqnMsgboxDlg& box) {
                // The box has moved along by now, if it moves: aim at screen positions, not at its own.
                POINT p = {before.left + to.x, before.top + to.y};
                box.ScreenToClient(&p);
                MouseAt(box, p, 0);
            }),
            Do([&](KqnMsgboxDlg& box) {
                POINT p = {before.left + to.x, before.top + to.y};
                box.ScreenToClient(&p);
                MouseAt(box, p, MOUSEEVENTF_LEFTUP);
            }),
            Do([&](KqnMsgboxDlg& box) {
                box.GetWindowRect(&after);
                box.EndDialog(IDCANCEL);
            }),
        });
        EXPECT_EQ(after.left - before.left, c.moves ? 40 : 0) << c.name;
        EXPECT_EQ(after.top - before.top, c.moves ? 30 : 0) << c.name;
    }
}

}  // namespace
