#pragma once
// KqnUpgradeDlg: the installer window, a borderless skinned 600 x 380 dialog centred in the work
// area. Before it first shows, its upgrade controller fetches and reads the version document. It then
// offers the install folder ("安装目录：" and the folder), a choose-folder button, the user-agreement
// link and the update button, besides minimise and close.
//
// The update button either starts the installer already in the temporary folder, or hands the
// download to the download thread and shows a progress bar and the thread's status line instead of
// the buttons and the folder line, polling the thread every 100 ms. A verified download is started as
// the installer and the window ends; a failed one leaves the window on the thread's last status line.
// If the version document cannot be read, only "无法读取安装信息", minimise and close remain.
//
// The close button asks first (KqnMsgboxDlg) once the document was read; Esc, Alt+F4 and the system
// menu's Close end the window at once, stopping a running download. Enter does nothing. The poll goes
// on while the question is open, so the window may end under it; the answer is then harmless.
//
// The window always ends with IDCANCEL. It owns the controller, which lives exactly as long as the
// object, and through it the download thread.

#include <memory>

#include "framework/Font.h"
#include "framework/Rect.h"
#include "framework/String.h"
#include "skin/ImageEx.h"
#include "skin/SkinButton.h"
#include "skin/SkinDialog.h"

class CUpgradeController;

class KqnUpgradeDlg : public CSkinDialog
{
    DECLARE_DYNAMIC(KqnUpgradeDlg)

public:
    // Creates the controller, whose download worker starts at once and which finds the default install
    // folder.
    KqnUpgradeDlg();
    // The controller goes first (cancelling and waiting for its worker), then the rest.
    ~KqnUpgradeDlg() override;

protected:
    // Binds 1031, 1029, 1033, 1034 and 1035 to their buttons, in this order.
    void DoDataExchange(CDataExchange* pDX) override;
    // The back buffer, the buttons, size and place, then the version document. TRUE.
    BOOL OnInitDialog() override;
    // Background picture, status line, progress bar when shown, install folder when shown.
    void OnDrawBackground(CDC* pDC, int width, int height) override;

    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);
    void OnBnClickedCancel();
    void OnBnClickedOk();
    void OnBnClickedMinimize();
    void OnBnClickedUpdate();
    void OnBnClickedClose();
    void OnBnClickedPath();
    void OnBnClickedEula();

    DECLARE_MESSAGE_MAP()

private:
    void InitStyle();
    void InitButtons();
    void InitWindow();
    // Places the five buttons against the client rectangle of the moment; hides the edit control.
    void LayoutControls();
    void CheckInstallInfo();
    void HideActionButtons();
    // No progress, an empty track in white, no bar drawn.
    void HideProgress();
    // Takes the status text and the fill from the fields and invalidates the status line and the bar.
    void UpdateProgress();
    void StartDownload();
    // One tick of the poll timer.
    void PollDownload();
    // Ends the poll, cancels a started download (waiting up to 1000 ms for it) and stops the worker
    // (up to 100 ms). Harmless when repeated.
    void StopDownload();
    void DrawStatusText(CDC* pDC);
    void DrawProgressBar(CDC* pDC);
    void DrawInstallPath(CDC* pDC);

    CFont m_fontInstallDir;
    CFont m_fontStatus;
    CSkinButton m_btnUpdate;
    CSkinButton m_btnClose;
    CSkinButton m_btnMinimize;
    CSkinButton m_btnEula;
    CSkinButton m_btnPath;
    CImageEx m_imgBackground;
    COLORREF m_crText = 0;
    CString m_strStatus;       // the thread's status text, or the window's own failure text
    CString m_strStatusShown;  // what the status line draws
    CRect m_rcStatus;
    CRect m_rcBar;             // the whole bar
    CRect m_rcTrack;           // the track as drawn: empty until a download starts
    CRect m_rcFill;
    COLORREF m_crFill = 0;
    COLORREF m_crTrack = 0;
    bool m_bShowProgress = false;
    CRect m_rcInstallDir;
    bool m_bShowInstallDir = false;
    float m_fProgress = 0;     // per mille / 1000
    bool m_bInstallInfoOk = false;
    CString m_strInstallDirLabel;
    UINT_PTR m_nTimerId = 0;   // the poll timer, 0 while none runs
    // Declared last, so that it goes first.
    std::unique_ptr<CUpgradeController> m_pController;
};
