// CSkinButton in a real skinned dialog, driven by real messages: which image each state shows, where
// icons, captions, boxes, arrows and underlines land, the cursor, the menu, and the reset on destroy.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "framework/DataExchange.h"
#include "framework/Font.h"
#include "framework/Rect.h"
#include "skin/ImageEx.h"
#include "skin/SkinButton.h"
#include "skin/SkinDialog.h"
#include "tests/framework/WindowTestSupport.h"
#include "tests/skin/SkinTestIds.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using quarn_test::Canvas;
using quarn_test::kDialogBackground;

const int kButtonCount = 8;

class ButtonDialog : public CSkinDialog
{
public:
    ButtonDialog() : CSkinDialog(IDD_SKIN_TEST, nullptr) {}

    CSkinButton buttons[kButtonCount];
    int clicks[kButtonCount] = {};
    HDC BackDC() const { return m_hBackDC; }
    // What the dialog paints over its background colour, if anything.
    std::function<void(CDC*)> paintBackground;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        for (int i = 0; i < kButtonCount; ++i)
            DDX_Control(pDX, IDC_SKIN_FIRST + i, buttons[i]);
    }
    BOOL OnInitDialog() override
    {
        CSkinDialog::OnInitDialog();
        for (CSkinButton& button : buttons) {
            button.m_bTransparent = TRUE;
            button.m_hBkDC = m_hBackDC;
            button.ShowWindow(SW_HIDE);
        }
        return TRUE;
    }
    void OnDrawBackground(CDC* pDC, int, int) override
    {
        if (paintBackground)
            paintBackground(pDC);
    }
    void OnFirstClicked() { ++clicks[0]; }
    void OnSecondClicked() { ++clicks[1]; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ButtonDialog, CSkinDialog)
    ON_BN_CLICKED(IDC_SKIN_FIRST, OnFirstClicked)
    ON_BN_CLICKED(IDC_SKIN_SECOND, OnSecondClicked)
END_MESSAGE_MAP()

// Hardware input, as the user's mouse gives it. The left button is one for the whole display: one that a
// failed test leaves down would press whatever the next test shows, so the fixture releases it.
bool g_leftButtonDown = false;

void MouseButton(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
    if (flags & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP))
        g_leftButtonDown = (flags & MOUSEEVENTF_LEFTDOWN) != 0;
}

class SkinButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The pointer stays where the last program on the display left it, which may be over a button.
        ::SetCursorPos(2, 2);
        ASSERT_TRUE(dialog.Create());
        // Above every other window, where the pointer finds it whatever other programs show.
        ::SetWindowPos(dialog.m_hWnd, HWND_TOPMOST, 760, 560, 400, 300, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        dialog.UpdateWindow();
    }
    // Whatever the test's outcome: the button up, and the input sent meanwhile taken by this dialog, not
    // by the next test's, which may have a button in the same place.
    void TearDown() override
    {
        if (g_leftButtonDown)
            MouseButton(MOUSEEVENTF_LEFTUP);
        quarn_test::PumpMessages(30);
    }

    // Shows button i at (x, y), w x h, and lets every pending paint happen.
    CSkinButton& Place(int i, int x, int y, int w, int h)
    {
        CSkinButton& button = dialog.buttons[i];
        button.MoveWindow(x, y, w, h);
        button.ShowWindow(SW_SHOWNA);
        Settle();
        return button;
    }
    void Settle()
    {
        dialog.Invalidate(FALSE);
        dialog.UpdateWindow();
        quarn_test::PumpMessages(30);
    }
    void Capture(CSkinButton& button, Canvas& canvas)
    {
        button.UpdateWindow();
        quarn_test::CaptureClient(button.m_hWnd, canvas);
    }
    POINT ScreenCentre(CSkinButton& button)
    {
        CRect rc;
        button.GetWindowRect(&rc);
        return {rc.left + rc.Width() / 2, rc.top + rc.Height() / 2};
    }

    ButtonDialog dialog;
};

// What InkBox finds where every pixel is the background.
const CRect kNoInk(0, 0, -1, -1);

