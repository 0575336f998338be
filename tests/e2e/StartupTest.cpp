// The program's start-up checks, from outside: one copy per logon (a second start ends silently and
// tells every top-level window by a registered message), and the refusal on a browser engine older
// than version 8, which opens the vendor's page once the user has read the message.

#include <winsock2.h>
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/e2e/E2eSupport.h"

namespace {

using namespace e2e;

const wchar_t kMutexName[] = L"{4833BA69-1F58-4571-A512-52E8311D2067}";
const wchar_t kSingletonMessage[] = L"APP_SINGLETON{3ADDC7E7-20C5-495F-BD45-71A89D973E84}";
// 提示信息
const wchar_t kBrowserTitle[] = L"\u63d0\u793a\u4fe1\u606f";
// Tobrin需要IE8或以上版本的浏览器的支持，才能正常弹窗。请您点击【确认】按钮下载IE8或以上版本的浏览器并安装。
const wchar_t kBrowserMessage[] =
    L"Tobrin\u9700\u8981IE8\u6216\u4ee5\u4e0a\u7248\u672c\u7684\u6d4f\u89c8\u5668\u7684\u652f\u6301\uff0c\u624d"
    L"\u80fd\u6b63\u5e38\u5f39\u7a97\u3002\u8bf7\u60a8\u70b9\u51fb\u3010\u786e\u8ba4\u3011\u6309\u94ae\u4e0b\u8f7d"
    L"IE8\u6216\u4ee5\u4e0a\u7248\u672c\u7684\u6d4f\u89c8\u5668\u5e76\u5b89\u88c5\u3002";
const wchar_t kVendorPage[] = L"\"http://" QUARN_VENDOR_HOST L"/zh-cn/download/internet-explorer-8-details.aspx\"";

// A hidden top-level window of this process that counts the registered message `name`, as any other
// program's window on the desktop would receive it.
class MessageListener
{
public:
    explicit MessageListener(const wchar_t* name) : m_message(::RegisterWindowMessageW(name))
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &MessageListener::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        m_class = ::RegisterClassW(&wc);
        m_hWnd = ::CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 1, 1,
                                   nullptr,                    // top-level, no owner
                                   nullptr,                    // no menu
                                   ::GetModuleHandleW(nullptr),
                                   this);                      // found again in WM_NCCREATE
    }
    ~MessageListener()
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
        if (m_class)
            ::UnregisterClassW(kClassName, ::GetModuleHandleW(nullptr));
    }
    MessageListener(const MessageListener&) = delete;
    MessageListener& operator=(const MessageListener&) = delete;

    bool Ready() const { return m_message != 0 && m_hWnd != nullptr; }
    int Count() const { return m_count; }
    WPARAM LastWParam() const { return m_wParam; }
    LPARAM LastLParam() const { return m_lParam; }

private:
    static constexpr const wchar_t* kClassName = L"QuarnE2eMessageListener";

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<MessageListener*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self && message == self->m_message) {
            ++self->m_count;
            self->m_wParam = wParam;
            self->m_lParam = lParam;
            return 0;
        }
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }

    UINT m_message;
    ATOM m_class = 0;
    HWND m_hWnd = nullptr;
    int m_count = 0;
    WPARAM m_wParam = ~static_cast<WPARAM>(0);
    LPARAM m_lParam = -1;
};

BOOL CALLBACK FindMessageText(HWND child, LPARAM lParam)
{
    if (ClassOf(child) != L"Static")
        return TRUE;
    const std::wstring text = TextOf(child);
    if (text.empty())
        return TRUE;
    *reinterpret_cast<std::wstring*>(lParam) = text;
    return FALSE;
}

// The text of the message box's static control that is not empty (the other one holds the icon).
std::wstring MessageText(HWND box)
{
    std::wstring found;
    ::EnumChildWindows(box, &FindMessageText, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits for the browser message of `program`, checks it and answers OK; the page it opens then.
std::optional<std::wstring> AnswerBrowserMessage(const Program& program, const wchar_t* screenshot)
{
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (box = FindWindowTitled(program.Id(), kBrowserTitle)) != nullptr; }))
        << "no browser message; " << DescribeWindows(program.Id());
    if (!box)
        return std::nullopt;
    EXPECT_EQ(ClassOf(box), L"#32770");
    EXPECT_TRUE(MessageText(box) == kBrowserMessage) << "the message reads: " << Utf8(MessageText(box));
    EXPECT_EQ(FindMainWindow(program.Id()), nullptr);
    EXPECT_FALSE(FileExists(InstallerRecordPath())) << "the page opened before the message was answered";
    if (screenshot) {
        WaitUntil([&] { return !CaptureWindow(box).Empty(); });
        CaptureWindow(box).Save(screenshot);
    }
    ClickChild(box, IDOK);
    std::optional<std::wstring> page = WaitForRecord(InstallerRecordPath());
    EXPECT_TRUE(program.WaitForExit()) << "the program goes on after the browser message";
    return page;
}

class Startup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::DeleteFileW(InstallerRecordPath().c_str());
        ASSERT_TRUE(m_pages.Applied());
    }
    void TearDown() override { ::DeleteFileW(InstallerRecordPath().c_str()); }

    WebPagesRecorded m_pages;
};

