#pragma once
// CQuarnInst: the application object. Its InitInstance runs the start-up checks in a fixed order
// (socket library, browser engine, single instance), then the installer window modally, and reports
// failure on every path, so the framework runs no message loop of its own and goes straight to
// ExitInstance, which shuts GDI+ down after every window and image is gone. The program reads no
// command line and keeps no settings.

#include <windows.h>

#include "framework/WinApp.h"

class CQuarnInst : public CWinApp
{
public:
    // Restart-manager support on: a restart is a plain new start.
    CQuarnInst();
    ~CQuarnInst() override;

    // Start-up; FALSE on every path.
    BOOL InitInstance() override;
    // GdiplusShutdown when GDI+ was started, then CWinApp's result, the program's exit code.
    int ExitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()

private:
    // True when no other instance in this logon session holds the instance mutex's name; a second
    // instance posts the registered APP_SINGLETON message to all top-level windows first.
    bool CheckSingleInstance();
    void RunUpgradeDialog();

    ULONG_PTR m_gdiplusToken = 0;   // 0 until GDI+ has started
    // INVALID_HANDLE_VALUE until the single-instance check stores CreateMutexW's result (NULL when it
    // failed). Held for as long as the program runs; only the name's existence matters.
    HANDLE m_hMutex = INVALID_HANDLE_VALUE;
};

extern CQuarnInst theApp;