// The box [left, right] x [top, bottom] of the pixels of `region` that are not `background`.
CRect InkBox(const Canvas& canvas, const CRect& region, COLORREF background)
{
    CRect box(region.right, region.bottom, region.left - 1, region.top - 1);
    for (int y = region.top; y < region.bottom; ++y) {
        for (int x = region.left; x < region.right; ++x) {
            if (canvas.At(x, y) == background)
                continue;
            box.left = std::min<LONG>(box.left, x);
            box.right = std::max<LONG>(box.right, x);
            box.top = std::min<LONG>(box.top, y);
            box.bottom = std::max<LONG>(box.bottom, y);
        }
    }
    return box.left <= box.right ? box : kNoInk;
}

// Where a caption's ink lies when drawn into `rect` of a canvas filled with `background`.
CRect ReferenceInk(HFONT font, const CString& caption, CRect rect, UINT format, COLORREF background, int width,
                   int height)
{
    Canvas reference(width, height, background);
    const HGDIOBJ oldFont = ::SelectObject(reference.hdc(), font);
    ::SetBkMode(reference.hdc(), TRANSPARENT);
    ::SetTextColor(reference.hdc(), RGB(0, 0, 0));
    ::DrawTextW(reference.hdc(), caption, caption.GetLength(), &rect, format);
    ::SelectObject(reference.hdc(), oldFont);
    return InkBox(reference, CRect(0, 0, width, height), background);
}

int TextWidth(HFONT font, const CString& text)
{
    Canvas probe(1, 1, 0);
    const HGDIOBJ oldFont = ::SelectObject(probe.hdc(), font);
    CRect measured;
    ::DrawTextW(probe.hdc(), text, text.GetLength(), &measured, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(probe.hdc(), oldFont);
    return measured.Width();
}

// A caption exactly `width` pixels wide in `font`: one character repeated; empty when none fits.
CString CaptionOfWidth(HFONT font, int width)
{
    for (const wchar_t* c = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"; *c; ++c) {
        CString text;
        while (text.GetLength() < 40) {
            text += *c;
            const int w = TextWidth(font, text);
            if (w == width)
                return text;
            if (w > width)
                break;
        }
    }
    return CString();
}

TEST_F(SkinButtonTest, APushButtonShowsTheImageOfEachStateTheMouseAndFocusPutItIn)
{
    CSkinButton& button = Place(0, 20, 20, 100, 30);
    ASSERT_TRUE(button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_PUSH_FOCUSED));
    ::SetFocus(nullptr);
    Settle();

    const POINT inside = ScreenCentre(button);
    const struct {
        const char* step;
        std::function<void()> act;
        std::function<bool()> reached;
        COLORREF fill;
    } steps[] = {
        {"at rest", [] {}, [&] { return !button.m_bHover && !button.m_bFocus; }, quarn_test::kNormalFill},
        {"mouse over", [&] { ::SetCursorPos(inside.x, inside.y); }, [&] { return button.m_bHover != FALSE; },
         quarn_test::kHoverFill},
        {"pressed", [] { MouseButton(MOUSEEVENTF_LEFTDOWN); }, [&] { return button.m_bPressed && button.m_bFocus; },
         quarn_test::kPressedFill},
        {"released", [] { MouseButton(MOUSEEVENTF_LEFTUP); }, [&] { return !button.m_bPressed; },
         quarn_test::kHoverFill},
        {"mouse gone, focus kept", [] { ::SetCursorPos(2, 2); }, [&] { return !button.m_bHover; },
         quarn_test::kFocusedFill},
        {"focus gone", [&] { ::SetFocus(nullptr); }, [&] { return !button.m_bFocus; },
         quarn_test::kNormalFill},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        ASSERT_TRUE(quarn_test::PumpUntil(step.reached));
        Canvas shown(100, 30, 0);
        Capture(button, shown);
        EXPECT_EQ(shown.At(50, 15), step.fill);
        EXPECT_EQ(shown.At(3, 3), step.fill);
    }
    EXPECT_EQ(dialog.clicks[0], 1);
    EXPECT_FALSE(button.m_bTracking);
}

