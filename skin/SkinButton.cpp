#include "skin/SkinButton.h"

#include <commctrl.h>

#include "framework/Font.h"
#include "framework/PaintDC.h"
#include "framework/Pen.h"
#include "framework/Rect.h"
#include "skin/ImageEx.h"
#include "skin/MemoryDC.h"

namespace {

const UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_FRAME;
const UINT kCaptionFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
const int kIconTextGap = 3;
const int kDefaultCheckBoxSize = 15;
const int kCheckTextGap = 4;
const int kArrowMargin = 3;

}  // namespace

IMPLEMENT_DYNAMIC(CSkinButton, CButton)

BEGIN_MESSAGE_MAP(CSkinButton, CButton)
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_PAINT()
    ON_MOUSE_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDown)
END_MESSAGE_MAP()

CSkinButton::CSkinButton() : m_pImageCache(std::make_unique<CSkinImageCache>())
{
}

CSkinButton::~CSkinButton() = default;

BOOL CSkinButton::SetImages(const wchar_t* resourceType, UINT idNormal, UINT idHover, UINT idPressed, UINT idFocused)
{
    const UINT ids[] = {idNormal, idHover, idPressed, idFocused};
    for (int slot = SlotNormal; slot <= SlotFocused; ++slot)
        m_pImageCache->ReleaseImage(m_pImages[slot]);
    BOOL all = TRUE;
    for (int slot = SlotNormal; slot <= SlotFocused; ++slot) {
        m_pImages[slot] = m_pImageCache->GetImage(MAKEINTRESOURCEW(ids[slot]), resourceType);
        if (!m_pImages[slot])
            all = FALSE;
    }
    return all;
}

BOOL CSkinButton::SetImage(int slot, const wchar_t* resourceType, UINT id)
{
    if (slot < 0 || slot >= SlotCount)
        return FALSE;
    m_pImageCache->ReleaseImage(m_pImages[slot]);
    m_pImages[slot] = m_pImageCache->GetImage(MAKEINTRESOURCEW(id), resourceType);
    return m_pImages[slot] != nullptr;
}

void CSkinButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

LRESULT CSkinButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == BM_SETCHECK || message == BM_SETSTATE)
        Redraw();
    // The button class clamps an owner-drawn button's check state to unchecked, which would leave the
    // check styles without their checked images: the state is kept here instead.
    if (message == BM_SETCHECK && wParam <= BST_INDETERMINATE)
        m_nCheck = static_cast<int>(wParam);
    if (message == BM_GETCHECK)
        return m_nCheck;
    return CButton::DefWindowProc(message, wParam, lParam);
}

void CSkinButton::DrawItem(DRAWITEMSTRUCT*)
{
}

void CSkinButton::Redraw()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawFlags);
}

bool CSkinButton::IsUsable(int slot) const
{
    return m_pImages[slot] && m_pImages[slot]->IsUsable();
}

BOOL CSkinButton::OnSetCursor(CWnd*, UINT, UINT)
{
    const bool hand = (m_nStyle == StyleLink || m_bHandCursor) && (m_bPressed || m_bFocus || m_bHover);
    ::SetCursor(::LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
    return TRUE;
}

void CSkinButton::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        ::_TrackMouseEvent(&track);
        m_bTracking = m_bHover = TRUE;
        Redraw();
    }
    CButton::OnMouseMove(nFlags, point);
}

LRESULT CSkinButton::OnMouseLeave(WPARAM, LPARAM)
{
    m_bTracking = m_bHover = FALSE;
    Redraw();
    return 0;
}

BOOL CSkinButton::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CSkinButton::OnDestroy()
{
    CButton::OnDestroy();
    if (m_toolTip.m_hWnd)
        m_toolTip.DestroyWindow();
    for (CImageEx*& slot : m_pImages)
        m_pImageCache->ReleaseImage(slot);
    m_bTracking = m_bHover = m_bPressed = m_bFocus = FALSE;
    m_nStyle = StylePush;
    m_nCheck = BST_UNCHECKED;
    m_hMenu = nullptr;
    m_nTextAlign = DT_CENTER;
}

void CSkinButton::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_bPressed = TRUE;
    Redraw();
    CButton::OnLButtonDown(nFlags, point);
}

