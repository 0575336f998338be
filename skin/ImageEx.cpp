#include "skin/ImageEx.h"

#include <objidl.h>
#include <gdiplus.h>

#include "framework/DC.h"
#include "framework/Rect.h"

CImageEx::~CImageEx()
{
    Destroy();
}

bool CImageEx::StatusOk() const
{
    return m_pImage->GetLastStatus() == Gdiplus::Ok;
}

bool CImageEx::LoadFromFile(const wchar_t* path)
{
    if (m_pImage)
        return false;
    m_pImage = new Gdiplus::Image(path, FALSE);
    if (!m_pImage || !StatusOk()) {
        Destroy();
        return false;
    }
    return true;
}

bool CImageEx::LoadFromResource(HINSTANCE module, const wchar_t* type, const wchar_t* name)
{
    if (m_pImage)
        return false;
    const HRSRC resource = ::FindResourceW(module, name, type);
    if (!resource)
        return false;
    const DWORD size = ::SizeofResource(module, resource);
    // Resources stay mapped for the life of the module: the loaded handle is the address of the bytes.
    const void* data = ::LoadResource(module, resource);

    // The stream owns a copy on its own memory, so the image never depends on the resource section.
    IStream* stream = nullptr;
    if (::CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
        return false;
    stream->Write(data, size, nullptr);
    m_pImage = new Gdiplus::Image(stream, FALSE);
    // GDI+ holds its own reference for as long as the image needs the data.
    stream->Release();

    // An undecodable image object is kept: the wrapper then refuses loads and draws nothing until it is
    // destroyed.
    return m_pImage && StatusOk();
}

bool CImageEx::Destroy()
{
    if (m_pImage) {
        try {
            delete m_pImage;
        } catch (...) {
        }
        m_pImage = nullptr;
    }
    return true;
}

UINT CImageEx::GetWidth() const
{
    if (!m_pImage || !StatusOk())
        return 0;
    return m_pImage->GetWidth();
}

UINT CImageEx::GetHeight() const
{
    if (!m_pImage || !StatusOk())
        return 0;
    return m_pImage->GetHeight();
}

bool CImageEx::Draw(CDC* dc, const RECT& rect) const
{
    if (!m_pImage)
        return false;
    Gdiplus::Graphics graphics(dc ? dc->m_hDC : nullptr);
    const Gdiplus::RectF dest(static_cast<Gdiplus::REAL>(rect.left),
                              static_cast<Gdiplus::REAL>(rect.top),
                              static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
    graphics.DrawImage(m_pImage, dest, 0.0f, 0.0f,
                       static_cast<Gdiplus::REAL>(GetWidth()),
                       static_cast<Gdiplus::REAL>(GetHeight()),
                       Gdiplus::UnitPixel);
    return true;
}

bool CImageEx::DrawPart(CDC* dc, int x, int y, int cx, int cy, int srcX, int srcY, int srcCx, int srcCy) const
{
    if (!m_pImage)
        return false;
    Gdiplus::Graphics graphics(dc ? dc->m_hDC : nullptr);
    const Gdiplus::RectF dest(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                              static_cast<Gdiplus::REAL>(cx), static_cast<Gdiplus::REAL>(cy));
    graphics.DrawImage(m_pImage, dest,
                       static_cast<Gdiplus::REAL>(srcX), static_cast<Gdiplus::REAL>(srcY),
                       static_cast<Gdiplus::REAL>(srcCx), static_cast<Gdiplus::REAL>(srcCy),
                       Gdiplus::UnitPixel);
    return true;
}

bool CImageEx::DrawNineGrid(CDC* dc, int x, int y, int cx, int cy, int left, int top, int right, int bottom) const
{
    const int w = static_cast<int>(GetWidth());
    const int h = static_cast<int>(GetHeight());
    struct Piece {
        CRect dest;
        CRect source;
    };
    const Piece pieces[] = {
        {{x, y, x + left, y + top}, {0, 0, left, top}},                                            // top-left
        {{x, y + top, x + left, y + cy - bottom}, {0, top, left, h - bottom}},                     // left
        {{x + left, y, x + cx - right, y + top}, {left, 0, w - right, top}},                       // top
        {{x + cx - right, y, x + cx, y + top}, {w - right, 0, w, top}},                            // top-right
        {{x + cx - right, y + top, x + cx, y + cy - bottom}, {w - right, top, w, h - bottom}},     // right
        {{x + left, y + cy - bottom, x + cx - right, y + cy}, {left, h - bottom, w - right, h}},   // bottom
        {{x + cx - right, y + cy - bottom, x + cx, y + cy}, {w - right, h - bottom, w, h}},        // bottom-right
        {{x, y + cy - bottom, x + left, y + cy}, {0, h - bottom, left, h}},                        // bottom-left
        {{x + left, y + top, x + cx - right, y + cy - bottom}, {left, top, w - right, h - bottom}}, // centre
    };
    for (const Piece& piece : pieces) {
        if (piece.dest.IsRectEmpty() || piece.source.IsRectEmpty())
            continue;
        DrawPart(dc, piece.dest.left, piece.dest.top, piece.dest.Width(), piece.dest.Height(),
                 piece.source.left, piece.source.top, piece.source.Width(), piece.source.Height());
    }
    return true;
}

bool CImageEx::DrawNineGrid(CDC* dc, const RECT& dest, const RECT& border) const
{
    return DrawNineGrid(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                        border.left, border.top, border.right - border.left, border.bottom - border.top);
}
