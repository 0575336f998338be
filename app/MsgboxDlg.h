#pragma once
// KqnMsgboxDlg: the skinned confirmation box that the installer window shows before it closes: a
// borderless, topmost 400 x 150 window centred in the work area, with the fixed question
// "您确定退出安装嘛？", an OK button "确定", a Cancel button "取消" and an image-only close button.
// DoModal answers IDOK for the OK button (and Enter, the OK button having the focus when the box
// opens) and IDCANCEL for Cancel, the close button and Esc. It takes no text, title or parent: the
// framework chooses its owner (the active window) for the modal run. A new object is built for every
// question.
//
// The class also holds the two handlers that both windows of the program share, bound in a window's
// message map with ON_WM_LBUTTONDOWN_DRAG() and ON_WM_ERASEBKGND_NOTHING().

#include "framework/Font.h"
#include "framework/Rect.h"
#include "framework/String.h"
#include "skin/ImageEx.h"
#include "skin/SkinButton.h"
#include "skin/SkinDialog.h"

class KqnMsgboxDlg : public CSkinDialog
{
    DECLARE_DYNAMIC(KqnMsgboxDlg)

public:
    KqnMsgboxDlg();
    ~KqnMsgboxDlg() override;

    // Drags `wnd` by its client area: a press on the window itself (not on a child control) is posted
    // back to it as a press on a caption (WM_NCLBUTTONDOWN, HTCAPTION, the point as received), then the
    // press gets its default processing.
    static void OnLButtonDown(CWnd* wnd, UINT nFlags, CPoint point);
    // Erases nothing and reports the background erased: the windows paint their whole surface from
    // their back buffers.
    static BOOL OnEraseBkgnd(CWnd* wnd, CDC* pDC);

protected:
    // Binds 1029 to m_btnClose, then IDOK to m_btnOk, then IDCANCEL to m_btnCancel.
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The background picture stretched over the client area, then the question.
    void OnDrawBackground(CDC* pDC, int width, int height) override;

    void OnSize(UINT nType, int cx, int cy);
    void OnBnClickedOk();
    void OnBnClickedCancel();

    DECLARE_MESSAGE_MAP()

private:
    void InitStyle();
    void InitButtons();
    void InitWindow();
    // Places the three buttons against the client rectangle of the moment.
    void LayoutControls();
    void DrawMessage(CDC* pDC);

    CSkinButton m_btnOk;
    CSkinButton m_btnCancel;
    CSkinButton m_btnClose;
    CImageEx m_imgBackground;
    COLORREF m_crMessage = 0;
    CRect m_rcMessage;
    CString m_strMessage;
    CFont m_fontMessage;
};

// Map entries that bind the shared handlers above in the map of any window class.
#define ON_WM_LBUTTONDOWN_DRAG()                                                               \
    {WM_LBUTTONDOWN, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {   \
         KqnMsgboxDlg::OnLButtonDown(AFX_THIS, static_cast<UINT>(wParam), AFX_POINT_FROM_LPARAM(lParam)); \
         return 0;                                                                             \
     }},

#define ON_WM_ERASEBKGND_NOTHING()                                                             \
    {WM_ERASEBKGND, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM) -> LRESULT {          \
         CDC dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam));                              \
         return KqnMsgboxDlg::OnEraseBkgnd(AFX_THIS, &dc);                                     \
     }},