void CSkinButton::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_bPressed) {
        m_bPressed = FALSE;
        Redraw();
        if (m_nStyle == StyleMenu && ::IsMenu(m_hMenu)) {
            CRect rc;
            GetClientRect(&rc);
            ClientToScreen(&rc);
            // Returns when the menu closes; its commands go to the parent window.
            ::TrackPopupMenuEx(m_hMenu, TPM_VERTICAL, rc.left, rc.bottom, ::GetParent(m_hWnd), nullptr);
        }
    }
    CButton::OnLButtonUp(nFlags, point);
}

void CSkinButton::OnSetFocus(CWnd* pOldWnd)
{
    CButton::OnSetFocus(pOldWnd);
    m_bFocus = TRUE;
    Redraw();
}

void CSkinButton::OnKillFocus(CWnd* pNewWnd)
{
    CButton::OnKillFocus(pNewWnd);
    m_bFocus = FALSE;
    Redraw();
}

void CSkinButton::OnPaint()
{
    CPaintDC paintDC(this);
    CRect r;
    GetClientRect(&r);
    CMemoryDC dc(&paintDC, r);
    if (m_bTransparent)
        DrawParentBackground(dc.m_hDC, m_hWnd);
    switch (m_nStyle) {
    case StylePush:
        DrawPushStyle(dc, r);
        break;
    case StyleCheck:
    case StyleCheck2:
        DrawCheckStyle(dc, r);
        break;
    case StyleFlat:
        DrawFlatStyle(dc, r);
        break;
    case StyleMenu:
        DrawMenuStyle(dc, r);
        break;
    case StyleLink:
        DrawLinkStyle(dc, r);
        break;
    default:
        break;
    }
}

void CSkinButton::DrawPushStyle(CDC& dc, CRect r)
{
    const int width = r.Width();
    const int height = r.Height();
    const int slot = m_bPressed ? SlotPressed : m_bHover ? SlotHover : m_bFocus ? SlotFocused : SlotNormal;
    if (IsUsable(slot))
        m_pImages[slot]->Draw(&dc, r);
    if (m_bPressed)
        r.OffsetRect(1, 1);
    DrawContent(dc, r, width, height, r);
}

void CSkinButton::DrawFlatStyle(CDC& dc, CRect r)
{
    const int width = r.Width();
    const int height = r.Height();
    if (m_bPressed || m_bHover) {
        const int slot = m_bPressed ? SlotPressed : SlotHover;
        if (IsUsable(slot))
            m_pImages[slot]->DrawNineGrid(&dc, r.left, r.top, width, height, 0, 0, 0, 0);
    }
    if (m_bPressed)
        r.OffsetRect(1, 1);
    CRect captionRect = r;
    captionRect.DeflateRect(2, 0);
    DrawContent(dc, r, width, height, captionRect);
}

void CSkinButton::DrawContent(CDC& dc, const CRect& r, int width, int height, const CRect& captionRect)
{
    CString caption;
    GetWindowText(caption);
    const bool icon = IsUsable(SlotIcon);
    if (icon && !caption.IsEmpty()) {
        const int iw = static_cast<int>(m_pImages[SlotIcon]->GetWidth());
        const int ih = static_cast<int>(m_pImages[SlotIcon]->GetHeight());
        const int oldMode = dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(m_crText);
        const HFONT font = GetFont();
        const HGDIOBJ oldFont = dc.SelectObject(font);
        CRect measured;
        dc.DrawText(caption, &measured, DT_CALCRECT | DT_SINGLELINE);
        const int tw = measured.Width();
        // Icon, gap and text are centred as one group.
        const int x = r.left + (width - (iw + kIconTextGap + tw) + 1) / 2;
        const int y = r.top + (height - ih + 1) / 2;
        m_pImages[SlotIcon]->Draw(&dc, CRect(x, y, x + iw, y + ih));
        CRect text(x + iw + kIconTextGap, r.top, x + iw + kIconTextGap + tw, r.bottom);
        dc.DrawText(caption, &text, m_nTextAlign | kCaptionFormat);
        dc.SelectObject(oldFont);
        dc.SetBkMode(oldMode);
    } else if (icon) {
        const int iw = static_cast<int>(m_pImages[SlotIcon]->GetWidth());
        const int ih = static_cast<int>(m_pImages[SlotIcon]->GetHeight());
        const int x = r.left + (width - iw + 1) / 2;
        const int y = r.top + (height - ih + 1) / 2;
        m_pImages[SlotIcon]->Draw(&dc, CRect(x, y, x + iw, y + ih));
    } else {
        DrawCaption(dc, caption, captionRect, m_nTextAlign | kCaptionFormat);
    }
}

