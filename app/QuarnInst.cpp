#include "app/QuarnInst.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "app/Constants.h"
#include "app/UpgradeDlg.h"
#include "discovery/SysrequireCheck.h"
#include "framework/Sockets.h"
#include "services/CrashDump.h"
#include "services/Process.h"

#ifndef QUARN_VENDOR_HOST
#error QUARN_VENDOR_HOST must name the web site of the browser vendor
#endif

BEGIN_MESSAGE_MAP(CQuarnInst, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// The last of the program's namespace-scope objects with a constructor to run: every constant of
// Constants.cpp is built before it (init_priority) and destroyed after it.
CQuarnInst theApp;

CQuarnInst::CQuarnInst()
{
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

CQuarnInst::~CQuarnInst()
{
    // The process is ending: the name goes with the last open handle.
    if (m_hMutex && m_hMutex != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hMutex);
}

BOOL CQuarnInst::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    const Gdiplus::GdiplusStartupInput gdiplusInput;  // version 1, no callback, background thread, codecs
    ULONG_PTR token = 0;
    // A start-up that failed leaves no token: the exit then has nothing to shut down.
    if (Gdiplus::GdiplusStartup(&token, &gdiplusInput, nullptr) == Gdiplus::Ok)
        m_gdiplusToken = token;

    CWinApp::InitInstance();
    AfxEnableControlContainer();

    if (!AfxSocketInit()) {
        AfxMessageBox(L"Windows sockets \u521d\u59cb\u5316\u5931\u8d25\u3002\u7a0b\u5e8f\u65e0\u6cd5\u8fd0\u884c",  // 初始化失败。程序无法运行
                      MB_OK, 0);
        return FALSE;
    }

    SetRegistryKey(L"quarn");
    ::SetUnhandledExceptionFilter(&CrashDumpFilter);

    const KqSysrequireCheck sysrequire;
    if (!sysrequire.IsBrowserSupported()) {
        // Tobrin需要IE8或以上版本的浏览器的支持，才能正常弹窗。请您点击【确认】按钮下载IE8或以上版本的浏览器并安装。
        ::MessageBoxW(nullptr,
                      L"Tobrin\u9700\u8981IE8\u6216\u4ee5\u4e0a\u7248\u672c\u7684\u6d4f\u89c8\u5668\u7684\u652f\u6301"
                      L"\uff0c\u624d\u80fd\u6b63\u5e38\u5f39\u7a97\u3002\u8bf7\u60a8\u70b9\u51fb\u3010\u786e\u8ba4"
                      L"\u3011\u6309\u94ae\u4e0b\u8f7dIE8\u6216\u4ee5\u4e0a\u7248\u672c\u7684\u6d4f\u89c8\u5668\u5e76"
                      L"\u5b89\u88c5\u3002",
                      L"\u63d0\u793a\u4fe1\u606f",  // 提示信息
                      MB_OK);
        ShellOpen(L"http://" QUARN_VENDOR_HOST L"/zh-cn/download/internet-explorer-8-details.aspx");
        return FALSE;
    }

    if (!CheckSingleInstance())
        return FALSE;

    RunUpgradeDialog();
    // Always: the framework then skips its own message loop and goes straight to ExitInstance.
    return FALSE;
}

int CQuarnInst::ExitInstance()
{
    // Only what was started: an exit before GDI+ started, or after its start failed, has no token.
    if (m_gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    return CWinApp::ExitInstance();
}

bool CQuarnInst::CheckSingleInstance()
{
    // Without a "Global\" prefix: instances in other logon sessions do not count.
    static const CString s_strMutexName(L"{4833BA69-1F58-4571-A512-52E8311D2067}");
    m_hMutex = ::CreateMutexW(nullptr, FALSE, s_strMutexName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Posted, not sent: the second instance waits for no window. No window of this program
        // answers it.
        ::PostMessageW(HWND_BROADCAST, g_uAppSingletonMsg, 0, 0);
        return false;
    }
    // A CreateMutexW that failed for another reason lets this instance run as the first.
    return true;
}

void CQuarnInst::RunUpgradeDialog()
{
    // Not the framework's main window: closing it posts no quit message.
    KqnUpgradeDlg dialog;
    dialog.DoModal();
}
