#include "update/UpgradeController.h"

#include <shlwapi.h>

#include "discovery/InstallPathFinder.h"
#include "services/Process.h"
#include "update/UpdateInfo.h"

// The download thread comes first, so that a failure later in construction deletes it on the way out.
CUpgradeController::CUpgradeController()
    : m_pDownloadThread(std::make_unique<KqUpgradeDownloadThread>()),
      m_bNeedDownload(1)
{
    CInstallPathFinder finder;
    SetInstallDir(finder.FindInstallPath());
}

CUpgradeController::~CUpgradeController() = default;

bool CUpgradeController::SetInstallDir(const CString& dir)
{
    // Refused here, so that the road never reaches an installer start that could not be made.
    CString handed;
    if (!MakeFolderArgument(dir, handed))
        return false;
    m_strInstallDir = dir;
    m_strQuotedInstallDir = handed;
    return true;
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
    // An empty folder gives the command line " ": the installer then installs where it would by default.
    RunProgram(m_strInstallerPath, m_strQuotedInstallDir);
}

CString CUpgradeController::GetStatusText() const
{
    return m_pDownloadThread->GetStatusText();
}
