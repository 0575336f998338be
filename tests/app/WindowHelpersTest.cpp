// The window helpers on real windows: centring in the work area, placing controls by their centre,
// and the shell's folder picker, driven from a timer while it runs.

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/WindowHelpers.h"
#include "framework/Rect.h"
#include "framework/Wnd.h"
#include "tests/framework/WindowTestSupport.h"

namespace {

// A top-level popup window of the test's own: without a frame, its client area is the whole window.
class PopupWindow
{
public:
    PopupWindow(int width, int height, DWORD exStyle = 0)
        : m_hWnd(::CreateWindowExW(exStyle, L"STATIC", L"", WS_POPUP, 0, 0, width, height,
                                   nullptr,    // no owner
                                   nullptr,    // no menu
                                   nullptr,    // the executable's instance
                                   nullptr)) {}
    ~PopupWindow() { ::DestroyWindow(m_hWnd); }
    PopupWindow(const PopupWindow&) = delete;
    PopupWindow& operator=(const PopupWindow&) = delete;

    HWND m_hWnd;
};

class CentringTest : public ::testing::Test
{
protected:
    void SetUp() override { ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_saved, 0); }
    void TearDown() override { ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &m_saved, 0); }

private:
    RECT m_saved = {};
};

TEST_F(CentringTest, PlacesTheWindowInTheMiddleOfTheWorkArea)
{
    const struct {
        RECT work;
        int width, height;
        POINT expected;
    } cases[] = {
        {{0, 0, 1920, 1040}, 600, 380, {660, 330}},
        {{100, 0, 1920, 1040}, 600, 380, {710, 330}},  // the taskbar on the left
        {{0, 0, 1280, 1024}, 401, 151, {440, 437}},     // odd sizes: 401 / 2 = 200, 151 / 2 = 75
        {{1, 3, 1280, 1024}, 600, 380, {340, 323}},     // odd work area: 1279 / 2 = 639, 1021 / 2 = 510
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "work area " << c.work.left << ", " << c.work.top << ", "
                                        << c.work.right << ", " << c.work.bottom << "; window " << c.width
                                        << " x " << c.height);
        RECT work = c.work;
        ASSERT_TRUE(::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
        RECT actual = {};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &actual, 0);
        ASSERT_TRUE(::EqualRect(&actual, &c.work)) << "the work area was not taken as given";

        PopupWindow window(c.width, c.height, WS_EX_TOPMOST);
        ::ShowWindow(window.m_hWnd, SW_SHOWNA);
        const HWND active = ::GetActiveWindow();
        CenterWindowInWorkArea(window.m_hWnd);
        CRect placed;
        ::GetWindowRect(window.m_hWnd, &placed);
        EXPECT_EQ(placed.left, c.expected.x);
        EXPECT_EQ(placed.top, c.expected.y);
        EXPECT_EQ(placed.Width(), c.width);
        EXPECT_EQ(placed.Height(), c.height);
        EXPECT_TRUE(::GetWindowLongPtrW(window.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the Z order stays";
        EXPECT_EQ(::GetActiveWindow(), active) << "not activated";
    }
}

TEST(MoveCtrlCenterTo, PutsTheControlsCentreAtThePointKeepingItsSize)
{
    PopupWindow window(600, 380);
    CWnd dialog;
    ASSERT_TRUE(dialog.Attach(window.m_hWnd));
    // The layouts of the program's two windows: main window 600 x 380, message box 400 x 150.
    const struct {
        int width, height;
        POINT centre;
        RECT expected;
    } cases[] = {
        {24, 24, {600 - 27, 27}, {561, 15, 585, 39}},
        {24, 24, {600 - 51, 27}, {537, 15, 561, 39}},
        {195, 60, {300, 260}, {203, 230, 398, 290}},
        {160, 22, {95, 380 - 15}, {15, 354, 175, 376}},
        {80, 22, {600 - 65, 380 - 15}, {495, 354, 575, 376}},
        {82, 28, {261, 128}, {220, 114, 302, 142}},
        {25, 15, {100, 50}, {88, 43, 113, 58}},  // odd sizes: halves truncated
    };
    int id = 1000;
    for (const auto& c : cases) {
        ++id;
        const HWND control = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 7, 9, c.width, c.height,
                                               window.m_hWnd,
                                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                               nullptr, nullptr);
        MoveCtrlCenterTo(&dialog, id, c.centre.x, c.centre.y);
        CRect placed;
        ::GetWindowRect(control, &placed);
        dialog.ScreenToClient(&placed);
        EXPECT_EQ(placed, CRect(c.expected)) << "centre (" << c.centre.x << ", " << c.centre.y << ")";
    }
    MoveCtrlCenterTo(&dialog, 4242, 10, 10);  // no such control: nothing
    MoveCtrlCenterTo(nullptr, 1001, 10, 10);
    dialog.Detach();
}

