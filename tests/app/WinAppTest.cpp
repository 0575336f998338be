// The framework's application layer: the entry routine's order and exit code, the thread's message
// record kept by the modal loop, the socket library's start and end, and AfxMessageBox's box.

#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Sockets.h"
#include "framework/ThreadState.h"
#include "framework/WinApp.h"
#include "tests/framework/WindowTestIds.h"
#include "tests/framework/WindowTestSupport.h"

namespace {

// Runs `body` on a thread of its own: a fresh message queue and a message record never written.
template <class Body>
void OnFreshThread(Body body)
{
    std::thread thread(body);
    thread.join();
}

// An application whose InitInstance runs a test's script and which records the framework's calls.
class ScriptedApp : public CWinApp
{
public:
    explicit ScriptedApp(std::function<BOOL(ScriptedApp&)> init) : m_init(std::move(init)) {}

    BOOL InitInstance() override
    {
        calls.push_back("InitInstance");
        return m_init(*this);
    }
    int Run() override
    {
        calls.push_back("Run");
        return CWinApp::Run();
    }
    int ExitInstance() override
    {
        calls.push_back("ExitInstance");
        if (throwOnExit)
            throw std::runtime_error("exit failed");
        return CWinApp::ExitInstance();
    }

    std::vector<std::string> calls;
    bool throwOnExit = false;

private:
    std::function<BOOL(ScriptedApp&)> m_init;
};

const UINT WM_TEST_END = WM_APP + 1;

// A dialog that ends when it receives WM_TEST_END, which its initialisation posts with `endParam`.
class EndOnMessageDialog : public CDialog
{
public:
    explicit EndOnMessageDialog(WPARAM endParam) : CDialog(IDD_WINDOW_TEST), m_endParam(endParam) {}

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        PostMessage(WM_TEST_END, m_endParam);
        return TRUE;
    }
    LRESULT OnTestEnd(WPARAM, LPARAM)
    {
        EndDialog(IDCANCEL);
        return 0;
    }

    DECLARE_MESSAGE_MAP()

private:
    WPARAM m_endParam;
};

BEGIN_MESSAGE_MAP(EndOnMessageDialog, CDialog)
    ON_MESSAGE(WM_TEST_END, OnTestEnd)
END_MESSAGE_MAP()

TEST(EntryRoutine, CallsAndExitCodeFollowInitInstancesResult)
{
    const struct {
        const char* name;
        std::function<BOOL(ScriptedApp&)> init;
        bool throwOnExit;
        std::vector<std::string> calls;
        int exitCode;
    } cases[] = {
        {"refused, no loop ever ran", [](ScriptedApp&) { return FALSE; }, false,
         {"InitInstance", "ExitInstance"}, 0},
        {"refused after a modal dialog: the wParam of its loop's last message",
         [](ScriptedApp&) {
             EndOnMessageDialog(4321).DoModal();
             return FALSE;
         },
         false, {"InitInstance", "ExitInstance"}, 4321},
        {"accepted: Run until WM_QUIT, whose code is the exit code",
         [](ScriptedApp&) {
             ::PostQuitMessage(9);
             return TRUE;
         },
         false, {"InitInstance", "Run", "ExitInstance"}, 9},
        {"InitInstance throws: ExitInstance still runs", [](ScriptedApp&) -> BOOL { throw std::bad_alloc(); },
         false, {"InitInstance", "ExitInstance"}, -1},
        {"ExitInstance throws", [](ScriptedApp&) { return FALSE; }, true, {"InitInstance", "ExitInstance"}, -1},
    };
    for (const auto& c : cases) {
        OnFreshThread([&] {
            ScriptedApp app(c.init);
            app.throwOnExit = c.throwOnExit;
            ASSERT_EQ(AfxGetApp(), &app);
            EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW), c.exitCode)
                << c.name;
            EXPECT_EQ(app.calls, c.calls) << c.name;
        });
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(EntryRoutine, WithoutAnApplicationObjectFails)
{
    EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW), -1);
}

TEST(ApplicationObject, TheNameIsTheExecutablesUnlessGiven)
{
    CWinApp unnamed;
    EXPECT_STREQ(unnamed.m_pszAppName, L"test_app_framework");
    EXPECT_EQ(unnamed.m_pszRegistryKey, nullptr);
    unnamed.SetRegistryKey(L"quarn");
    EXPECT_STREQ(unnamed.m_pszRegistryKey, L"quarn");
    EXPECT_STREQ(unnamed.m_pszProfileName, L"test_app_framework");

    CWinApp named(L"Named");
    EXPECT_STREQ(named.m_pszAppName, L"Named");
    EXPECT_EQ(AfxGetApp(), &unnamed) << "the first application object stays the application";
}

