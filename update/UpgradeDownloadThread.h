#pragma once
// KqUpgradeDownloadThread: the worker that, for each signal of its work event, downloads the product's
// installer from m_strPackUrl into the user's temporary folder as quarn_install.exe and verifies its MD5
// against m_strExpectedMd5, in up to m_nAttempts (2) attempts. An installer left in the temporary folder
// is deleted at the start of every run, and a file that failed is deleted after its attempt.
//
// The window's side, on its own thread:
// - writes m_strVersion, m_strExpectedMd5 and m_strPackUrl, then signals m_hWorkEvent (the signal
//   publishes them), and sets m_bStarted, which is its own;
// - reads GetStatusText() (a copy, taken under the status guard), m_nProgress, m_bDone and, once it has
//   seen m_bDone 1 (an acquire load), m_nResult;
// - cancels by signalling m_hCancelEvent, which is never reset: the transfer running ends before its
//   next read (a read already waiting for data finishes first), and no later transfer of this object
//   completes. It may then wait on m_hDoneEvent, which a run resets at its start and signals at its end.
//
// Result of a run (m_nResult) and its status line:
//   0           verified; "执行更新", and the file stays
//   0x1001      the file failed verification; "安装文件验证失败0x10000008。"
//   0x10000005  the local file cannot be created; "不能建立本地文件，无法下载更新！0x10000005。"
//   0x10000007  the local file cannot be written (a full disk); "0x10000007。"
//   0x1000000b  the run itself failed (out of memory); "0x1000000b。", and the file is deleted
//   other       the code of CHttpClient::DownloadToFile (0x20000001 when cancelled); "0x" code "。"
// m_nProgress is the HTTP client's per-mille progress; it is not reset between attempts or runs.
//
// Lifetime: everything a run touches lives in a block the worker holds for the length of the run (the
// fields below are references into it), so the object can be destroyed while a run still works. The
// destructor signals the cancel event, waits up to 1000 ms for the worker, lets the worker go (see
// KqWorkThread) and then stops it, waiting up to 100 ms more. A run that outlasts those waits (a
// stalled connection: WinINet's own time-outs apply) finishes on its block, never on the object.

#include <windows.h>

#include <atomic>
#include <memory>

#include "framework/String.h"
#include "services/ScopedHandle.h"
#include "update/WorkThread.h"

// The installer's file name in the temporary folder.
extern const wchar_t g_szInstallerFileName[];

// The user's temporary folder as GetTempPathW gives it, with its trailing backslash; empty when it
// cannot be had within 260 characters.
CString GetTempFolder();

// True when the MD5 of the file at `path` equals `expected` (hexadecimal, compared without regard to
// case, used as it stands: no trimming). A file whose digest cannot be computed (missing, unreadable)
// never matches, whatever is expected.
bool VerifyFileMd5(const CString& path, const CString& expected);

class KqUpgradeDownloadThread : public KqWorkThread
{
public:
    KqUpgradeDownloadThread();
    ~KqUpgradeDownloadThread() override;

    // One run, on the worker only; returns the run's result.
    int Run() override;

    // A copy of the status line, taken under the guard the worker replaces it under.
    CString GetStatusText() const;

private:
    // What a run uses, shared between the object and its worker; fields in the order of the object's.
    struct State
    {
        State();

        // The whole run: it always ends with m_nResult, m_bDone and the done event set.
        int Run();
        // "准备", the old file deleted, then the attempts; the result of the last.
        int RunAttempts();
        // Sets m_strTempDir, m_strTempFile and m_strUrl; returns 0.
        int PrepareTempPaths();
        // One transfer of m_strUrl into m_strTempFile: 0 or a failure code, whose status line it sets.
        int DownloadInstaller();
        // m_strErrorText := message + "0x" + code in hexadecimal + "。"; it becomes the status line.
        void SetErrorStatus(const CString& message, int code);
        void SetStatusText(const CString& text);
        CString GetStatusText() const;

        CString m_strErrorText;
        CString m_strUrl;
        CString m_strTempDir;
        CString m_strTempFile;
        CString m_strExpectedMd5;
        CString m_strPackUrl;
        CString m_strVersion;
        CString m_strStatusText;              // under m_statusGuard
        std::atomic<int> m_nProgress{0};
        CScopedHandle m_hCancelEvent;
        CScopedHandle m_hDoneEvent;
        std::atomic<BYTE> m_bDone{0};
        std::atomic<int> m_nResult{0};
        int m_nAttempts = 2;
        mutable SRWLOCK m_statusGuard = SRWLOCK_INIT;
    };

    std::shared_ptr<State> m_pState;   // first: the references below point into it

public:
    CString& m_strExpectedMd5;         // input
    CString& m_strPackUrl;             // input
    CString& m_strVersion;             // input, not used by the download
    std::atomic<int>& m_nProgress;
    CScopedHandle& m_hCancelEvent;     // manual-reset, never reset
    CScopedHandle& m_hDoneEvent;       // manual-reset
    std::atomic<BYTE>& m_bDone;        // 0 while a run works, 1 once it has ended
    std::atomic<int>& m_nResult;
    BYTE m_bStarted;                   // the window's own flag
    int& m_nAttempts;
};
