#include "update/UpgradeDownloadThread.h"

#include <shlwapi.h>

#include <string>
#include <utility>

#include "framework/File.h"
#include "services/FileDigest.h"
#include "services/HttpClient.h"
#include "services/TextConvert.h"

const wchar_t g_szInstallerFileName[] = L"quarn_install.exe";

namespace {

constexpr int kVerifyFailed = 0x1001;
constexpr int kVerifyFailedShown = 0x10000008;   // the code the status line shows for kVerifyFailed
constexpr int kCannotCreateFile = 0x10000005;
constexpr int kCannotWriteFile = 0x10000007;
constexpr int kRunFailed = 0x1000000b;

const wchar_t kStatusPreparing[] = L"\u51c6\u5907";                                    // 准备
const wchar_t kStatusDownloading[] = L"\u4e0b\u8f7d\u4e2d...";                         // 下载中...
const wchar_t kStatusVerifying[] = L"\u9a8c\u8bc1\u6587\u4ef6\u4e2d...";               // 验证文件中...
const wchar_t kStatusVerified[] = L"\u6267\u884c\u66f4\u65b0";                         // 执行更新
// 不能建立本地文件，无法下载更新！
const wchar_t kCannotCreateText[] =
    L"\u4e0d\u80fd\u5efa\u7acb\u672c\u5730\u6587\u4ef6\uff0c\u65e0\u6cd5\u4e0b\u8f7d\u66f4\u65b0\uff01";
const wchar_t kVerifyFailedText[] = L"\u5b89\u88c5\u6587\u4ef6\u9a8c\u8bc1\u5931\u8d25";  // 安装文件验证失败

// Holds an SRW lock for its own lifetime, also when an exception leaves the scope. An SRW lock rather
// than a mutex object: taking it cannot fail, so the guard itself throws nothing.
class CScopedSrwLock
{
public:
    enum Mode { kShared, kExclusive };

    CScopedSrwLock(SRWLOCK& lock, Mode mode) : m_lock(lock), m_mode(mode)
    {
        if (m_mode == kShared)
            AcquireSRWLockShared(&m_lock);
        else
            AcquireSRWLockExclusive(&m_lock);
    }
    ~CScopedSrwLock()
    {
        if (m_mode == kShared)
            ReleaseSRWLockShared(&m_lock);
        else
            ReleaseSRWLockExclusive(&m_lock);
    }
    CScopedSrwLock(const CScopedSrwLock&) = delete;
    CScopedSrwLock& operator=(const CScopedSrwLock&) = delete;

private:
    SRWLOCK& m_lock;
    const Mode m_mode;
};

}  // namespace

CString GetTempFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    return CString(folder);
}

bool VerifyFileMd5(const CString& path, const CString& expected)
{
    CString digest;
    GetFileMd5(path, digest);
    // A digest that could not be computed stays empty, and an empty expected text must not pass for it.
    return !digest.IsEmpty() && digest.CompareNoCase(expected) == 0;
}

KqUpgradeDownloadThread::State::State()
    : m_hCancelEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),   // manual reset, unsignalled
      m_hDoneEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))      // manual reset, unsignalled
{
}

int KqUpgradeDownloadThread::State::Run()
{
    m_bDone.store(0);
    m_nResult.store(0);
    if (WaitForSingleObject(m_hDoneEvent.Get(), 0) == WAIT_OBJECT_0)
        ResetEvent(m_hDoneEvent.Get());

    int result = 0;
    try {
        result = RunAttempts();
    } catch (...) {
        // Out of memory, most likely. The window waits for the run to end, so it must end all the same,
        // as a failure that leaves no file behind.
        result = kRunFailed;
        DeleteFileW(m_strTempFile);
        try {
            SetErrorStatus(CString(), kRunFailed);
        } catch (...) {
            // The line stays as it was; the result and the done flag still tell the failure.
        }
    }

    m_nResult.store(result);
    // Release: a reader that sees the run done sees its result and its last status line.
    m_bDone.store(1, std::memory_order_release);
    SetEvent(m_hDoneEvent.Get());
    return result;
}