TEST_F(SkinButtonTest, APressedButtonTheMouseLeftKeepsItsPressedImageUntilReleased)
{
    CSkinButton& button = Place(0, 20, 20, 100, 30);
    button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_PUSH_FOCUSED);
    const POINT inside = ScreenCentre(button);
    ::SetCursorPos(inside.x, inside.y);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return button.m_bPressed && button.m_bHover; }));
    // Off the button, still over the dialog: the picture once the button has seen the pointer leave,
    // which comes a while after the move.
    ::SetCursorPos(inside.x + 200, inside.y + 200);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return !button.m_bHover; }));
    Canvas shown(100, 30, 0);
    Capture(button, shown);
    EXPECT_EQ(shown.At(50, 15), quarn_test::kPressedFill);
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return !button.m_bPressed; }));
    EXPECT_EQ(dialog.clicks[0], 0) << "released outside: no click";
}

TEST_F(SkinButtonTest, IconAndCaptionAreCentredAsOneGroupAndMoveWhenPressed)
{
    CSkinButton& button = Place(1, 20, 20, 100, 30);
    button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_PUSH_FOCUSED);
    ASSERT_TRUE(button.SetImage(CSkinButton::SlotIcon, L"PNG", IDP_ICON16));
    const HFONT font = button.GetFont();
    const CString caption = CaptionOfWidth(font, 40);
    ASSERT_FALSE(caption.IsEmpty()) << "no caption 40 pixels wide in the dialog font";
    button.SetWindowText(caption);
    Settle();

    struct Case {
        bool pressed;
        int offset;  // both ways
        COLORREF fill, frame;
    };
    for (const Case& c : {Case{false, 0, quarn_test::kNormalFill, quarn_test::kNormalFrame},
                          Case{true, 1, quarn_test::kPressedFill, quarn_test::kPressedFrame}}) {
        SCOPED_TRACE(c.pressed ? "pressed" : "at rest");
        if (c.pressed)
            button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 15));
        quarn_test::PumpMessages(20);
        Canvas shown(100, 30, 0);
        Capture(button, shown);

        // The icon: x = (100 − (16 + 3 + 40) + 1) / 2 = 21, y = (30 − 16 + 1) / 2 = 7.
        const CRect icon = InkBox(shown, CRect(1, 1, 39 + c.offset, 29), c.fill);
        EXPECT_EQ(icon, CRect(21 + c.offset, 7 + c.offset, 36 + c.offset, 22 + c.offset));
        EXPECT_EQ(shown.At(21 + c.offset, 7 + c.offset), quarn_test::kIconColor);

        // The caption in (40, 0) – (80, 30), moved with the icon; the image itself does not move.
        const CRect expected = ReferenceInk(font, caption, CRect(40 + c.offset, c.offset, 80 + c.offset, 30 + c.offset),
                                            DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, c.fill, 100, 30);
        EXPECT_EQ(InkBox(shown, CRect(39 + c.offset, 1, 99, 29), c.fill), expected);
        EXPECT_GE(expected.left, 40 + c.offset);
        EXPECT_LT(expected.right, 80 + c.offset);
        EXPECT_EQ(shown.At(0, 0), c.frame);
        EXPECT_EQ(shown.At(99, 29), c.frame);
    }
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(50, 15));
    EXPECT_EQ(dialog.clicks[1], 1);

    // Without a caption the icon alone is centred: x = (100 − 16 + 1) / 2 = 42.
    button.SetWindowText(L"");
    ::SetFocus(nullptr);
    Settle();
    Canvas shown(100, 30, 0);
    Capture(button, shown);
    EXPECT_EQ(InkBox(shown, CRect(1, 1, 99, 29), quarn_test::kNormalFill), CRect(42, 7, 57, 22));
    quarn_test::SaveScreenshot(shown, L"push_icon_only");
}

