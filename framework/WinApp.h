#pragma once
// CWinApp: the application object, and the framework's entry routine that runs it.
//
// A program defines exactly one namespace-scope object of a class derived from CWinApp; its
// constructor makes it the application (AfxGetApp). The program's entry point (wWinMain, AppModule.cpp)
// hands over to AfxWinMain, which
//   1. records the instance handle, the command line and the show command in the application object;
//   2. calls InitInstance;
//   3. when InitInstance returned FALSE, calls ExitInstance at once: its result is the exit code;
//      otherwise calls Run, the thread's message loop, which ends with WM_QUIT and returns
//      ExitInstance's result;
//   4. ends what the framework itself started (the socket library, AfxSocketInit).
// No exception leaves AfxWinMain. One that escapes InitInstance still lets ExitInstance run; one that
// escapes any of the three makes the exit code -1.
//
// All of it runs on the program's first thread.

#include <windows.h>

#include "framework/CmdTarget.h"
#include "framework/String.h"

class CWnd;

// The framework's Help command.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// Bits of CWinApp::m_dwRestartManagerSupportFlags. Restart: the framework's InitInstance registers the
// process with the restart manager, which starts the program again (without arguments) after an
// installer or update ended it.
const DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)

public:
    // lpszAppName NULL: the application name is the executable's file name without its extension.
    explicit CWinApp(const wchar_t* lpszAppName = nullptr);
    ~CWinApp() override;

    // The framework's part: registration with the restart manager when m_dwRestartManagerSupportFlags
    // asks for it. TRUE.
    virtual BOOL InitInstance();
    // The message loop, until WM_QUIT; then ExitInstance, whose result it returns.
    virtual int Run();
    // The wParam of the thread's current message record (AfxGetCurrentMessage): 0 when no framework
    // message loop ever ran; after Run, the exit code that WM_QUIT carried.
    virtual int ExitInstance();

    // The registry root of the program's settings ("Software\<key>\<application name>"); the profile
    // name becomes the application name.
    void SetRegistryKey(const wchar_t* lpszRegistryKey);

    const wchar_t* m_pszAppName = nullptr;      // never NULL once constructed
    const wchar_t* m_pszRegistryKey = nullptr;  // NULL until SetRegistryKey
    const wchar_t* m_pszProfileName = nullptr;  // NULL until SetRegistryKey
    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    // The main window, if any: destroyed when InitInstance fails; nothing else reads it here.
    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

protected:
    // The Help command of a program without help: nothing to show.
    void OnHelp();

    DECLARE_MESSAGE_MAP()

private:
    CString m_strAppName;
    CString m_strRegistryKey;
    CString m_strProfileName;
};

// The application object, or NULL when none exists.
CWinApp* AfxGetApp();

// The framework's entry routine (see above). The exit code of the program.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

// MessageBoxW without an owner, titled with the application name (the executable's name when there is
// no application object); a type without an icon gets MB_ICONEXCLAMATION. nIDHelp is not used: the
// program has no help. The box's answer.
int AfxMessageBox(const wchar_t* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Control containment for ActiveX controls: the program's windows hold none, so nothing to set up.
void AfxEnableControlContainer();
