#pragma once
// CSkinButton: a button whose whole face the program paints, double-buffered, from images and the
// control's caption, over the part of its parent's back buffer that lies under it (ISkinControl), so
// the transparent pixels of its images show the parent's skin.
//
// A window binds the object to a template control with DDX_Control (which makes the control
// owner-drawn), then calls SetImages and writes the public fields it wants: m_nStyle, m_crText,
// m_bHandCursor, m_nTextAlign, m_hMenu, and ISkinControl's m_hBkDC and m_bTransparent.
//
// Styles (m_nStyle): 0 push, 1 and 2 check, 3 flat, 4 menu, 5 link; any other value paints only the
// parent's background. The flags m_bHover, m_bPressed and m_bFocus follow the mouse and the keyboard
// focus; every change requests a redraw (RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_FRAME) whose
// paint comes later, through WM_PAINT. The check state is set and read with BM_SETCHECK and
// BM_GETCHECK; the object keeps it, since an owner-drawn button control keeps none.
//
// WM_DESTROY returns the object to its constructed state, except m_crText, m_bHandCursor, the
// ISkinControl fields and the cache: a window that binds it again sets its images and style again.

#include <memory>

#include "framework/Button.h"
#include "framework/Rect.h"
#include "framework/ToolTipCtrl.h"
#include "skin/SkinControl.h"
#include "skin/SkinImageCache.h"

class CImageEx;

class CSkinButton : public CButton, public ISkinControl
{
    DECLARE_DYNAMIC(CSkinButton)

public:
    enum Style { StylePush = 0, StyleCheck = 1, StyleCheck2 = 2, StyleFlat = 3, StyleMenu = 4, StyleLink = 5 };
    enum Slot {
        SlotNormal,           // push
        SlotHover,            // push, flat, menu
        SlotPressed,          // push, flat, menu
        SlotFocused,          // push
        SlotUnchecked,        // check; its size is the box's
        SlotUncheckedHover,   // check
        SlotChecked,          // check
        SlotCheckedHover,     // check
        SlotArrow,            // menu
        SlotIcon,             // push, flat, menu
        SlotCount
    };

    // Creates the image cache, whose default-font failure text (const wchar_t*) leaves the constructor.
    CSkinButton();
    ~CSkinButton() override;

    // Slots 0 to 3 from resources of the program, after giving back the images they held. TRUE only when
    // all four loaded; those that did load stay.
    BOOL SetImages(const wchar_t* resourceType, UINT idNormal, UINT idHover, UINT idPressed, UINT idFocused);
    // One slot (0 to SlotCount − 1) from a resource of the program, after giving back its image; TRUE
    // when it loaded. How the check, arrow and icon slots get their images.
    BOOL SetImage(int slot, const wchar_t* resourceType, UINT id);

    CImageEx* m_pImages[SlotCount] = {};
    BOOL m_bFocus = FALSE;
    BOOL m_bPressed = FALSE;
    BOOL m_bHover = FALSE;
    BOOL m_bTracking = FALSE;  // a mouse-leave notification was asked for and has not come
    int m_nStyle = StylePush;
    int m_nCheck = BST_UNCHECKED;
    CToolTipCtrl m_toolTip;    // the button never creates its window; it destroys one that exists
    UINT m_nTextAlign = DT_CENTER;
    HMENU m_hMenu = nullptr;   // the menu style's pop-up; not owned
    COLORREF m_crText = RGB(0, 0, 0);
    bool m_bHandCursor = false;
    // Declared last so that it goes first: the images die with it, whatever the slots still hold.
    std::unique_ptr<CSkinImageCache> m_pImageCache;

protected:
    // Makes the control owner-drawn: adds BS_OWNERDRAW's bits to its style.
    void PreSubclassWindow() override;
    // BM_SETCHECK and BM_SETSTATE first request a redraw; BM_SETCHECK and BM_GETCHECK keep and report
    // the check state.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Nothing: all painting happens in OnPaint.
    void DrawItem(DRAWITEMSTRUCT* drawItem) override;

    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnMouseMove(UINT nFlags, CPoint point);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnDestroy();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    void Redraw();
    bool IsUsable(int slot) const;
    void DrawPushStyle(CDC& dc, CRect r);
    void DrawCheckStyle(CDC& dc, const CRect& r);
    void DrawFlatStyle(CDC& dc, CRect r);
    void DrawMenuStyle(CDC& dc, const CRect& r);
    void DrawLinkStyle(CDC& dc, const CRect& r);
    // The icon and the caption of the push and flat styles, in r (already moved when pressed) of the
    // control's width and height; a caption without an icon goes into captionRect.
    void DrawContent(CDC& dc, const CRect& r, int width, int height, const CRect& captionRect);
    // The caption, when there is one, in the control's font and m_crText over a transparent background.
    void DrawCaption(CDC& dc, const CString& caption, CRect rect, UINT format);
};