TEST_F(SkinButtonTest, ACheckButtonDrawsItsBoxForTheCheckStateAndHover)
{
    CSkinButton& button = Place(4, 20, 20, 120, 20);
    button.m_nStyle = CSkinButton::StyleCheck;
    button.SetWindowText(L"Check me");
    ::SetFocus(nullptr);
    Settle();
    const HFONT font = button.GetFont();
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    const CRect region(0, 0, 120, 20);

    // Without box images: a 15 x 15 box that draws nothing, the text from x = 15 + 4.
    Canvas shown(120, 20, 0);
    Capture(button, shown);
    EXPECT_EQ(InkBox(shown, region, kDialogBackground),
              ReferenceInk(font, L"Check me", CRect(19, 0, 120, 20), format, kDialogBackground, 120, 20));

    const UINT boxes[] = {IDP_CHECK_OFF, IDP_CHECK_OFF_HOVER, IDP_CHECK_ON, IDP_CHECK_ON_HOVER};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(button.SetImage(CSkinButton::SlotUnchecked + i, L"PNG", boxes[i]));
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF blue = RGB(210, 230, 255);
    const COLORREF mark = RGB(20, 120, 20);
    const struct {
        int check;
        bool hover;
        COLORREF centre, fill;
    } cases[] = {
        {BST_UNCHECKED, false, white, white},
        {BST_CHECKED, false, mark, white},
        {BST_INDETERMINATE, false, white, white},
        {BST_UNCHECKED, true, blue, blue},
        {BST_CHECKED, true, mark, blue},
    };
    const POINT inside = ScreenCentre(button);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "check " << c.check << (c.hover ? ", hovered" : ""));
        button.SetCheck(c.check);
        EXPECT_EQ(button.GetCheck(), c.check);
        if (c.hover) {
            ::SetCursorPos(inside.x, inside.y);
            ASSERT_TRUE(quarn_test::PumpUntil([&] { return button.m_bHover != FALSE; }));
        }
        quarn_test::PumpMessages(20);
        Capture(button, shown);
        // A 13 x 13 box at (0, (20 − 13) / 2 = 3), the text from 13 + 4.
        EXPECT_EQ(shown.At(0, 3), c.hover ? RGB(40, 90, 200) : RGB(90, 90, 90));
        EXPECT_EQ(shown.At(12, 15), shown.At(0, 3));
        EXPECT_EQ(shown.At(6, 9), c.centre);
        EXPECT_EQ(shown.At(2, 9), c.fill);
        EXPECT_EQ(InkBox(shown, CRect(13, 0, 120, 20), kDialogBackground),
                  ReferenceInk(font, L"Check me", CRect(17, 0, 120, 20), format, kDialogBackground, 120, 20));
    }
    quarn_test::SaveScreenshot(shown, L"check_checked_hover");
    ::SetCursorPos(2, 2);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return !button.m_bHover; }));
}

TEST_F(SkinButtonTest, AFlatButtonShowsAnImageOnlyUnderTheMouseOrWhilePressed)
{
    CSkinButton& button = Place(1, 20, 20, 100, 30);
    button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_PUSH_FOCUSED);
    button.m_nStyle = CSkinButton::StyleFlat;
    button.m_nTextAlign = DT_LEFT;
    button.SetWindowText(L"Flat");
    Settle();
    const HFONT font = button.GetFont();
    const UINT format = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

    // Focused but neither hovered nor pressed: the window's background, the caption 2 pixels in.
    button.SetFocus();
    quarn_test::PumpMessages(20);
    Canvas shown(100, 30, 0);
    Capture(button, shown);
    EXPECT_TRUE(button.m_bFocus);
    EXPECT_EQ(shown.At(90, 15), kDialogBackground);
    EXPECT_EQ(InkBox(shown, CRect(0, 0, 100, 30), kDialogBackground),
              ReferenceInk(font, L"Flat", CRect(2, 0, 98, 30), format, kDialogBackground, 100, 30));

    // Pressed: the pressed image stretched over the whole button, the caption one pixel further.
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 15));
    quarn_test::PumpMessages(20);
    Capture(button, shown);
    EXPECT_EQ(shown.At(0, 0), quarn_test::kPressedFrame);
    EXPECT_EQ(shown.At(90, 15), quarn_test::kPressedFill);
    EXPECT_EQ(InkBox(shown, CRect(1, 1, 99, 29), quarn_test::kPressedFill),
              ReferenceInk(font, L"Flat", CRect(3, 1, 99, 31), format, quarn_test::kPressedFill, 100, 30));
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(50, 15));
}

