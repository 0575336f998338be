#include "framework/WinApp.h"

#include "framework/Sockets.h"
#include "framework/ThreadState.h"
#include "framework/Wnd.h"

namespace {

// Constant-initialised: it exists before the application object's constructor runs.
CWinApp* g_pApp = nullptr;

// The executable's file name without folder and extension.
CString ModuleBaseName()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString();
    CString name(path);
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    const int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* lpszAppName)
    : m_strAppName(lpszAppName ? CString(lpszAppName) : ModuleBaseName())
{
    m_pszAppName = m_strAppName;
    if (!g_pApp)
        g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

BOOL CWinApp::InitInstance()
{
    // The program reads no arguments: a restart is a plain start.
    if (m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART)
        ::RegisterApplicationRestart(nullptr, 0);
    return TRUE;
}

int CWinApp::Run()
{
    MSG* current = AfxGetCurrentMessage();
    for (;;) {
        const BOOL got = ::GetMessageW(current, nullptr, 0, 0);
        // 0: WM_QUIT; -1: the thread's queue cannot be read at all, which no retry mends.
        if (got == 0 || got == -1)
            break;
        ::TranslateMessage(current);
        ::DispatchMessageW(current);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(AfxGetCurrentMessage()->wParam);
}

void CWinApp::SetRegistryKey(const wchar_t* lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey;
    m_strProfileName = m_strAppName;
    m_pszRegistryKey = m_strRegistryKey;
    m_pszProfileName = m_strProfileName;
}

void CWinApp::OnHelp()
{
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;

    bool initialised = false;
    bool threw = false;
    try {
        initialised = app->InitInstance() != FALSE;
    } catch (...) {
        threw = true;
    }
    int exitCode = -1;
    try {
        if (initialised) {
            exitCode = app->Run();
        } else {
            if (app->m_pMainWnd)
                app->m_pMainWnd->DestroyWindow();
            // Also after a failed initialisation: it undoes what InitInstance did before it failed.
            exitCode = app->ExitInstance();
        }
    } catch (...) {
        threw = true;
    }
    AfxSocketTerm();
    return threw ? -1 : exitCode;
}

int AfxMessageBox(const wchar_t* lpszText, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0)
        nType |= MB_ICONEXCLAMATION;
    const CWinApp* app = AfxGetApp();
    const CString title = app ? CString(app->m_pszAppName) : ModuleBaseName();
    return ::MessageBoxW(nullptr, lpszText, title, nType);
}

void AfxEnableControlContainer()
{
}
