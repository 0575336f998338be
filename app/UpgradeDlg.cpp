#include "app/UpgradeDlg.h"

#include "app/Constants.h"
#include "app/MsgboxDlg.h"
#include "app/ProgressBar.h"
#include "app/SkinHelpers.h"
#include "app/WindowHelpers.h"
#include "framework/Brush.h"
#include "framework/DataExchange.h"
#include "framework/Pen.h"
#include "framework/ResourceHandle.h"
#include "res/resource.h"
#include "services/Folders.h"
#include "services/Process.h"
#include "update/UpgradeController.h"

#ifndef QUARN_WEB_HOST
#error QUARN_WEB_HOST must name the web site of the product
#endif

namespace {

const int kWindowWidth = 600;
const int kWindowHeight = 380;
const UINT_PTR kPollTimer = 2;
const UINT kPollMilliseconds = 100;
const DWORD kCancelWaitMilliseconds = 1000;
const COLORREF kTextColor = 0xF29A2E;        // RGB(46, 154, 242)
const COLORREF kFillColor = 0xFDD277;        // RGB(119, 210, 253)
const COLORREF kIdleTrackColor = 0xFFFFFF;
const COLORREF kTrackColor = 0xEEEEEE;
const POINT kBarCorner = {4, 4};

}  // namespace

IMPLEMENT_DYNAMIC(KqnUpgradeDlg, CSkinDialog)

BEGIN_MESSAGE_MAP(KqnUpgradeDlg, CSkinDialog)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_BN_CLICKED(IDCANCEL, OnBnClickedCancel)
    ON_BN_CLICKED(IDOK, OnBnClickedOk)
    ON_WM_LBUTTONDOWN_DRAG()
    ON_WM_ERASEBKGND_NOTHING()
    ON_BN_CLICKED(IDC_BTN_MINIMIZE, OnBnClickedMinimize)
    ON_BN_CLICKED(IDC_BTN_UPDATE, OnBnClickedUpdate)
    ON_BN_CLICKED(IDC_BTN_CLOSE, OnBnClickedClose)
    ON_BN_CLICKED(IDC_BTN_PATH, OnBnClickedPath)
    ON_BN_CLICKED(IDC_BTN_EULA, OnBnClickedEula)
END_MESSAGE_MAP()

KqnUpgradeDlg::KqnUpgradeDlg()
    : CSkinDialog(IDD_UPGRADE_DIALOG, nullptr), m_pController(std::make_unique<CUpgradeController>())
{
    InitStyle();
}

KqnUpgradeDlg::~KqnUpgradeDlg() = default;

void KqnUpgradeDlg::InitStyle()
{
    static const CString s_strFontFace(L"\u5fae\u8f6f\u96c5\u9ed1");  // 微软雅黑
    m_strInstallDirLabel = g_strInstallDirLabel;
    HideProgress();
    m_bShowInstallDir = true;
    CreateSkinFont(m_fontInstallDir, -14, s_strFontFace);
    CreateSkinFont(m_fontStatus, -22, s_strFontFace);
}

void KqnUpgradeDlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_UPDATE, m_btnUpdate);
    DDX_Control(pDX, IDC_BTN_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_BTN_MINIMIZE, m_btnMinimize);
    DDX_Control(pDX, IDC_BTN_EULA, m_btnEula);
    DDX_Control(pDX, IDC_BTN_PATH, m_btnPath);
}

BOOL KqnUpgradeDlg::OnInitDialog()
{
    // First: the buttons take the back buffer it creates.
    CSkinDialog::OnInitDialog();
    InitButtons();
    InitWindow();
    // The window shows only once this has returned: the fetch happens before anything is seen.
    CheckInstallInfo();
    return TRUE;
}

void KqnUpgradeDlg::InitButtons()
{
    SetUpSkinButton(m_btnUpdate, m_hBackDC,
                    {IDB_PNG_UPDATE, IDB_PNG_UPDATE_HOVER, IDB_PNG_UPDATE_PRESSED, IDB_PNG_UPDATE_FOCUSED, 195, 60}, L"");
    SetUpSkinButton(m_btnMinimize, m_hBackDC,
                    {IDB_PNG_MINIMIZE, IDB_PNG_MINIMIZE_HOVER, IDB_PNG_MINIMIZE, IDB_PNG_MINIMIZE, 24, 24}, L"");
    SetUpSkinButton(m_btnClose, m_hBackDC,
                    {IDB_PNG_CLOSE, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE, IDB_PNG_CLOSE, 24, 24}, L"");
    SetUpSkinButton(m_btnEula, m_hBackDC,
                    {IDB_PNG_EULA, IDB_PNG_EULA_HOVER, IDB_PNG_EULA, IDB_PNG_EULA, 160, 22}, L"");
    m_btnEula.m_bHandCursor = true;
    SetUpSkinButton(m_btnPath, m_hBackDC,
                    {IDB_PNG_PATH, IDB_PNG_PATH_HOVER, IDB_PNG_PATH, IDB_PNG_PATH, 80, 22}, L"");
    m_btnPath.m_bHandCursor = true;
}

