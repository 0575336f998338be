#pragma once
// CImageEx: one image decoded by GDI+ from a file or from a resource of the program, drawn onto a
// device context stretched, in part, or as a nine-grid frame.
//
// States:
// - empty (m_pImage NULL): loads are accepted; Draw and DrawPart return false; sizes are 0;
// - loaded: further loads return false and keep the image;
// - loaded but undecodable, after a resource that GDI+ could not decode: refuses loads like a loaded
//   wrapper, reports sizes 0 and draws nothing, while Draw and DrawPart still return true.
// Destroy (and the destructor) return every state to empty.
//
// GDI+ keeps the status of an image's last failing call; every status test here reads that status and
// so also clears it (Gdiplus::Image::GetLastStatus).
//
// User-interface thread only; GDI+ must be running whenever the wrapper holds an image. Drawing uses
// GDI+'s defaults (interpolation included) and a graphics object of its own per call.

#include <windows.h>

class CDC;

namespace Gdiplus {
class Image;
}

class CImageEx
{
public:
    CImageEx() = default;
    virtual ~CImageEx();
    CImageEx(const CImageEx&) = delete;
    CImageEx& operator=(const CImageEx&) = delete;

    // True when an image is now held and decoded without error. A file that cannot be decoded leaves
    // the wrapper empty.
    bool LoadFromFile(const wchar_t* path);
    // `type` and `name` are wide strings or MAKEINTRESOURCE numbers; a NULL module is the executable.
    // A missing resource leaves the wrapper empty; undecodable bytes leave it loaded but undecodable.
    bool LoadFromResource(HINSTANCE module, const wchar_t* type, const wchar_t* name);
    // Always true.
    bool Destroy();

    // True when an image is held and its status test passes (which clears a pending failure).
    bool IsUsable() const { return m_pImage && StatusOk(); }

    // Pixels; 0 when empty or when a failure is pending in the image.
    UINT GetWidth() const;
    UINT GetHeight() const;

    // The whole image stretched over `rect`. False only when empty.
    bool Draw(CDC* dc, const RECT& rect) const;
    // Source (srcX, srcY, srcCx, srcCy) onto destination (x, y, cx, cy). False only when empty.
    bool DrawPart(CDC* dc, int x, int y, int cx, int cy, int srcX, int srcY, int srcCx, int srcCy) const;
    // A frame whose corners keep their size, whose edges stretch along their length and whose centre
    // stretches both ways; the border sizes are the same in the image and on the target. Pieces are
    // drawn in the order top-left, left, top, top-right, right, bottom, bottom-right, bottom-left,
    // centre, so where they overlap a later one wins; a piece with an empty source or destination is
    // skipped. Always true.
    bool DrawNineGrid(CDC* dc, int x, int y, int cx, int cy, int left, int top, int right, int bottom) const;
    // The same with `dest` and `border` taken as position and size: border.right − border.left is the
    // right border and border.bottom − border.top the bottom one.
    bool DrawNineGrid(CDC* dc, const RECT& dest, const RECT& border) const;

    Gdiplus::Image* m_pImage = nullptr;

private:
    bool StatusOk() const;
};