TEST_F(SkinButtonTest, AMenuButtonPlacesItsArrowAndIconAndOpensItsMenuBelow)
{
    CSkinButton& button = Place(2, 20, 20, 60, 24);
    button.m_nStyle = CSkinButton::StyleMenu;
    button.SetWindowText(L"never drawn");
    ASSERT_TRUE(button.SetImage(CSkinButton::SlotArrow, L"PNG", IDP_ARROW));
    ASSERT_TRUE(button.SetImage(CSkinButton::SlotIcon, L"PNG", IDP_ICON16));
    ::SetFocus(nullptr);
    Settle();

    // Arrow 7 x 4 at (60 − 7 − 3, (24 − 4 + 1) / 2) = (50, 10); icon centred left of it:
    // x = (50 − 16 + 1) / 2 = 17, y = (24 − 16 + 1) / 2 = 4.
    Canvas shown(60, 24, 0);
    Capture(button, shown);
    const COLORREF arrow = RGB(30, 30, 30);
    EXPECT_EQ(InkBox(shown, CRect(40, 0, 60, 24), kDialogBackground), CRect(50, 10, 56, 13));
    EXPECT_EQ(shown.At(50, 10), arrow);
    EXPECT_EQ(InkBox(shown, CRect(0, 0, 40, 24), kDialogBackground), CRect(17, 4, 32, 19));

    // Pressed, with no pressed image: the icon moves, the arrow stays. Releasing opens the menu at
    // the button's bottom-left corner; it is closed from a timer.
    const HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, L"Item");
    button.m_hMenu = menu;
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    quarn_test::PumpMessages(20);
    Capture(button, shown);
    EXPECT_EQ(InkBox(shown, CRect(40, 0, 60, 24), kDialogBackground), CRect(50, 10, 56, 13));
    EXPECT_EQ(InkBox(shown, CRect(0, 0, 40, 24), kDialogBackground), CRect(18, 5, 33, 20));

    CRect menuRect;
    {
        quarn_test::ThreadTimer closer(50, [&] {
            const HWND popup = ::FindWindowW(L"#32768", nullptr);
            if (popup && ::IsWindowVisible(popup)) {
                ::GetWindowRect(popup, &menuRect);
                ::EndMenu();
            }
        });
        button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    CRect below;
    button.GetWindowRect(&below);
    EXPECT_EQ(menuRect.TopLeft(), CPoint(below.left, below.bottom));
    ::DestroyMenu(menu);

    // Narrower than the arrow and its margin: the icon is centred over the whole width.
    button.m_hMenu = nullptr;
    button.MoveWindow(20, 20, 8, 24);
    Settle();
    Canvas narrow(8, 24, 0);
    Capture(button, narrow);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(narrow.At(x, 5), quarn_test::kIconColor) << "x " << x;
}

TEST_F(SkinButtonTest, ALinkIsUnderlinedAcrossItsBottomRowWhileHoveredOrFocused)
{
    CSkinButton& button = Place(3, 20, 20, 80, 22);
    button.m_nStyle = CSkinButton::StyleLink;
    button.m_crText = RGB(200, 0, 0);
    button.SetWindowText(L"Link");
    ::SetFocus(nullptr);
    Settle();

    Canvas shown(80, 22, 0);
    Capture(button, shown);
    EXPECT_EQ(InkBox(shown, CRect(0, 21, 80, 22), kDialogBackground), kNoInk) << "no underline at rest";
    EXPECT_NE(InkBox(shown, CRect(0, 0, 80, 21), kDialogBackground), kNoInk) << "the caption";

    const POINT inside = ScreenCentre(button);
    ::SetCursorPos(inside.x, inside.y);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return button.m_bHover != FALSE; }));
    quarn_test::PumpMessages(20);
    Capture(button, shown);
    for (int x = 0; x < 80; ++x)
        EXPECT_EQ(shown.At(x, 21), RGB(200, 0, 0)) << "x " << x;
    quarn_test::SaveScreenshot(shown, L"link_hovered");

    ::SetCursorPos(2, 2);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return !button.m_bHover; }));
    button.SetFocus();
    quarn_test::PumpMessages(20);
    Capture(button, shown);
    EXPECT_EQ(shown.At(0, 21), RGB(200, 0, 0));
    EXPECT_EQ(shown.At(79, 21), RGB(200, 0, 0));
}

