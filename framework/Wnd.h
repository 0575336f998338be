#pragma once
// CWnd: a framework object bound to one window handle, m_hWnd.
//
// A window is bound in one of two ways:
// - subclassed (SubclassWindow, DDX_Control, and every dialog from its WM_INITDIALOG on): its window
//   procedure is replaced, so its messages go through the object's message map, and what no entry
//   handles goes on to the procedure it had before (DefWindowProc). The object is found from the handle
//   through a window property, never through a global map. The binding ends by itself at WM_NCDESTROY,
//   which leaves m_hWnd NULL and the object ready to be bound again;
// - attached (Attach, and the plain wrappers of WndFromHandle): the object only names the window.
// Windows an object creates itself are destroyed with it; windows it only subclassed or attached are
// given back, their original procedure restored.
//
// No exception leaves a window procedure: one that escapes a handler is stopped where the message
// entered the framework, and the message gets a neutral result (see OnUnhandledException).
//
// All of it belongs to the thread that made the window.

#include <windows.h>

#include <map>
#include <memory>

#include "framework/CmdTarget.h"
#include "framework/DC.h"
#include "framework/MessageMap.h"
#include "framework/Point.h"
#include "framework/String.h"

class CDataExchange;
class CFont;

class CWnd : public CCmdTarget
{
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object that subclassed hWnd, or NULL.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // The object that subclassed hWnd or, for any other window, a plain wrapper of it that this object
    // keeps for as long as it lives. NULL for a NULL handle.
    CWnd* WndFromHandle(HWND hWnd) const;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Names hWnd without subclassing it. FALSE when this object is already bound or hWnd is NULL.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Routes hWnd's messages through this object. FALSE when this object is already bound, when hWnd
    // is not a window or when another object has subclassed it. PreSubclassWindow runs first.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* parent);
    // Gives the window its own procedure back and lets go of it.
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    // Runs DoDataExchange; FALSE when an exchange failed (CDataExchange::Fail).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The window's own processing of a message: the procedure the window had before it was subclassed.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc of the message being handled right now.
    LRESULT Default();

    // Window operations: thin forms of the Win32 calls of the same names on m_hWnd.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    // (style & ~remove) | add; with flags, SetWindowPos(flags) so the frame follows. FALSE when the
    // style was already so.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL MoveWindow(const RECT* rect, BOOL repaint = TRUE);
    BOOL ShowWindow(int cmdShow) { return ::ShowWindow(m_hWnd, cmdShow); }
    BOOL ShowOwnedPopups(BOOL show = TRUE) { return ::ShowOwnedPopups(m_hWnd, show); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL RedrawWindow(const RECT* update = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* SetFocus();
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(RECT* rect) const;
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    int GetWindowText(wchar_t* buffer, int size) const { return ::GetWindowTextW(m_hWnd, buffer, size); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    // The font the window draws its text in (WM_GETFONT); NULL for the system font.
    HFONT GetFont() const;
    void SetFont(CFont* font, BOOL redraw = TRUE);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT elapse, TIMERPROC timerProc = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    HWND m_hWnd = nullptr;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Every message of a subclassed window: the message map, else DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called with m_hWnd set, before the window procedure is replaced.
    virtual void PreSubclassWindow() {}
    virtual void DoDataExchange(CDataExchange*) {}
    // A notification the parent received about this control (WM_DRAWITEM); TRUE when handled, with
    // the parent's answer in *result.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After the window's last message, with m_hWnd already NULL.
    virtual void PostNcDestroy() {}
    // The result of a message whose handler threw. WM_PAINT validates the window first, so the paint
    // is not asked for again and again.
    virtual LRESULT OnUnhandledException(UINT message) noexcept;

    // Runs body() as the handling of (message, wParam, lParam): Default() within it processes that
    // message, and an exception leaving it ends here (OnUnhandledException).
    template <class Body>
    LRESULT RunHandler(UINT message, WPARAM wParam, LPARAM lParam, Body body) noexcept;

    // Default handlers: each gives the message its default processing.
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    void OnDestroy() { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }

    // Set for windows this object created: its destructor destroys them.
    bool m_bOwnsWindow = false;

private:
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void Unhook(bool finalMessage);

    struct Message
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    WNDPROC m_pfnSuper = nullptr;
    Message m_current = {WM_NULL, 0, 0};
    mutable std::map<HWND, std::unique_ptr<CWnd>> m_wrappers;
};

template <class Body>
LRESULT CWnd::RunHandler(UINT message, WPARAM wParam, LPARAM lParam, Body body) noexcept
{
    // Saved and restored: a handler may send this window another message before it calls Default().
    const Message outer = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = body();
    } catch (...) {
        result = OnUnhandledException(message);
    }
    m_current = outer;
    return result;
}