int KqUpgradeDownloadThread::State::RunAttempts()
{
    SetStatusText(kStatusPreparing);
    PrepareTempPaths();
    // Whatever installer is there, current or not, is replaced.
    DeleteFileW(m_strTempFile);

    int result = 0;
    // A cancelled attempt does not end the loop: the cancel event stays signalled, so the next attempt
    // ends as cancelled too, no later than its first read.
    for (int attempt = 0; attempt < m_nAttempts; ++attempt) {
        SetStatusText(kStatusDownloading);
        const int code = DownloadInstaller();
        if (code != 0) {
            result = code;
            DeleteFileW(m_strTempFile);
            continue;
        }
        SetStatusText(kStatusVerifying);
        if (PathFileExistsW(m_strTempFile) && VerifyFileMd5(m_strTempFile, m_strExpectedMd5)) {
            result = 0;
            SetStatusText(kStatusVerified);
            break;
        }
        result = kVerifyFailed;
        SetErrorStatus(kVerifyFailedText, kVerifyFailedShown);
        DeleteFileW(m_strTempFile);
    }
    return result;
}

int KqUpgradeDownloadThread::State::PrepareTempPaths()
{
    // Without a temporary folder the file is the bare name, in the current folder.
    m_strTempDir = GetTempFolder();
    m_strTempFile = m_strTempDir + g_szInstallerFileName;
    // The path in the ANSI code page; nothing reads this copy.
    const std::string ansiTempFile = CStringToAnsi(m_strTempFile);
    m_strUrl = m_strPackUrl;
    return 0;
}

int KqUpgradeDownloadThread::State::DownloadInstaller()
{
    CFile file;
    if (!file.Open(m_strTempFile, CFile::modeCreate | CFile::modeWrite)) {
        SetErrorStatus(kCannotCreateText, kCannotCreateFile);
        return kCannotCreateFile;
    }
    CHttpClient client;
    client.m_pProgress = &m_nProgress;
    int code = 0;
    try {
        code = client.DownloadToFile(file, m_strUrl, m_hCancelEvent.Get());
    } catch (const CFileException&) {
        // The file could not take the bytes (a full disk). The client has closed its connection; the
        // attempt ends as a failed transfer, and the caller deletes what was written.
        code = kCannotWriteFile;
    }
    file.Close();
    if (code != 0)
        SetErrorStatus(client.GetErrorText(code), code);
    return code;
}

void KqUpgradeDownloadThread::State::SetErrorStatus(const CString& message, int code)
{
    m_strErrorText.Format(L"%ls0x%x\u3002", message.GetString(), static_cast<unsigned>(code));
    SetStatusText(m_strErrorText);
}

void KqUpgradeDownloadThread::State::SetStatusText(const CString& text)
{
    // The copy is made outside the guard, so the window's copy never waits for an allocation.
    CString replacement = text;
    const CScopedSrwLock guard(m_statusGuard, CScopedSrwLock::kExclusive);
    std::swap(m_strStatusText, replacement);
}

CString KqUpgradeDownloadThread::State::GetStatusText() const
{
    const CScopedSrwLock guard(m_statusGuard, CScopedSrwLock::kShared);
    return m_strStatusText;
}

KqUpgradeDownloadThread::KqUpgradeDownloadThread()
    : m_pState(std::make_shared<State>()),
      m_strExpectedMd5(m_pState->m_strExpectedMd5),
      m_strPackUrl(m_pState->m_strPackUrl),
      m_strVersion(m_pState->m_strVersion),
      m_nProgress(m_pState->m_nProgress),
      m_hCancelEvent(m_pState->m_hCancelEvent),
      m_hDoneEvent(m_pState->m_hDoneEvent),
      m_bDone(m_pState->m_bDone),
      m_nResult(m_pState->m_nResult),
      m_bStarted(0),
      m_nAttempts(m_pState->m_nAttempts)
{
}

KqUpgradeDownloadThread::~KqUpgradeDownloadThread()
{
    if (m_hCancelEvent)
        SetEvent(m_hCancelEvent.Get());
    // A worker ends only on the stop event, which the base signals after this: with a live worker the
    // wait runs its full time, and a run still working after it goes on without the object.
    WaitForWorker(1000);
    DetachWorker();
}

int KqUpgradeDownloadThread::Run()
{
    // The run may outlast the object: it holds the state, and lets go of the object before it works.
    const std::shared_ptr<State> state = m_pState;
    DetachRun();
    return state->Run();
}

CString KqUpgradeDownloadThread::GetStatusText() const
{
    return m_pState->GetStatusText();
}