TEST_F(SkinButtonTest, TheWindowsSkinShowsThroughTransparentPixelsAndUnknownStyles)
{
    const COLORREF skin = RGB(10, 120, 200);
    dialog.paintBackground = [&](CDC* dc) {
        const CRect under(0, 0, 400, 300);
        dc->FillSolidRect(&under, skin);
    };
    CSkinButton& button = Place(5, 20, 20, 100, 30);
    button.SetImages(L"PNG", IDP_HALF_CLEAR, IDP_HALF_CLEAR, IDP_HALF_CLEAR, IDP_HALF_CLEAR);
    Settle();
    Canvas shown(100, 30, 0);
    Capture(button, shown);
    EXPECT_EQ(shown.At(10, 15), RGB(200, 40, 40));
    EXPECT_EQ(shown.At(90, 15), skin);

    for (const int style : {6, -1}) {
        button.m_nStyle = style;
        button.Invalidate();
        Capture(button, shown);
        EXPECT_EQ(InkBox(shown, CRect(0, 0, 100, 30), skin), kNoInk) << "style " << style;
    }
}

TEST_F(SkinButtonTest, APressedImageThatDidNotLoadShowsOnlyTheBackground)
{
    CSkinButton& button = Place(0, 20, 20, 100, 30);
    EXPECT_FALSE(button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_MISSING, IDP_PUSH_FOCUSED));
    EXPECT_NE(button.m_pImages[CSkinButton::SlotNormal], nullptr);
    EXPECT_EQ(button.m_pImages[CSkinButton::SlotPressed], nullptr);
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 15));
    quarn_test::PumpMessages(20);
    Canvas shown(100, 30, 0);
    Capture(button, shown);
    EXPECT_EQ(InkBox(shown, CRect(0, 0, 100, 30), kDialogBackground), kNoInk);
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(50, 15));
}

TEST_F(SkinButtonTest, MessagesReachTheirHandlersWithTheirResults)
{
    CSkinButton& button = Place(0, 20, 20, 100, 30);
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        LRESULT result;
        BOOL CSkinButton::*flag;
        BOOL after;
    } cases[] = {
        // A double-click presses like a click.
        {"double-click", WM_LBUTTONDBLCLK, MK_LBUTTON, 0, &CSkinButton::m_bPressed, TRUE},
        {"release", WM_LBUTTONUP, 0, 0, &CSkinButton::m_bPressed, FALSE},
        {"mouse move", WM_MOUSEMOVE, 0, 0, &CSkinButton::m_bTracking, TRUE},
        {"mouse leave", WM_MOUSELEAVE, 0, 0, &CSkinButton::m_bHover, FALSE},
        {"focus", WM_SETFOCUS, 0, 0, &CSkinButton::m_bFocus, TRUE},
        {"focus lost", WM_KILLFOCUS, 0, 0, &CSkinButton::m_bFocus, FALSE},
        // The background is never erased: the paint covers every pixel.
        {"erase", WM_ERASEBKGND, 0, TRUE, nullptr, FALSE},
    };
    for (const auto& c : cases) {
        const WPARAM wParam = c.message == WM_ERASEBKGND ? reinterpret_cast<WPARAM>(dialog.BackDC()) : c.wParam;
        EXPECT_EQ(button.SendMessage(c.message, wParam, MAKELPARAM(10, 10)), c.result) << c.name;
        if (c.flag) {
            EXPECT_EQ(button.*c.flag, c.after) << c.name;
        }
    }
}

