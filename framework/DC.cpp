#include "framework/DC.h"

#include "framework/GdiObject.h"

IMPLEMENT_DYNAMIC(CDC, CObject)

CDC::~CDC()
{
    DeleteDC();
}

CDC::CDC(CDC&& other) noexcept
    : m_hDC(other.m_hDC), m_hAttribDC(other.m_hAttribDC), m_bPrinting(other.m_bPrinting),
      m_bOwnsDC(other.m_bOwnsDC)
{
    other.Detach();
}

CDC& CDC::operator=(CDC&& other) noexcept
{
    if (this != &other) {
        DeleteDC();
        m_hDC = other.m_hDC;
        m_hAttribDC = other.m_hAttribDC;
        m_bPrinting = other.m_bPrinting;
        m_bOwnsDC = other.m_bOwnsDC;
        other.Detach();
    }
    return *this;
}

CDC CDC::FromHandle(HDC hDC)
{
    CDC dc;
    dc.m_hDC = dc.m_hAttribDC = hDC;
    return dc;
}

BOOL CDC::Attach(HDC hDC)
{
    if (!hDC)
        return FALSE;
    if (hDC != m_hDC)
        DeleteDC();
    m_hDC = m_hAttribDC = hDC;
    m_bOwnsDC = true;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC h = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    m_bOwnsDC = false;
    return h;
}

BOOL CDC::DeleteDC()
{
    const bool owned = m_bOwnsDC;
    HDC h = Detach();
    return owned && h ? ::DeleteDC(h) : FALSE;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

HGDIOBJ CDC::SelectObject(CGdiObject* object)
{
    return object ? SelectObject(object->m_hObject) : nullptr;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    return object && m_hDC ? ::SelectObject(m_hDC, object) : nullptr;
}

int CDC::DrawText(const wchar_t* text, int count, RECT* rect, UINT format)
{
    return ::DrawTextW(m_hDC, text, count, rect, format);
}

int CDC::DrawText(const CString& text, RECT* rect, UINT format)
{
    return ::DrawTextW(m_hDC, text.GetString(), text.GetLength(), rect, format);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous = {0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

BOOL CDC::RoundRect(const RECT* rect, POINT ellipse)
{
    return ::RoundRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom, ellipse.x, ellipse.y);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color)
{
    // The cheapest solid fill GDI has: an opaque, empty text run.
    const COLORREF previous = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT previous = {0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}
