#include "skin/SkinDialog.h"

#include "framework/PaintDC.h"
#include "framework/Rect.h"

namespace {

const COLORREF kBackgroundColor = RGB(234, 241, 249);

}  // namespace

IMPLEMENT_DYNAMIC(CSkinDialog, CDialog)

BEGIN_MESSAGE_MAP(CSkinDialog, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CSkinDialog::CSkinDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd)
{
}

CSkinDialog::~CSkinDialog()
{
    ReleaseBackBuffer();
}

void CSkinDialog::ReleaseBackBuffer()
{
    if (m_hBackDC && m_hBackBitmap)
        ::SelectObject(m_hBackDC, m_hOldBitmap);
    if (m_hBackBitmap)
        ::DeleteObject(m_hBackBitmap);
    // Also when its bitmap could not be made: the context is ours either way.
    if (m_hBackDC)
        ::DeleteDC(m_hBackDC);
    m_hBackDC = nullptr;
    m_hOldBitmap = nullptr;
    m_hBackBitmap = nullptr;
}

BOOL CSkinDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A second run of the same object (a dialog shown again) must not leak the first buffer.
    ReleaseBackBuffer();
    CRect rc;
    GetClientRect(&rc);
    const HDC hdc = ::GetDC(m_hWnd);
    m_hBackDC = ::CreateCompatibleDC(hdc);
    m_hBackBitmap = ::CreateCompatibleBitmap(hdc, rc.Width(), rc.Height());
    m_hOldBitmap = ::SelectObject(m_hBackDC, m_hBackBitmap);
    ::ReleaseDC(m_hWnd, hdc);
    return TRUE;
}

void CSkinDialog::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const int width = rc.Width();
    const int height = rc.Height();

    BITMAP bitmap = {};
    if (m_hBackBitmap)
        ::GetObjectW(m_hBackBitmap, sizeof(bitmap), &bitmap);
    if (width != bitmap.bmWidth || height != bitmap.bmHeight) {
        if (m_hBackDC && m_hBackBitmap)
            ::SelectObject(m_hBackDC, m_hOldBitmap);
        if (m_hBackBitmap)
            ::DeleteObject(m_hBackBitmap);
        m_hBackBitmap = ::CreateCompatibleBitmap(dc.m_hDC, width, height);
        m_hOldBitmap = ::SelectObject(m_hBackDC, m_hBackBitmap);
    }

    ::SetBkColor(m_hBackDC, kBackgroundColor);
    ::ExtTextOutW(m_hBackDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    CDC backDC = CDC::FromHandle(m_hBackDC);
    OnDrawBackground(&backDC, width, height);

    ::BitBlt(dc.m_hDC, 0, 0, width, height, m_hBackDC, 0, 0, SRCCOPY);
}

void CSkinDialog::OnDrawBackground(CDC*, int, int)
{
}