TEST_F(SkinButtonTest, TheCursorIsTheHandOnlyForLinksOrHandButtonsInUse)
{
    CSkinButton& button = Place(1, 20, 20, 80, 22);
    ::SetFocus(nullptr);
    quarn_test::PumpMessages(20);
    const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    const auto cursorShown = [&] {
        button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    const struct {
        int style;
        bool handCursor;
        HCURSOR entering, hovered;
    } cases[] = {
        {CSkinButton::StyleLink, false, arrow, hand},
        {CSkinButton::StylePush, true, arrow, hand},
        {CSkinButton::StylePush, false, arrow, arrow},
        {CSkinButton::StyleFlat, false, arrow, arrow},
    };
    const POINT inside = ScreenCentre(button);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << (c.handCursor ? ", hand cursor" : ""));
        button.m_nStyle = c.style;
        button.m_bHandCursor = c.handCursor;
        ::SetCursorPos(2, 2);
        ASSERT_TRUE(quarn_test::PumpUntil([&] { return !button.m_bHover; }));
        EXPECT_EQ(cursorShown(), c.entering);
        ::SetCursorPos(inside.x, inside.y);
        ASSERT_TRUE(quarn_test::PumpUntil([&] { return button.m_bHover != FALSE; }));
        EXPECT_EQ(cursorShown(), c.hovered);
    }
    // A focused link shows the hand at once.
    ::SetCursorPos(2, 2);
    ASSERT_TRUE(quarn_test::PumpUntil([&] { return !button.m_bHover; }));
    button.m_nStyle = CSkinButton::StyleLink;
    button.SetFocus();
    EXPECT_EQ(cursorShown(), hand);
}

TEST_F(SkinButtonTest, DestroyingTheWindowResetsTheButtonAndGivesItsImagesBack)
{
    CSkinButton& button = Place(0, 20, 20, 100, 30);
    ASSERT_TRUE(button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_NORMAL, IDP_PUSH_NORMAL));
    EXPECT_EQ(button.m_pImageCache->GetRefCount(MAKEINTRESOURCEW(IDP_PUSH_NORMAL)), 3);
    button.SetImage(CSkinButton::SlotIcon, L"PNG", IDP_ICON16);
    // Asking again gives the four old images back first.
    ASSERT_TRUE(button.SetImages(L"PNG", IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_PUSH_NORMAL));
    EXPECT_EQ(button.m_pImageCache->GetRefCount(MAKEINTRESOURCEW(IDP_PUSH_NORMAL)), 2);
    EXPECT_EQ(button.m_pImageCache->GetRefCount(MAKEINTRESOURCEW(IDP_PUSH_HOVER)), 1);

    button.m_nStyle = CSkinButton::StyleMenu;
    button.m_nTextAlign = DT_LEFT;
    button.m_hMenu = ::CreatePopupMenu();
    button.m_crText = RGB(1, 2, 3);
    button.m_bHandCursor = true;
    button.SetCheck(BST_CHECKED);
    button.SetFocus();
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    const HMENU menu = button.m_hMenu;
    ASSERT_TRUE(button.m_bFocus && button.m_bPressed);

    dialog.DestroyWindow();
    EXPECT_EQ(button.m_hWnd, nullptr);
    for (CImageEx* slot : button.m_pImages)
        EXPECT_EQ(slot, nullptr);
    for (const UINT id : {IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_ICON16})
        EXPECT_EQ(button.m_pImageCache->GetRefCount(MAKEINTRESOURCEW(id)), 0) << id;
    EXPECT_FALSE(button.m_bFocus || button.m_bPressed || button.m_bHover || button.m_bTracking);
    EXPECT_EQ(button.m_nStyle, CSkinButton::StylePush);
    EXPECT_EQ(button.m_nTextAlign, static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(button.m_hMenu, nullptr);
    EXPECT_TRUE(::IsMenu(menu)) << "the menu is not the button's";
    ::DestroyMenu(menu);
    // What the window set up and the cache stay.
    EXPECT_EQ(button.m_crText, RGB(1, 2, 3));
    EXPECT_TRUE(button.m_bHandCursor);
    EXPECT_TRUE(button.m_bTransparent);
    EXPECT_NE(button.m_hBkDC, nullptr);

    // Bound again, it is owner-drawn again and starts unchecked.
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);
}

