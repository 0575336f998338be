#include "tests/update/UpdateTestSupport.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <mutex>
#include <vector>

#include "services/FileDigest.h"
#include "tests/services/TestFiles.h"
#include "tests/support/ImportPatch.h"

namespace updatetest {

namespace {

using PathProc = BOOL(WINAPI*)(LPCWSTR);
using LockProc = void(WINAPI*)(PSRWLOCK);
using WaitProc = DWORD(WINAPI*)(DWORD, const HANDLE*, BOOL, DWORD);

PathProc g_pfnDeleteFileW = nullptr;
PathProc g_pfnPathFileExistsW = nullptr;
LockProc g_pfnReleaseSRWLockShared = nullptr;
WaitProc g_pfnWaitForMultipleObjects = nullptr;

BOOL WINAPI HeldDeleteFileW(LPCWSTR path)
{
    CCallHold::Pass(CCallHold::kDeleteFile, path);
    return g_pfnDeleteFileW(path);
}

BOOL WINAPI HeldPathFileExistsW(LPCWSTR path)
{
    CCallHold::Pass(CCallHold::kPathFileExists, path);
    return g_pfnPathFileExistsW(path);
}

// Held once the lock is released, so that the lock's other users go on meanwhile.
void WINAPI HeldReleaseSRWLockShared(PSRWLOCK lock)
{
    g_pfnReleaseSRWLockShared(lock);
    CCallHold::Pass(CCallHold::kReleaseSRWLockShared, L"");
}

DWORD WINAPI HeldWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL all, DWORD milliseconds)
{
    CCallHold::Pass(CCallHold::kWaitForMultipleObjects, L"");
    const DWORD result = g_pfnWaitForMultipleObjects(count, handles, all, milliseconds);
    CCallHold::Pass(CCallHold::kWaitForMultipleObjectsReturn, L"");
    return result;
}

bool IsPatched(CCallHold::Function function)
{
    switch (function) {
    case CCallHold::kDeleteFile:
        return g_pfnDeleteFileW != nullptr;
    case CCallHold::kPathFileExists:
        return g_pfnPathFileExistsW != nullptr;
    case CCallHold::kReleaseSRWLockShared:
        return g_pfnReleaseSRWLockShared != nullptr;
    case CCallHold::kWaitForMultipleObjects:
    case CCallHold::kWaitForMultipleObjectsReturn:
        return g_pfnWaitForMultipleObjects != nullptr;
    }
    return false;
}

std::once_flag g_patched;
std::mutex g_holdLock;
std::vector<CCallHold*> g_holds;   // under g_holdLock

}  // namespace

FreedBlock g_freed;

bool FreedBlock::IsUntouched() const
{
    for (size_t i = 0; i < size; ++i) {
        if (memory[i] != kPoison)
            return false;
    }
    return true;
}

void FreedBlock::Free()
{
    ::operator delete(memory);
    memory = nullptr;
    size = 0;
}

void KeepFreed(void* memory, size_t size)
{
    std::memset(memory, FreedBlock::kPoison, size);
    g_freed.memory = static_cast<unsigned char*>(memory);
    g_freed.size = size;
}

CString Md5Of(const std::string& bytes)
{
    const CString scratch = TempPath(L"md5-of.bin");
    WriteBytes(scratch, bytes);
    CString digest;
    GetFileMd5(scratch, digest);
    DeleteFileW(scratch);
    return digest;
}

std::string ReadFileBytes(const CString& path)
{
    return ReadBytes(path);
}

CString InstallerPath()
{
    return TempPath(L"quarn_install.exe");
}

CScopedHandle OpenWorkerThread(const KqWorkThread& worker)
{
    return CScopedHandle(OpenThread(SYNCHRONIZE, FALSE, worker.m_pThread->m_nThreadID));
}

void StartDownload(KqUpgradeDownloadThread& thread, const CString& url, const CString& md5)
{
    thread.m_strVersion = L"1.0";
    thread.m_strExpectedMd5 = md5;
    thread.m_strPackUrl = url;
    SetEvent(thread.m_hWorkEvent.Get());
    thread.m_bStarted = 1;
}

int WaitForResult(KqUpgradeDownloadThread& thread, DWORD milliseconds)
{
    if (WaitForSingleObject(thread.m_hDoneEvent.Get(), milliseconds) != WAIT_OBJECT_0)
        return -1;
    if (thread.m_bDone.load(std::memory_order_acquire) != 1)
        return -1;
    return thread.m_nResult.load();
}

