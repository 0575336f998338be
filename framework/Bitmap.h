#pragma once
// CBitmap: an owned GDI bitmap.

#include "framework/GdiObject.h"

class CDC;

class CBitmap : public CGdiObject
{
    DECLARE_DYNAMIC(CBitmap)

public:
    // A bitmap compatible with `dc`, width by height pixels; replaces the bitmap held before.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }

    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};