void CSkinButton::DrawCheckStyle(CDC& dc, const CRect& r)
{
    int w = kDefaultCheckBoxSize;
    int h = kDefaultCheckBoxSize;
    if (IsUsable(SlotUnchecked)) {
        w = static_cast<int>(m_pImages[SlotUnchecked]->GetWidth());
        h = static_cast<int>(m_pImages[SlotUnchecked]->GetHeight());
    }
    const int top = (r.Height() - h) / 2;
    const CRect box(r.left, top, r.left + w, top + h);
    CRect text = r;
    text.left = r.left + w + kCheckTextGap;

    const bool checked = SendMessage(BM_GETCHECK) == BST_CHECKED;
    const int slot = m_bHover ? (checked ? SlotCheckedHover : SlotUncheckedHover)
                              : (checked ? SlotChecked : SlotUnchecked);
    if (IsUsable(slot))
        m_pImages[slot]->Draw(&dc, box);

    CString caption;
    GetWindowText(caption);
    DrawCaption(dc, caption, text, kCaptionFormat);
}

void CSkinButton::DrawMenuStyle(CDC& dc, const CRect& r)
{
    const int height = r.Height();
    if (m_bPressed || m_bHover) {
        const int slot = m_bPressed ? SlotPressed : SlotHover;
        if (IsUsable(slot))
            m_pImages[slot]->Draw(&dc, r);
    }
    int limit = r.right;
    if (IsUsable(SlotArrow)) {
        const int aw = static_cast<int>(m_pImages[SlotArrow]->GetWidth());
        const int ah = static_cast<int>(m_pImages[SlotArrow]->GetHeight());
        const int top = (height - ah + 1) / 2;
        const CRect arrow(r.right - aw - kArrowMargin, top, r.right - kArrowMargin, top + ah);
        m_pImages[SlotArrow]->Draw(&dc, arrow);
        if (arrow.left > 0)
            limit = arrow.left;
    }
    if (IsUsable(SlotIcon)) {
        const int iw = static_cast<int>(m_pImages[SlotIcon]->GetWidth());
        const int ih = static_cast<int>(m_pImages[SlotIcon]->GetHeight());
        const int x = r.left + (limit - r.left - iw + 1) / 2;
        const int y = r.top + (height - ih + 1) / 2;
        CRect icon(x, y, x + iw, y + ih);
        if (m_bPressed)
            icon.OffsetRect(1, 1);
        m_pImages[SlotIcon]->Draw(&dc, icon);
    }
}

void CSkinButton::DrawLinkStyle(CDC& dc, const CRect& r)
{
    // A control without a font of its own draws in the context's font, the system font.
    const HFONT controlFont = GetFont();
    LOGFONTW logFont = {};
    ::GetObjectW(controlFont ? static_cast<HGDIOBJ>(controlFont) : ::GetCurrentObject(dc, OBJ_FONT),
                 sizeof(logFont), &logFont);
    logFont.lfHeight = 13;
    logFont.lfWeight = 550;
    CFont font;
    const HGDIOBJ oldFont = font.CreateFontIndirect(&logFont) ? dc.SelectObject(&font) : nullptr;

    CString caption;
    GetWindowText(caption);
    if (!caption.IsEmpty()) {
        const int oldMode = dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(m_crText);
        CRect text = r;
        dc.DrawText(caption, &text, m_nTextAlign | kCaptionFormat);
        dc.SetBkMode(oldMode);
    }

    if (m_bPressed || m_bHover || m_bFocus) {
        CPen pen(PS_SOLID, 1, m_crText);
        const HGDIOBJ oldPen = dc.SelectObject(&pen);
        // Ending at twice the right edge keeps the line on the bottom row all the way across the
        // buffer; ending at the right edge it would step down a row halfway.
        dc.MoveTo(r.left, r.bottom - 1);
        dc.LineTo(2 * r.right, r.bottom);
        dc.SelectObject(oldPen);
    }
    if (oldFont)
        dc.SelectObject(oldFont);
}

void CSkinButton::DrawCaption(CDC& dc, const CString& caption, CRect rect, UINT format)
{
    if (caption.IsEmpty())
        return;
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const HGDIOBJ oldFont = dc.SelectObject(GetFont());
    dc.SetTextColor(m_crText);
    dc.DrawText(caption, &rect, format);
    if (oldFont)
        dc.SelectObject(oldFont);
    dc.SetBkMode(oldMode);
}