// A dialog with a skin and buttons in every style, for people to look at.
TEST_F(SkinButtonTest, Gallery)
{
    CImageEx background;
    ASSERT_TRUE(background.LoadFromResource(nullptr, L"PNG", MAKEINTRESOURCEW(IDP_BACKGROUND)));
    dialog.paintBackground = [&](CDC* dc) { background.Draw(dc, CRect(0, 0, 400, 300)); };
    const UINT push[] = {IDP_PUSH_NORMAL, IDP_PUSH_HOVER, IDP_PUSH_PRESSED, IDP_PUSH_FOCUSED};
    const char* const names[] = {"normal", "hover", "pressed", "focused"};
    for (int i = 0; i < 4; ++i) {
        CSkinButton& button = Place(i, 20, 20 + 40 * i, 100, 30);
        button.SetImages(L"PNG", push[0], push[1], push[2], push[3]);
        button.SetImage(CSkinButton::SlotIcon, L"PNG", IDP_ICON16);
        button.SetWindowText(CString(names[i][0] == 'n' ? L"Normal" : names[i][0] == 'h' ? L"Hover"
                                     : names[i][0] == 'p' ? L"Pressed" : L"Focused"));
    }
    ::SetFocus(nullptr);
    dialog.buttons[1].m_bHover = TRUE;
    dialog.buttons[2].m_bPressed = TRUE;
    dialog.buttons[3].m_bFocus = TRUE;

    CSkinButton& check = Place(4, 150, 20, 120, 20);
    check.m_nStyle = CSkinButton::StyleCheck;
    const UINT boxes[] = {IDP_CHECK_OFF, IDP_CHECK_OFF_HOVER, IDP_CHECK_ON, IDP_CHECK_ON_HOVER};
    for (int i = 0; i < 4; ++i)
        check.SetImage(CSkinButton::SlotUnchecked + i, L"PNG", boxes[i]);
    check.SetWindowText(L"Check box");
    check.SetCheck(BST_CHECKED);

    CSkinButton& flat = Place(5, 150, 60, 100, 30);
    flat.SetImages(L"PNG", push[0], push[1], push[2], push[3]);
    flat.m_nStyle = CSkinButton::StyleFlat;
    flat.SetWindowText(L"Flat, hovered");
    flat.m_bHover = TRUE;

    CSkinButton& menu = Place(6, 150, 100, 60, 24);
    menu.m_nStyle = CSkinButton::StyleMenu;
    menu.SetImages(L"PNG", push[0], push[1], push[2], push[3]);
    menu.SetImage(CSkinButton::SlotArrow, L"PNG", IDP_ARROW);
    menu.SetImage(CSkinButton::SlotIcon, L"PNG", IDP_ICON16);
    menu.m_bHover = TRUE;

    CSkinButton& link = Place(7, 150, 140, 80, 22);
    link.m_nStyle = CSkinButton::StyleLink;
    link.m_crText = RGB(30, 90, 200);
    link.SetWindowText(L"A link");
    link.m_bHover = TRUE;

    Settle();
    for (CSkinButton& button : dialog.buttons)
        button.Invalidate();
    dialog.UpdateWindow();
    for (CSkinButton& button : dialog.buttons)
        button.UpdateWindow();
    Canvas shown(400, 300, 0);
    quarn_test::CaptureClient(dialog.m_hWnd, shown);
    quarn_test::SaveScreenshot(shown, L"gallery");
    EXPECT_EQ(shown.At(25, 25), quarn_test::kNormalFill);  // clear of the caption, whatever its font
    EXPECT_EQ(shown.At(25, 65), quarn_test::kHoverFill);
}

}  // namespace