BOOL CALLBACK FindPicker(HWND hWnd, LPARAM lParam)
{
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    if (std::wstring(name) == L"#32770" && ::IsWindowVisible(hWnd)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Runs BrowseForFolder; once the picker shows and `ready` holds for it (or after two seconds), `act`
// gets it. Both run from a timer of the picker's own modal loop.
int RunPicker(const wchar_t* initial, CString& out, const std::function<void(HWND)>& act,
              const std::function<bool(HWND)>& ready = [](HWND) { return true; })
{
    bool acted = false;
    int ticks = 0;
    quarn_test::ThreadTimer driver(50, [&] {
        HWND picker = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindPicker, reinterpret_cast<LPARAM>(&picker));
        if (acted || !picker || (!ready(picker) && ++ticks < 40))
            return;
        acted = true;
        act(picker);
    });
    return BrowseForFolder(nullptr, L"\u9009\u62e9\u5b89\u88c5\u76ee\u5f55", initial, out);  // 选择安装目录
}

// The tree item the picker has selected.
std::wstring SelectedItem(HWND picker)
{
    const HWND tree = ::GetDlgItem(picker, 0x3741);
    wchar_t text[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    item.hItem = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item.hItem || !::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return std::wstring();
    return text;
}

void PressOk(HWND picker)
{
    ::PostMessageW(picker, WM_COMMAND, IDOK, 0);
}

TEST(BrowseForFolder, AChosenFolderEndsInOneBackslash)
{
    // A folder every Wine prefix has, with a space in its name as install folders have. (Folders made
    // just before the picker opens are not always found by Wine's picker yet, and the picker is slow on
    // the build folder's large levels.)
    const std::wstring folder = L"C:\\Program Files";
    const struct {
        std::wstring initial;
        std::wstring expected;
        std::wstring name;  // in the picker's tree, once the callback has selected it
    } cases[] = {
        {L"C:\\", L"C:\\", L""},  // a drive root keeps its own backslash
        {folder, folder + L"\\", L"Program Files"},
        {folder + L"\\", folder + L"\\", L"Program Files"},
    };
    for (const auto& c : cases) {
        CString out = L"previous";
        const int rc = RunPicker(
            c.initial.c_str(), out, [](HWND picker) { PressOk(picker); },
            [&](HWND picker) { return c.name.empty() || SelectedItem(picker) == c.name; });
        EXPECT_EQ(rc, kFolderChosen) << c.initial;
        EXPECT_EQ(::lstrcmpiW(out, c.expected.c_str()), 0) << "got " << out.str() << " for " << c.initial;
    }
}

TEST(BrowseForFolder, CancellingGivesTwoAndAnEmptyResult)
{
    CString out = L"previous";
    EXPECT_EQ(RunPicker(L"C:\\", out, [](HWND picker) { ::PostMessageW(picker, WM_COMMAND, IDCANCEL, 0); }),
              kFolderCancelled);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(BrowseForFolder, AnItemWithoutAFileSystemPathIsNoFolder)
{
    CString out = L"previous";
    const int rc = RunPicker(L"C:\\", out, [](HWND picker) {
        PIDLIST_ABSOLUTE computer = nullptr;
        ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        ::SendMessageW(picker, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
        ::CoTaskMemFree(computer);
        PressOk(picker);
    });
    EXPECT_EQ(rc, kFolderCancelled);
    EXPECT_TRUE(out.IsEmpty()) << out.str();
}

TEST(BrowseForFolder, AnInitialFolderTooLongForThePickerIsNotUsed)
{
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'a');
    CString out;
    const int rc = RunPicker(tooLong.c_str(), out, PressOk);
    EXPECT_TRUE(rc == kFolderChosen || rc == kFolderCancelled);
    EXPECT_EQ(out.Find(L"aaaa"), -1);
}

}  // namespace