void StopDownload(KqUpgradeDownloadThread& thread)
{
    if (thread.m_bStarted) {
        thread.m_bStarted = 0;
        SetEvent(thread.m_hCancelEvent.Get());
        WaitForSingleObject(thread.m_hDoneEvent.Get(), 1000);
    }
    thread.Stop();
}

CTempFolderOverride::CTempFolderOverride(const CString& folder)
{
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", value, MAX_PATH);
    m_strTmp = value;
    value[0] = L'\0';
    GetEnvironmentVariableW(L"TEMP", value, MAX_PATH);
    m_strTemp = value;
    SetEnvironmentVariableW(L"TMP", folder);
    SetEnvironmentVariableW(L"TEMP", folder);
}

CTempFolderOverride::~CTempFolderOverride()
{
    SetEnvironmentVariableW(L"TMP", m_strTmp.IsEmpty() ? nullptr : m_strTmp.GetString());
    SetEnvironmentVariableW(L"TEMP", m_strTemp.IsEmpty() ? nullptr : m_strTemp.GetString());
}

CCallHold::CCallHold(Function function, int nth, Action action, DWORD thread)
    : m_function(function),
      m_nNth(nth),
      m_action(action),
      m_dwOwnerThread(GetCurrentThreadId()),
      m_dwThread(thread),
      m_hReached(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hReleased(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    PatchAll();
    if (!IsPatched(function)) {
        std::fprintf(stderr, "this program does not import the function the hold wants\n");
        std::abort();
    }
    const std::lock_guard<std::mutex> lock(g_holdLock);
    g_holds.push_back(this);
}

CCallHold::~CCallHold()
{
    {
        const std::lock_guard<std::mutex> lock(g_holdLock);
        g_holds.erase(std::remove(g_holds.begin(), g_holds.end(), this), g_holds.end());
    }
    Release();
}

void CCallHold::PatchAll()
{
    std::call_once(g_patched, [] {
        using quarntest::PatchImport;
        PatchImport("kernel32.dll", "DeleteFileW", &HeldDeleteFileW, g_pfnDeleteFileW);
        PatchImport("shlwapi.dll", "PathFileExistsW", &HeldPathFileExistsW, g_pfnPathFileExistsW);
        PatchImport("kernel32.dll", "ReleaseSRWLockShared", &HeldReleaseSRWLockShared, g_pfnReleaseSRWLockShared);
        PatchImport("kernel32.dll", "WaitForMultipleObjects", &HeldWaitForMultipleObjects,
                    g_pfnWaitForMultipleObjects);
    });
}

bool CCallHold::WaitReached(DWORD milliseconds) const
{
    return WaitForSingleObject(m_hReached.Get(), milliseconds) == WAIT_OBJECT_0;
}

void CCallHold::Release()
{
    SetEvent(m_hReleased.Get());
}

CString CCallHold::HeldPath() const
{
    const std::lock_guard<std::mutex> lock(g_holdLock);
    return m_strHeldPath;
}

DWORD CCallHold::HeldThread() const
{
    const std::lock_guard<std::mutex> lock(g_holdLock);
    return m_dwHeldThread;
}

bool CCallHold::Wants(Function function)
{
    const DWORD caller = GetCurrentThreadId();
    if (m_function != function || (m_dwThread != 0 ? caller != m_dwThread : caller == m_dwOwnerThread))
        return false;
    return ++m_nSeen == m_nNth;
}

void CCallHold::Pass(Function function, const wchar_t* path)
{
    // The held thread waits on a handle of its own, so the hold may go while it still waits.
    CScopedHandle released;
    {
        const std::lock_guard<std::mutex> lock(g_holdLock);
        const auto hold = std::find_if(g_holds.begin(), g_holds.end(),
                                       [function](CCallHold* h) { return h->Wants(function); });
        if (hold == g_holds.end())
            return;
        (*hold)->m_strHeldPath = path;
        (*hold)->m_dwHeldThread = GetCurrentThreadId();
        SetEvent((*hold)->m_hReached.Get());
        if ((*hold)->m_action == kThrow)
            throw std::bad_alloc();
        DuplicateHandle(GetCurrentProcess(), (*hold)->m_hReleased.Get(), GetCurrentProcess(), released.Receive(),
                        SYNCHRONIZE, FALSE, 0);
    }
    WaitForSingleObject(released.Get(), INFINITE);
}

}  // namespace updatetest
