#pragma once
// CDC: a device context. A CDC either owns its handle (Attach, CreateCompatibleDC: deleted with
// DeleteDC when the object goes) or borrows it (FromHandle, and the derived CPaintDC, which ends its
// paint instead). Move-only.
//
// m_hDC is the output context and m_hAttribDC the one attributes are read from; in this framework
// both are the same handle. m_bPrinting marks a context that draws on a printer page.

#include <windows.h>

#include "framework/Object.h"
#include "framework/Point.h"
#include "framework/String.h"

class CGdiObject;

class CDC : public CObject
{
    DECLARE_DYNAMIC(CDC)

public:
    CDC() = default;
    ~CDC() override;
    CDC(CDC&& other) noexcept;
    CDC& operator=(CDC&& other) noexcept;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A wrapper that borrows `hDC` and never deletes it: for drawing on a context someone else owns,
    // for as long as that owner keeps it.
    static CDC FromHandle(HDC hDC);

    // Takes ownership of `hDC`, deleting the context owned before. FALSE for a NULL handle.
    BOOL Attach(HDC hDC);
    // Lets go of the handle without deleting it, owned or borrowed.
    HDC Detach();
    BOOL DeleteDC();
    BOOL CreateCompatibleDC(CDC* dc);

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    // SelectObject returns the handle that was selected before, to be selected back with the HGDIOBJ
    // form before the selected object goes.
    HGDIOBJ SelectObject(CGdiObject* object);
    HGDIOBJ SelectObject(HGDIOBJ object);

    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }

    int DrawText(const wchar_t* text, int count, RECT* rect, UINT format);
    int DrawText(const CString& text, RECT* rect, UINT format);

    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL RoundRect(const RECT* rect, POINT ellipse);
    void FillSolidRect(const RECT* rect, COLORREF color);

    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    CPoint SetWindowOrg(int x, int y);
    int GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    BOOL m_bPrinting = FALSE;

protected:
    bool m_bOwnsDC = false;
};
