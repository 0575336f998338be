#pragma once
// CDialog: a dialog built from a template resource of AfxGetResourceHandle().
//
// DoModal runs the dialog in the framework's modal loop, which behaves as the dialog manager's own
// (owner disabled, window shown once the queue first runs empty, keyboard navigation) and records every
// message it retrieves in the thread's current message record (AfxGetCurrentMessage). That loop
// serves every window of the thread while it runs: the timers and messages of an owner whose handler
// opened this dialog keep arriving, and such a handler may end its own dialog meanwhile; that dialog
// is hidden at once and goes once the nested one has returned and the handler is done.
//
// From WM_INITDIALOG on the dialog window is subclassed, so its messages go through the message map.
// IDOK and IDCANCEL (the OK button, Enter, Esc, WM_CLOSE, Alt+F4, the system menu's Close) arrive as
// WM_COMMAND: an entry of a derived class's map takes them first; otherwise OnOK and OnCancel run.

#include "framework/Wnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    // Runs the dialog; its EndDialog result, or -1 when it could not be created or its initialisation
    // threw. Without a parent the thread's active window, if any, owns the dialog while it runs.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; the object then owns the window and destroys it when it goes.
    BOOL Create(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);
    // Ends the dialog with nResult and hides it; a dialog that was already ended keeps its first
    // result. A modal dialog gives its owner its input back first, so activation returns there.
    void EndDialog(int nResult);

    // The default runs UpdateData(FALSE); TRUE lets the dialog manager focus the first control.
    virtual BOOL OnInitDialog();

protected:
    // UpdateData(TRUE), then EndDialog(IDOK) when it succeeded.
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT OnUnhandledException(UINT message) noexcept override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    // Retrieves and dispatches the thread's messages until the dialog ends, WM_QUIT arrives (posted
    // again for the loop outside) or the window is destroyed under it.
    void RunModalLoop(HWND hDlg);
    void EnableModalOwner();

    bool m_bEnded = false;
    INT_PTR m_nModalResult = -1;
    HWND m_hWndDisabledOwner = nullptr;  // the owner a running DoModal disabled, until it is enabled again
};
