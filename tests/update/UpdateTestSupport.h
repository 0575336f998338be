#pragma once
// Shared by the update-engine tests: digests of test bodies, waits, a download run as the window drives
// it, and holds that stop the download worker inside a system call for as long as a test needs.

#include <windows.h>

#include <string>

#include "framework/String.h"
#include "services/ScopedHandle.h"
#include "tests/support/Wait.h"
#include "update/UpgradeDownloadThread.h"

namespace updatetest {

// The lowercase MD5 of `bytes`, through a scratch file in the temporary folder.
CString Md5Of(const std::string& bytes);

// The file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const CString& path);

// The test program's temporary folder + quarn_install.exe, where the download thread writes.
CString InstallerPath();

// A handle to the worker thread, for waiting on its end after the object went. Open it while the
// worker surely runs (m_pThread is not to be read once it may have ended).
CScopedHandle OpenWorkerThread(const KqWorkThread& worker);

// As the window starts a download: the three inputs, the work signal, the started flag.
void StartDownload(KqUpgradeDownloadThread& thread, const CString& url, const CString& md5);

// Waits for the run to end (the done event) and returns its result as the window reads it: the done
// flag with an acquire load first. -1 when the run did not end within `milliseconds`.
int WaitForResult(KqUpgradeDownloadThread& thread, DWORD milliseconds = kPatience);

// As the window's StopDownload: cancel and wait up to 1000 ms for the run when one was started, then
// stop the worker. Keeps a test's later destruction from waiting for an idle worker.
void StopDownload(KqUpgradeDownloadThread& thread);

// The memory of an object whose class frees it through KeepFreed (in its own operator delete): the
// bytes are overwritten with a pattern and the block is kept, not freed, so that a test can see whether
// anything wrote to the object after it went. One block at a time.
struct FreedBlock {
    static constexpr unsigned char kPoison = 0xdd;
    unsigned char* memory = nullptr;
    size_t size = 0;

    bool IsUntouched() const;
    // Frees the kept block at last.
    void Free();
};
extern FreedBlock g_freed;
void KeepFreed(void* memory, size_t size);

// A test program's own temporary folder for as long as the object lives: TMP and TEMP point at
// `folder` (with its trailing backslash), then back.
class CTempFolderOverride
{
public:
    explicit CTempFolderOverride(const CString& folder);
    ~CTempFolderOverride();
    CTempFolderOverride(const CTempFolderOverride&) = delete;
    CTempFolderOverride& operator=(const CTempFolderOverride&) = delete;

private:
    CString m_strTmp;
    CString m_strTemp;
};

// Holds the n-th call of a system function made, after construction, by any thread other than the
// constructing one (or by `thread` alone, when given), until Release() or the destructor; or, with
// kThrow, makes that call throw std::bad_alloc instead. The download thread calls DeleteFileW right
// after it shows "准备" and after every failed attempt, PathFileExistsW right after "验证文件中...", and
// the worker WaitForMultipleObjects once a run has ended; kWaitForMultipleObjectsReturn holds that call
// once it has returned, when the worker has been woken and has not yet acted on it. A reader of the status
// text calls ReleaseSRWLockShared right after its copy was taken (held once the lock is free). So a hold
// there shows a test each of those moments for certain. The calls pass through the test program's import table,
// patched by PatchAll; a call that no hold wants goes straight on. Several holds may wait at once.
class CCallHold
{
public:
    enum Function {
        kDeleteFile,
        kPathFileExists,
        kReleaseSRWLockShared,
        kWaitForMultipleObjects,
        kWaitForMultipleObjectsReturn
    };
    enum Action { kHold, kThrow };

    explicit CCallHold(Function function, int nth = 1, Action action = kHold, DWORD thread = 0);
    ~CCallHold();
    CCallHold(const CCallHold&) = delete;
    CCallHold& operator=(const CCallHold&) = delete;

    // True once the call is being held (or has thrown).
    bool WaitReached(DWORD milliseconds = kPatience) const;
    void Release();
    // The path the held call was made with.
    CString HeldPath() const;
    // The thread whose call is held.
    DWORD HeldThread() const;

    // Patches the import table for every function a hold can want that the program imports; the first
    // hold does it too. Code that is already running may keep the address it read before (the compiler
    // can keep an imported function's address in a register through a loop), so a test whose hold is
    // made while the worker runs calls this before the worker starts.
    static void PatchAll();

    // For the patched functions: holds the caller, or throws, when this call is the one wanted.
    static void Pass(Function function, const wchar_t* path);

private:
    // Counts the call when it is of the function and thread wanted; true for the n-th.
    bool Wants(Function function);

    Function m_function;
    int m_nNth;
    Action m_action;
    int m_nSeen = 0;
    DWORD m_dwOwnerThread;
    DWORD m_dwThread;
    CString m_strHeldPath;
    DWORD m_dwHeldThread = 0;
    CScopedHandle m_hReached;
    CScopedHandle m_hReleased;
};

}  // namespace updatetest