// The message record follows the innermost loop: after a nested dialog it holds that dialog's last
// message until the outer loop retrieves another.
class OuterOfNestedDialog : public EndOnMessageDialog
{
public:
    OuterOfNestedDialog() : EndOnMessageDialog(1) {}
    WPARAM recordAfterNested = 0;

protected:
    LRESULT OnOuterEnd(WPARAM, LPARAM)
    {
        EndOnMessageDialog(77).DoModal();
        recordAfterNested = AfxGetCurrentMessage()->wParam;
        EndDialog(IDOK);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OuterOfNestedDialog, EndOnMessageDialog)
    ON_MESSAGE(WM_TEST_END, OnOuterEnd)
END_MESSAGE_MAP()

TEST(ModalLoop, RecordsTheMessageItIsProcessing)
{
    OnFreshThread([] {
        EXPECT_EQ(AfxGetCurrentMessage()->message, 0u);
        OuterOfNestedDialog outer;
        EXPECT_EQ(outer.DoModal(), IDOK);
        EXPECT_EQ(outer.recordAfterNested, 77u);
        EXPECT_EQ(AfxGetCurrentMessage()->message, WM_TEST_END);
    });
}

// A nested box is shown while it runs, with its owner disabled, and gives its owner its input back
// when it ends. Its timer is due before its loop first finds the queue empty: it shows all the same.
class OwnerDialog : public CDialog
{
public:
    OwnerDialog() : CDialog(IDD_WINDOW_TEST) {}
    bool ownerEnabledAfterBox = false;
    bool boxWasShown = false;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(1, 10);
        return TRUE;
    }
    void OnTimer(UINT_PTR)
    {
        KillTimer(1);
        ScriptedBox box(this);
        box.DoModal();
        boxWasShown = box.shown;
        ownerEnabledAfterBox = IsWindowEnabled() != FALSE;
        EndDialog(IDOK);
    }

    class ScriptedBox : public CDialog
    {
    public:
        explicit ScriptedBox(OwnerDialog* owner) : CDialog(IDD_NESTED_BOX), m_owner(owner) {}
        bool shown = false;

    protected:
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            SetTimer(1, 10);
            // Due before the modal loop first looks at the queue.
            ::Sleep(50);
            return TRUE;
        }
        void OnTimer(UINT_PTR)
        {
            shown = IsWindowVisible() && !m_owner->IsWindowEnabled();
            EndDialog(IDCANCEL);
        }
        DECLARE_MESSAGE_MAP()

    private:
        OwnerDialog* m_owner;
    };

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OwnerDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(OwnerDialog::ScriptedBox, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(ModalLoop, ANestedBoxShowsDisablingItsOwnerAndGivesItsInputBack)
{
    OwnerDialog owner;
    EXPECT_EQ(owner.DoModal(), IDOK);
    EXPECT_TRUE(owner.boxWasShown) << "shown, with its owner disabled, while it ran";
    EXPECT_TRUE(owner.ownerEnabledAfterBox);
}

// The socket library: version 1.1 while the program runs, ended when the entry routine ends.
TEST(Sockets, StartedForTheProgramAndEndedWithIt)
{
    WORD version = 0;
    bool socketWhileRunning = false;
    ScriptedApp app([&](ScriptedApp&) {
        WSADATA data = {};
        if (!AfxSocketInit(&data))
            return FALSE;
        version = data.wVersion;
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        socketWhileRunning = s != INVALID_SOCKET;
        if (socketWhileRunning)
            ::closesocket(s);
        return FALSE;
    });
    AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW);
    EXPECT_EQ(version, MAKEWORD(1, 1));
    EXPECT_TRUE(socketWhileRunning);
    EXPECT_EQ(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
    EXPECT_EQ(::WSAGetLastError(), WSANOTINITIALISED);
}

// What a message box of this thread shows: its title, owner and icon.
struct BoxSeen
{
    bool found = false;
    std::wstring title;
    HWND owner = nullptr;
    HICON icon = nullptr;
};

BOOL CALLBACK FindIcon(HWND child, LPARAM lParam)
{
    if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(lParam) = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindBox(HWND hWnd, LPARAM lParam)
{
    wchar_t className[16] = {};
    ::GetClassNameW(hWnd, className, 16);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(hWnd))
        return TRUE;
    auto* seen = reinterpret_cast<BoxSeen*>(lParam);
    seen->found = true;
    wchar_t title[128] = {};
    ::GetWindowTextW(hWnd, title, 128);
    seen->title = title;
    seen->owner = ::GetWindow(hWnd, GW_OWNER);
    ::EnumChildWindows(hWnd, &FindIcon, reinterpret_cast<LPARAM>(&seen->icon));
    ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

TEST(MessageBox, ApplicationTitleNoOwnerAndExclamationUnlessAnIconIsGiven)
{
    CWinApp app;
    // An active window of the thread, which the box must not take as its owner.
    const HWND active = ::CreateWindowExW(0, L"STATIC", L"active", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                          nullptr, nullptr, nullptr, nullptr);
    ::SetActiveWindow(active);
    const struct {
        UINT type;
        const wchar_t* icon;
    } cases[] = {
        {MB_OK, IDI_EXCLAMATION},
        {MB_OKCANCEL, IDI_EXCLAMATION},
        {MB_OK | MB_ICONINFORMATION, IDI_INFORMATION},
        {MB_OK | MB_ICONHAND, IDI_HAND},
    };
    for (const auto& c : cases) {
        BoxSeen seen;
        quarn_test::ThreadTimer watch(20, [&] {
            if (!seen.found)
                ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&seen));
        });
        EXPECT_EQ(AfxMessageBox(L"Windows sockets \u521d\u59cb\u5316\u5931\u8d25\u3002", c.type), IDOK);
        ASSERT_TRUE(seen.found) << c.type;
        EXPECT_EQ(seen.title, L"test_app_framework") << c.type;
        EXPECT_EQ(seen.owner, nullptr) << c.type;
        EXPECT_EQ(seen.icon, ::LoadIconW(nullptr, c.icon)) << c.type;
    }
    ::DestroyWindow(active);
}

}  // namespace
