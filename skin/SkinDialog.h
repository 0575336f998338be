#pragma once
// CSkinDialog: the base of the program's skinned windows. It keeps a back buffer of the size of its
// client area and repaints it completely on every WM_PAINT: a flat fill of RGB(234, 241, 249), then
// whatever the derived dialog draws in OnDrawBackground; then one block transfer to the screen.
//
// The back buffer (m_hBackDC) exists from the end of CSkinDialog::OnInitDialog on, also during the
// derived dialog's own initialisation after it has called this one; it is the background source of
// the dialog's skinned buttons (ISkinControl::m_hBkDC), which find in it what the dialog's last paint
// left there. It is recreated when a paint finds the client size changed, and freed with the object,
// not with the window.

#include "framework/Dialog.h"
#include "skin/SkinControl.h"

class CSkinDialog : public CDialog
{
    DECLARE_DYNAMIC(CSkinDialog)

public:
    CSkinDialog(UINT nIDTemplate, CWnd* pParentWnd);
    ~CSkinDialog() override;

    // CDialog's initialisation (data exchange and subclassing of the controls), then the back buffer.
    // TRUE.
    BOOL OnInitDialog() override;

    // Paints the dialog's picture on the back buffer, already filled with the background colour; width
    // and height are the client area's. Nothing in the base.
    virtual void OnDrawBackground(CDC* pDC, int width, int height);

protected:
    void OnPaint();

    ISkinControl m_skin;
    HDC m_hBackDC = nullptr;
    HBITMAP m_hBackBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    void ReleaseBackBuffer();
};