void KqnUpgradeDlg::InitWindow()
{
    m_imgBackground.LoadFromResource(AfxGetResourceHandle(), L"PNG", MAKEINTRESOURCEW(IDB_PNG_BACKGROUND));
    m_rcInstallDir = CRect(100, 300, 500, 328);
    m_rcBar = CRect(100, 256, 500, 264);
    m_rcStatus = CRect(100, 280, 500, 308);
    SetWindowPos(nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindowInWorkArea(m_hWnd);
    LayoutControls();
}

void KqnUpgradeDlg::LayoutControls()
{
    CRect c;
    GetClientRect(&c);
    MoveCtrlCenterTo(this, IDC_BTN_CLOSE, c.right - 27, c.top + 27);
    MoveCtrlCenterTo(this, IDC_BTN_MINIMIZE, c.right - 51, c.top + 27);
    MoveCtrlCenterTo(this, IDC_BTN_UPDATE, c.left + (c.right - c.left) / 2, c.top + 260);
    MoveCtrlCenterTo(this, IDC_BTN_EULA, c.left + 95, c.bottom - 15);
    MoveCtrlCenterTo(this, IDC_BTN_PATH, c.right - 65, c.bottom - 15);
    if (CWnd* edit = GetDlgItem(IDC_EDIT_HIDDEN))
        edit->ShowWindow(SW_HIDE);
}

void KqnUpgradeDlg::OnSize(UINT nType, int cx, int cy)
{
    CSkinDialog::OnSize(nType, cx, cy);
    // The sizes sent while the window is being created come before its controls exist.
    if (GetDlgItem(IDOK))
        LayoutControls();
}

void KqnUpgradeDlg::CheckInstallInfo()
{
    const bool ok = m_pController->CheckUpdate();
    if (ok)
        m_pController->m_bNeedDownload = !m_pController->IsInstallerReady();
    m_bInstallInfoOk = ok;
    if (ok) {
        m_strStatus.Empty();
        UpdateProgress();
        return;
    }
    m_btnUpdate.EnableWindow(FALSE);
    m_btnUpdate.Invalidate(TRUE);
    m_strStatus = L"\u65e0\u6cd5\u8bfb\u53d6\u5b89\u88c5\u4fe1\u606f";  // 无法读取安装信息
    UpdateProgress();
    HideActionButtons();
    HideProgress();
    m_bShowInstallDir = false;
}

void KqnUpgradeDlg::HideProgress()
{
    m_fProgress = 0;
    m_rcTrack.SetRectEmpty();
    m_rcFill.SetRectEmpty();
    m_crTrack = kIdleTrackColor;
    m_bShowProgress = false;
}

void KqnUpgradeDlg::HideActionButtons()
{
    for (const int id : {IDC_BTN_UPDATE, IDC_BTN_PATH, IDC_BTN_EULA}) {
        if (CWnd* button = GetDlgItem(id))
            button->ShowWindow(SW_HIDE);
    }
}

void KqnUpgradeDlg::UpdateProgress()
{
    m_crText = kTextColor;
    m_crFill = kFillColor;
    m_strStatusShown = m_strStatus;
    m_rcFill = ProgressFillRect(m_rcBar, m_fProgress);
    InvalidateRect(&m_rcStatus, TRUE);
    InvalidateRect(&m_rcBar, TRUE);
}

void KqnUpgradeDlg::OnDrawBackground(CDC* pDC, int, int)
{
    CRect client;
    GetClientRect(&client);
    m_imgBackground.Draw(pDC, client);
    DrawStatusText(pDC);
    if (m_bShowProgress)
        DrawProgressBar(pDC);
    if (m_bShowInstallDir)
        DrawInstallPath(pDC);
}

void KqnUpgradeDlg::DrawStatusText(CDC* pDC)
{
    // Without DT_SINGLELINE, DT_VCENTER does nothing: the line starts at the rectangle's top.
    DrawSkinText(pDC, m_strStatusShown, m_rcStatus, DT_CENTER | DT_VCENTER | DT_EDITCONTROL, m_fontStatus,
                 m_crText);
}

void KqnUpgradeDlg::DrawInstallPath(CDC* pDC)
{
    const CString text = m_strInstallDirLabel + m_pController->GetInstallDir();
    DrawSkinText(pDC, text, m_rcInstallDir, DT_VCENTER | DT_EDITCONTROL | DT_PATH_ELLIPSIS, m_fontInstallDir,
                 m_crText);
}

void KqnUpgradeDlg::DrawProgressBar(CDC* pDC)
{
    {
        const CPen pen(PS_SOLID, 0, m_crTrack);
        const CBrush brush(m_crTrack);
        const CScopedSelect selectPen(pDC, pen);
        const CScopedSelect selectBrush(pDC, brush);
        pDC->RoundRect(&m_rcTrack, kBarCorner);
    }
    const CPen pen(PS_SOLID, 0, m_crFill);
    const CBrush brush(m_crFill);
    const CScopedSelect selectPen(pDC, pen);
    const CScopedSelect selectBrush(pDC, brush);
    pDC->RoundRect(&m_rcFill, kBarCorner);
    DrawProgressGradient(pDC, ProgressGradientStrip(m_rcFill));
}

void KqnUpgradeDlg::OnBnClickedUpdate()
{
    if (!m_pController->m_bNeedDownload) {
        m_pController->RunInstaller();
        EndDialog(IDCANCEL);
        return;
    }
    HideActionButtons();
    m_rcTrack = m_rcBar;
    m_bShowInstallDir = false;
    m_crTrack = kTrackColor;
    m_bShowProgress = true;
    Invalidate(TRUE);
    StartDownload();
}

void KqnUpgradeDlg::StartDownload()
{
    KqUpgradeDownloadThread* thread = m_pController->m_pDownloadThread.get();
    // The inputs first: the work signal publishes them to the worker.
    thread->m_strVersion = m_pController->m_strVersion;
    thread->m_strExpectedMd5 = m_pController->m_strMd5;
    thread->m_strPackUrl = m_pController->m_strPackUrl;
    ::SetEvent(thread->m_hWorkEvent.Get());
    thread->m_bStarted = 1;
    m_nTimerId = SetTimer(kPollTimer, kPollMilliseconds);
}

void KqnUpgradeDlg::OnTimer(UINT_PTR nIDEvent)
{
    // While no poll timer runs m_nTimerId is 0, which a stray WM_TIMER of id 0 must not match.
    if (m_nTimerId != 0 && nIDEvent == m_nTimerId)
        PollDownload();
    CSkinDialog::OnTimer(nIDEvent);
}

void KqnUpgradeDlg::PollDownload()
{
    KqUpgradeDownloadThread* thread = m_pController->m_pDownloadThread.get();
    int progress = thread->m_nProgress.load();
    m_strStatus = m_pController->GetStatusText();
    // Acquire: the result, the final status and the final progress the worker wrote before it set the
    // flag are visible.
    const bool done = thread->m_bDone.load(std::memory_order_acquire) != 0;
    // The run may have ended after the reads above, which can then hold values that are no longer true;
    // no later tick would replace them. Once the run is done nothing changes them, so they are read again.
    if (done) {
        progress = thread->m_nProgress.load();
        m_strStatus = m_pController->GetStatusText();
    }
    m_fProgress = ProgressFraction(progress);
    UpdateProgress();
    if (!done)
        return;
    StopDownload();
    if (thread->m_nResult.load() == 0) {
        m_pController->RunInstaller();
        EndDialog(IDCANCEL);
    }
}

void KqnUpgradeDlg::StopDownload()
{
    KqUpgradeDownloadThread* thread = m_pController->m_pDownloadThread.get();
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    if (thread->m_bStarted) {
        thread->m_bStarted = 0;
        ::SetEvent(thread->m_hCancelEvent.Get());
        ::WaitForSingleObject(thread->m_hDoneEvent.Get(), kCancelWaitMilliseconds);
    }
    thread->Stop();
}

void KqnUpgradeDlg::OnBnClickedCancel()
{
    StopDownload();
    EndDialog(IDCANCEL);
}

void KqnUpgradeDlg::OnBnClickedOk()
{
    // Enter does not close the window.
}

void KqnUpgradeDlg::OnBnClickedClose()
{
    if (!m_bInstallInfoOk) {
        StopDownload();
        EndDialog(IDCANCEL);
        return;
    }
    // The poll timer keeps ticking while the question is open: the download may finish and the
    // window end meanwhile, and the answer then only repeats what is done.
    KqnMsgboxDlg question;
    if (question.DoModal() == IDOK) {
        StopDownload();
        EndDialog(IDCANCEL);
    }
}

void KqnUpgradeDlg::OnBnClickedMinimize()
{
    ShowWindow(SW_MINIMIZE);
    ShowOwnedPopups(TRUE);
}

void KqnUpgradeDlg::OnBnClickedPath()
{
    const CString dir = m_pController->GetInstallDir();
    // The picker starts in the folder, so it has to exist; it stays when the user cancels.
    MakeSurePathExists(dir);
    CString chosen;
    const int rc = BrowseForFolder(m_hWnd, L"\u9009\u62e9\u5b89\u88c5\u76ee\u5f55", dir, chosen);  // 选择安装目录
    // A folder that could not be handed to the installer leaves the line as it was.
    if (rc != kFolderChosen || !m_pController->SetInstallDir(chosen))
        return;
    InvalidateRect(&m_rcInstallDir, TRUE);
}

void KqnUpgradeDlg::OnBnClickedEula()
{
    ShellOpen(L"http://" QUARN_WEB_HOST L"/user_agreement.html");
}
