#include "framework/Dialog.h"

#include "framework/ResourceHandle.h"
#include "framework/ThreadState.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    if (owner)
        owner = ::GetAncestor(owner, GA_ROOT);
    // Disabled before the dialog exists, so that nothing reaches the owner while it initialises.
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        m_hWndDisabledOwner = owner;
    }
    m_bEnded = false;
    m_nModalResult = -1;
    const HWND hDlg = ::CreateDialogParamW(AfxGetResourceHandle(),
                                           MAKEINTRESOURCEW(m_nIDTemplate),
                                           owner,
                                           &CDialog::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    // A dialog whose initialisation failed has let go of its window (OnUnhandledException).
    const bool created = hDlg && m_hWnd == hDlg;
    if (created)
        RunModalLoop(hDlg);
    EnableModalOwner();
    if (hDlg && ::IsWindow(hDlg)) {
        if (owner && ::GetActiveWindow() == hDlg)
            ::SetActiveWindow(owner);
        ::DestroyWindow(hDlg);
    }
    return created && m_bEnded ? m_nModalResult : -1;
}

void CDialog::RunModalLoop(HWND hDlg)
{
    MSG* current = AfxGetCurrentMessage();
    bool shown = (::GetWindowLongPtrW(hDlg, GWL_STYLE) & WS_VISIBLE) != 0;
    while (!m_bEnded) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Shown only now, as the dialog manager does: the initialisation's own messages (sizes,
            // layout, the first paints it asked for) have all been served.
            if (!shown) {
                ::ShowWindow(hDlg, SW_SHOWNORMAL);
                shown = true;
                continue;
            }
            if (::GetMessageW(&msg, nullptr, 0, 0) == -1)
                return;
        }
        *current = msg;
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        // A timer that is always due would keep the queue from ever running empty.
        if (msg.message == WM_TIMER && !shown) {
            ::ShowWindow(hDlg, SW_SHOWNORMAL);
            shown = true;
        }
        if (!::IsDialogMessageW(hDlg, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!::IsWindow(hDlg))
            return;
    }
}

void CDialog::EnableModalOwner()
{
    if (m_hWndDisabledOwner)
        ::EnableWindow(m_hWndDisabledOwner, TRUE);
    m_hWndDisabledOwner = nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (m_hWnd)
        return FALSE;
    if (nIDTemplate)
        m_nIDTemplate = nIDTemplate;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    const HWND hDlg = ::CreateDialogParamW(AfxGetResourceHandle(),
                                           MAKEINTRESOURCEW(m_nIDTemplate),
                                           m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr,
                                           &CDialog::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    if (!hDlg)
        return FALSE;
    if (m_hWnd != hDlg) {
        ::DestroyWindow(hDlg);
        return FALSE;
    }
    m_bOwnsWindow = true;
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Everything after WM_INITDIALOG reaches the object through its subclassed window procedure; here
    // it only falls through to the dialog manager's defaults.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(hDlg))
        return FALSE;
    dialog->m_bEnded = false;
    return dialog->RunHandler(message, wParam, lParam, [dialog] {
        return static_cast<LRESULT>(dialog->OnInitDialog());
    });
}

LRESULT CDialog::OnUnhandledException(UINT message) noexcept
{
    if (message != WM_INITDIALOG)
        return CWnd::OnUnhandledException(message);
    // A dialog that could not be set up is not shown: DoModal answers -1, Create FALSE.
    EndDialog(-1);
    UnsubclassWindow();
    return FALSE;
}

void CDialog::EndDialog(int nResult)
{
    if (!m_hWnd || m_bEnded)
        return;
    m_bEnded = true;
    m_nModalResult = nResult;
    // The owner first: the dialog manager hides the dialog and hands activation on, which a disabled
    // owner could not take.
    EnableModalOwner();
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
