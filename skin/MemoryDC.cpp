#include "skin/MemoryDC.h"

CMemoryDC::CMemoryDC(CDC* pDC, CRect rect) : m_pDC(pDC), m_bMemDC(!pDC->m_bPrinting)
{
    if (m_bMemDC) {
        CreateCompatibleDC(pDC);
        if (rect.EqualRect(CRect(0, 0, 0, 0)))
            pDC->GetClipBox(&m_rect);
        else
            m_rect = rect;
        m_bitmap.CreateCompatibleBitmap(pDC, m_rect.Width(), m_rect.Height());
        m_oldBitmap = SelectObject(&m_bitmap);
        SetWindowOrg(m_rect.left, m_rect.top);
    } else {
        m_bPrinting = pDC->m_bPrinting;
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
    }
}

CMemoryDC::~CMemoryDC()
{
    if (m_bMemDC) {
        ::BitBlt(m_pDC->m_hDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(),
                 m_hDC, m_rect.left, m_rect.top, SRCCOPY);
        SelectObject(m_oldBitmap);
    } else {
        m_hDC = m_hAttribDC = nullptr;
    }
    // Then m_bitmap goes (now selected out), then the CDC part deletes the memory context.
}
