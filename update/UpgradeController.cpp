#include "update/UpgradeController.h"

#include <shlwapi.h>

#include "discovery/InstallPathFinder.h"
#include "services/Process.h"
#include "update/UpdateInfo.h"

namespace {

constexpr int kMaxHandedLength = MAX_PATH - 2;

}  // namespace

// The download thread comes first, so that a failure later in construction deletes it on the way out.
CUpgradeController::CUpgradeController()
    : m_pDownloadThread(std::make_unique<KqUpgradeDownloadThread>()),
      m_bNeedDownload(1)
{
    CInstallPathFinder finder;
    SetInstallDir(finder.FindInstallPath());
}

CUpgradeController::~CUpgradeController() = default;

void CUpgradeController::SetInstallDir(const CString& dir)
{
    m_strInstallDir = dir;
    m_strQuotedInstallDir.Empty();

    CString folder = dir;
    const int length = folder.GetLength();
    if (length > 0 && (folder[length - 1] == L'\\' || folder[length - 1] == L'/'))
        folder.Truncate(length - 1);
    // The handed form follows one blank on the installer's command line of 260 characters. A folder
    // that does not fit there whole is not handed over at all: cut, it would name another folder.
    const int quotes = folder.Find(L' ') >= 0 ? 2 : 0;
    if (folder.GetLength() + quotes > kMaxHandedLength)
        return;
    wchar_t buffer[MAX_PATH] = {};
    lstrcpynW(buffer, folder, MAX_PATH);
    PathQuoteSpacesW(buffer);
    m_strQuotedInstallDir = buffer;
}

bool CUpgradeController::CheckUpdate()
{
    CUpdateInfo info;
    info.Reset();
    const bool fetched = info.FetchAndParse();
    // After a failed fetch the three are empty.
    m_strVersion = info.GetVersion();
    m_strMd5 = info.GetMd5();
    m_strPackUrl = info.GetPackUrl();
    return fetched;
}

bool CUpgradeController::IsInstallerReady()
{
    m_strInstallerPath = GetTempFolder() + g_szInstallerFileName;
    return PathFileExistsW(m_strInstallerPath) && VerifyFileMd5(m_strInstallerPath, m_strMd5);
}

void CUpgradeController::RunInstaller()
{
    m_strInstallerPath = GetTempFolder() + g_szInstallerFileName;
    // Without its folder the installer would install where the user did not choose.
    if (m_strQuotedInstallDir.IsEmpty())
        return;
    RunProgram(m_strInstallerPath, m_strQuotedInstallDir);
}

CString CUpgradeController::GetStatusText() const
{
    return m_pDownloadThread->GetStatusText();
}
