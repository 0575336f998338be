#include "framework/Wnd.h"

#include "framework/DataExchange.h"
#include "framework/Font.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// The object of a subclassed window, and the procedure the window had before.
const wchar_t kObjectProperty[] = L"Quarn.CWnd";
const wchar_t kSuperProperty[] = L"Quarn.CWnd.Super";

}  // namespace

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CCmdTarget::GetThisMessageMap, entries};
    return &messageMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    const bool owns = m_bOwnsWindow;
    // Let go first: what destroying the window sends must not reach a half-destroyed object.
    const HWND hWnd = FromHandlePermanent(m_hWnd) == this ? UnsubclassWindow() : Detach();
    if (owns && ::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, kObjectProperty)) : nullptr;
}

CWnd* CWnd::WndFromHandle(HWND hWnd) const
{
    if (!hWnd)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd))
        return permanent;
    std::unique_ptr<CWnd>& wrapper = m_wrappers[hWnd];
    if (!wrapper)
        wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = hWnd;
    return wrapper.get();
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (m_hWnd || !hWnd)
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    const HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    m_bOwnsWindow = false;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    // A window whose earlier binding could not be undone (see Unhook) still has our procedure in its
    // chain; binding it again would make that procedure pass messages to itself.
    if (m_hWnd || !::IsWindow(hWnd) || ::GetPropW(hWnd, kObjectProperty) || ::GetPropW(hWnd, kSuperProperty))
        return FALSE;
    if (!::SetPropW(hWnd, kObjectProperty, this))
        return FALSE;
    m_hWnd = hWnd;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    ::SetPropW(hWnd, kSuperProperty, reinterpret_cast<HANDLE>(m_pfnSuper));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* parent)
{
    return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(nID))) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    const HWND hWnd = m_hWnd;
    if (hWnd && FromHandlePermanent(hWnd) == this)
        Unhook(false);
    return Detach();
}

void CWnd::Unhook(bool finalMessage)
{
    const LONG_PTR current = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC);
    if (current == reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        ::RemovePropW(m_hWnd, kSuperProperty);
    } else if (finalMessage) {
        ::RemovePropW(m_hWnd, kSuperProperty);
    }
    // Otherwise someone subclassed the window after us: our procedure stays in its chain and passes
    // everything on to the original procedure kept in the window's property.
    ::RemovePropW(m_hWnd, kObjectProperty);
    m_pfnSuper = nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    const bool subclassed = FromHandlePermanent(m_hWnd) == this;
    const HWND hWnd = m_hWnd;
    const BOOL destroyed = ::DestroyWindow(hWnd);
    // A subclassed window lets go of the object in its WM_NCDESTROY; nothing tells an attached one.
    if (!subclassed && destroyed)
        Detach();
    return destroyed;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (!wnd) {
        const WNDPROC super = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kSuperProperty));
        if (message == WM_NCDESTROY)
            ::RemovePropW(hWnd, kSuperProperty);
        return super ? ::CallWindowProcW(super, hWnd, message, wParam, lParam)
                     : ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
    const LRESULT result =
        wnd->RunHandler(message, wParam, lParam, [&] { return wnd->WindowProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY && wnd->m_hWnd == hWnd) {
        wnd->Unhook(true);
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_DRAWITEM && wParam != 0) {
        // Owner-drawn controls draw themselves: the parent hands the request to the control's object.
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        CWnd* child = item && item->CtlType != ODT_MENU ? FromHandlePermanent(item->hwndItem) : nullptr;
        if (child && child->OnChildNotify(message, wParam, lParam, result))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, HIWORD(wParam), LOWORD(wParam));
    if (!entry)
        return FALSE;
    *result = entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

LRESULT CWnd::OnUnhandledException(UINT message) noexcept
{
    switch (message) {
    case WM_NCCREATE:
        return FALSE;
    case WM_CREATE:
        return -1;
    case WM_PAINT:
        ::ValidateRect(m_hWnd, nullptr);
        return 0;
    default:
        return 0;
    }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags)
{
    const DWORD style = GetStyle();
    const DWORD newStyle = (style & ~remove) | add;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

BOOL CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

BOOL CWnd::MoveWindow(const RECT* rect, BOOL repaint)
{
    return ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                        repaint);
}

BOOL CWnd::RedrawWindow(const RECT* update, HRGN region, UINT flags)
{
    return ::RedrawWindow(m_hWnd, update, region, flags);
}

CWnd* CWnd::GetParent() const
{
    return WndFromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return WndFromHandle(::GetDlgItem(m_hWnd, nID));
}

CWnd* CWnd::SetFocus()
{
    return WndFromHandle(::SetFocus(m_hWnd));
}

void CWnd::ScreenToClient(RECT* rect) const
{
    POINT topLeft = {rect->left, rect->top};
    POINT bottomRight = {rect->right, rect->bottom};
    ::ScreenToClient(m_hWnd, &topLeft);
    ::ScreenToClient(m_hWnd, &bottomRight);
    *rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::ClientToScreen(RECT* rect) const
{
    POINT topLeft = {rect->left, rect->top};
    POINT bottomRight = {rect->right, rect->bottom};
    ::ClientToScreen(m_hWnd, &topLeft);
    ::ClientToScreen(m_hWnd, &bottomRight);
    *rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::GetWindowText(CString& text) const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    wchar_t* buffer = text.GetBuffer(length);
    ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
}

HFONT CWnd::GetFont() const
{
    return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr),
                   MAKELPARAM(redraw, 0));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT elapse, TIMERPROC timerProc)
{
    return ::SetTimer(m_hWnd, nIDEvent, elapse, timerProc);
}
