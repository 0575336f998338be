#pragma once
// CUpgradeController: what the main window drives the update engine through. It owns the download
// thread, holds the install folder and the form of it handed to the installer, reads the version
// document and keeps its version, MD5 and package URL, tells whether the installer already in the
// temporary folder is current, and starts the installer. Every operation runs on the window's thread.
//
// Use: construct; CheckUpdate; if it succeeded, m_bNeedDownload := !IsInstallerReady(); any number of
// SetInstallDir / GetInstallDir; then RunInstaller at once, or after a verified download on
// m_pDownloadThread; destroy.

#include <windows.h>

#include <memory>

#include "framework/String.h"
#include "update/UpgradeDownloadThread.h"

class CUpgradeController
{
public:
    // Starts the download thread (its worker idles), then takes the install-path finder's proposal as the
    // install folder. Reads and writes the product's registry keys (see CInstallPathFinder).
    CUpgradeController();
    // Deletes the download thread: it cancels a run and waits at most 1000 ms, then 100 ms, for the
    // worker (see KqUpgradeDownloadThread).
    ~CUpgradeController();
    CUpgradeController(const CUpgradeController&) = delete;
    CUpgradeController& operator=(const CUpgradeController&) = delete;

    // Stores `dir` as the install folder and makes the form handed to the installer (MakeFolderArgument:
    // one trailing '\' or '/' removed, in double quotes when it holds a space). A folder whose handed form
    // would not fit the installer's command line is refused: false, and nothing changes.
    bool SetInstallDir(const CString& dir);
    CString GetInstallDir() const { return m_strInstallDir; }

    // Reads the version document (synchronously: the calling thread waits for the whole exchange) into
    // m_strVersion, m_strMd5 and m_strPackUrl; all three are empty when it fails, and then false.
    bool CheckUpdate();

    // True when the temporary folder holds quarn_install.exe and its MD5 equals m_strMd5.
    bool IsInstallerReady();

    // Starts quarn_install.exe of the temporary folder with the command line " " + the quoted install
    // folder (just " " for an empty folder: the installer's own default). A failed start is not reported.
    void RunInstaller();

    // A copy of the download thread's status line.
    CString GetStatusText() const;

    std::unique_ptr<KqUpgradeDownloadThread> m_pDownloadThread;
    CString m_strInstallDir;           // as chosen, trailing separator included
    CString m_strQuotedInstallDir;     // as handed to the installer
    CString m_strVersion;
    CString m_strMd5;
    CString m_strPackUrl;
    CString m_strInstallerPath;        // the temporary folder + quarn_install.exe, as last built
    BYTE m_bNeedDownload;              // 1 unless the window found the installer current
};
