#include "app/MsgboxDlg.h"

#include "app/SkinHelpers.h"
#include "app/WindowHelpers.h"
#include "framework/DataExchange.h"
#include "framework/ResourceHandle.h"
#include "res/resource.h"

namespace {

const int kBoxWidth = 400;
const int kBoxHeight = 150;
const COLORREF kCaptionColor = RGB(255, 255, 255);

}  // namespace

IMPLEMENT_DYNAMIC(KqnMsgboxDlg, CSkinDialog)

BEGIN_MESSAGE_MAP(KqnMsgboxDlg, CSkinDialog)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_BN_CLICKED(IDOK, OnBnClickedOk)
    ON_BN_CLICKED(IDCANCEL, OnBnClickedCancel)
    ON_WM_LBUTTONDOWN_DRAG()
    ON_WM_ERASEBKGND_NOTHING()
    ON_BN_CLICKED(IDC_BTN_CLOSE, OnBnClickedCancel)
END_MESSAGE_MAP()

KqnMsgboxDlg::KqnMsgboxDlg() : CSkinDialog(IDD_MSGBOX_DIALOG, nullptr)
{
    InitStyle();
}

KqnMsgboxDlg::~KqnMsgboxDlg() = default;

void KqnMsgboxDlg::InitStyle()
{
    static const CString s_strFontFace(L"\u5fae\u8f6f\u96c5\u9ed1");  // 微软雅黑
    m_rcMessage = CRect(80, 50, 380, 100);
    m_strMessage = L"\u60a8\u786e\u5b9a\u9000\u51fa\u5b89\u88c5\u561b\uff1f";  // 您确定退出安装嘛？
    m_crMessage = RGB(51, 51, 51);
    CreateSkinFont(m_fontMessage, -18, s_strFontFace);
}

void KqnMsgboxDlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_CLOSE, m_btnClose);
    DDX_Control(pDX, IDOK, m_btnOk);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
}

BOOL KqnMsgboxDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    InitButtons();
    InitWindow();
    return TRUE;
}

void KqnMsgboxDlg::InitButtons()
{
    const SkinButtonLook closeLook = {IDB_PNG_CLOSE, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE, IDB_PNG_CLOSE, 24, 24};
    const SkinButtonLook textLook = {IDB_PNG_MSGBOX_BUTTON, IDB_PNG_MSGBOX_BUTTON_HOVER, IDB_PNG_MSGBOX_BUTTON,
                                     IDB_PNG_MSGBOX_BUTTON, 82, 28};
    SetUpSkinButton(m_btnClose, m_hBackDC, closeLook, L"");
    SetUpSkinButton(m_btnCancel, m_hBackDC, textLook, L"\u53d6\u6d88");  // 取消
    m_btnCancel.m_crText = kCaptionColor;
    SetUpSkinButton(m_btnOk, m_hBackDC, textLook, L"\u786e\u5b9a");  // 确定
    m_btnOk.m_crText = kCaptionColor;
}

void KqnMsgboxDlg::InitWindow()
{
    m_imgBackground.LoadFromResource(AfxGetResourceHandle(), L"PNG", MAKEINTRESOURCEW(IDB_PNG_MSGBOX));
    SetWindowPos(nullptr, 0, 0, kBoxWidth, kBoxHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CenterWindowInWorkArea(m_hWnd);
    LayoutControls();
}

void KqnMsgboxDlg::LayoutControls()
{
    CRect r;
    GetClientRect(&r);
    MoveCtrlCenterTo(this, IDC_BTN_CLOSE, r.right - 27, r.top + 27);
    MoveCtrlCenterTo(this, IDOK, r.left + 261, r.top + 128);
    MoveCtrlCenterTo(this, IDCANCEL, r.left + 351, r.top + 128);
}

void KqnMsgboxDlg::OnSize(UINT nType, int cx, int cy)
{
    CSkinDialog::OnSize(nType, cx, cy);
    // The sizes sent while the window is being created come before its controls exist.
    if (GetDlgItem(IDOK))
        LayoutControls();
}

void KqnMsgboxDlg::OnDrawBackground(CDC* pDC, int, int)
{
    CRect client;
    GetClientRect(&client);
    m_imgBackground.Draw(pDC, client);
    DrawMessage(pDC);
}

void KqnMsgboxDlg::DrawMessage(CDC* pDC)
{
    // Without DT_SINGLELINE, DT_VCENTER does nothing: the question starts at the rectangle's top left.
    DrawSkinText(pDC, m_strMessage, m_rcMessage, DT_VCENTER | DT_EDITCONTROL, m_fontMessage, m_crMessage);
}

void KqnMsgboxDlg::OnBnClickedOk()
{
    CDialog::OnOK();
}

void KqnMsgboxDlg::OnBnClickedCancel()
{
    CDialog::OnCancel();
}

void KqnMsgboxDlg::OnLButtonDown(CWnd* wnd, UINT, CPoint point)
{
    wnd->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    wnd->Default();
}

BOOL KqnMsgboxDlg::OnEraseBkgnd(CWnd*, CDC*)
{
    return TRUE;
}