TEST_F(Startup, AnEngineOlderThanVersion8IsRefusedBeforeTheInstanceCheckAndTheVendorPageOpensAfterOk)
{
    Program program(ProgramPath(L"ie7"));
    ASSERT_TRUE(program.Started());
    // While the message is up the instance name does not exist yet: the check comes later.
    ASSERT_TRUE(WaitUntil([&] { return FindWindowTitled(program.Id(), kBrowserTitle) != nullptr; }))
        << DescribeWindows(program.Id());
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    EXPECT_EQ(mutex, nullptr) << "the single-instance name exists";
    if (mutex)
        ::CloseHandle(mutex);

    const std::optional<std::wstring> page = AnswerBrowserMessage(program, L"startup-1-browser-message");
    ASSERT_TRUE(page) << "no page opened";
    EXPECT_NE(page->find(kVendorPage), std::wstring::npos) << "opened: " << Utf8(*page);
}

TEST_F(Startup, ACrashAfterTheStartUpChecksBeganLeavesADump)
{
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData), S_OK);
    const std::wstring dump = std::wstring(appData) + L"\\quarn\\appcrash.dmp";
    ::DeleteFileW(dump.c_str());

    // The filter is in place before the browser check: its message shows a point after it.
    Program program(ProgramPath(L"ie7"));
    ASSERT_TRUE(program.Started());
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindWindowTitled(program.Id(), kBrowserTitle)) != nullptr; }))
        << DescribeWindows(program.Id());
    // Wine starts a thread asked for from outside on one of the program's own threads, interrupting it
    // with a signal when it is not waiting; a signal that lands inside the C library's allocator can
    // corrupt it and hang the crashed program. So the message first finishes painting and its thread
    // comes back to its wait.
    Image shown;
    ASSERT_TRUE(WaitUntil([&] {
        const Image before = shown;
        ::Sleep(50);
        shown = CaptureWindow(box);
        return !shown.Empty() && shown == before;
    })) << "the message did not settle";
    ASSERT_TRUE(::SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, nullptr));
    // A thread of the program's that jumps where no code is.
    const HANDLE crashing = ::CreateRemoteThread(program.Process(), nullptr, 0,
                                                 reinterpret_cast<LPTHREAD_START_ROUTINE>(16), nullptr, 0, nullptr);
    ASSERT_NE(crashing, nullptr);
    ::CloseHandle(crashing);
    // The dump is written before the program ends, and Wine takes some 9 s to write it on an idle machine
    // and over twice that on one whose every core is busy.
    EXPECT_TRUE(program.WaitForExit(3 * kPatience)) << "the crash did not end the program";
    EXPECT_EQ(ReadFileBytes(dump).substr(0, 4), "MDMP") << "no minidump at " << Utf8(dump);
    ::DeleteFileW(dump.c_str());
}

TEST_F(Startup, ASecondStartEndsSilentlyAndTellsEveryWindowWhileTheFirstStays)
{
    const std::unique_ptr<quarntest::HttpTestServer> server = ServeOnFixedPort();
    ASSERT_TRUE(server) << "127.0.0.1:47180 stays taken";
    server->ServeBytes("/download/instversion.json",
                      R"({"version":"9.9.9","md5":"0123456789abcdef0123456789abcdef","packurl":")" +
                          server->Url("/quarn.exe") + R"("})");
    MessageListener listener(kSingletonMessage);
    ASSERT_TRUE(listener.Ready());

    Program first(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(first);
    ASSERT_TRUE(window);
    const RECT placed = WindowRect(window);
    // The name the refusal must not create exists now, and this process can see it.
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    EXPECT_NE(mutex, nullptr) << "the first copy holds no single-instance name";
    if (mutex)
        ::CloseHandle(mutex);

    // The second start: no window of any kind, a quick end, and the broadcast with both parameters 0.
    Program second(ProgramPath(L"ie11"));
    ASSERT_TRUE(second.Started());
    std::string seen;
    EXPECT_TRUE(WaitUntil([&] {
        if (seen.empty() && !VisibleTopLevelWindows(second.Id()).empty())
            seen = DescribeWindows(second.Id());
        return !second.Running();
    })) << "the second copy goes on";
    EXPECT_TRUE(seen.empty()) << "the second copy showed " << seen;
    EXPECT_TRUE(WaitUntil([&] { return listener.Count() > 0; })) << "no APP_SINGLETON message arrived";
    EXPECT_EQ(listener.Count(), 1);
    EXPECT_EQ(listener.LastWParam(), 0u);
    EXPECT_EQ(listener.LastLParam(), 0);

    // The first is as it was: the same window in the same place, nothing else shown.
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(::IsWindowVisible(window));
    const RECT still = WindowRect(window);
    EXPECT_TRUE(::EqualRect(&placed, &still));
    EXPECT_EQ(VisibleTopLevelWindows(first.Id()).size(), 1u) << DescribeWindows(first.Id());
    EXPECT_EQ(server->RequestCount("/download/instversion.json"), 1u) << "the second copy fetched the document";
    CaptureClient(window).Save(L"startup-2-first-after-second-start");

    // A start on a too old engine is refused all the same: the engine check comes before the instance
    // check.
    Program refused(ProgramPath(L"ie7"));
    const std::optional<std::wstring> page = AnswerBrowserMessage(refused, nullptr);
    EXPECT_TRUE(page && page->find(kVendorPage) != std::wstring::npos);
    EXPECT_TRUE(first.Running());

    // Once the first has ended its name goes with it, and the next start runs normally.
    PressKey(window, VK_ESCAPE);
    ASSERT_TRUE(first.WaitForExit());
    Program third(ProgramPath(L"ie11"));
    const HWND again = WaitForMainWindow(third);
    ASSERT_TRUE(again) << "a start after the first ended";
    PressKey(again, VK_ESCAPE);
    EXPECT_TRUE(third.WaitForExit());
    EXPECT_EQ(listener.Count(), 1) << "more broadcasts than second starts";
}

}  // namespace
