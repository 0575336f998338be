#pragma once
// CGdiObject: the owner of one GDI object handle (pen, brush, font, bitmap), deleted when the wrapper
// goes or another handle is attached. Move-only. A handle that is selected into a device context must
// be selected out before its owner goes.

#include <windows.h>

#include "framework/Object.h"

class CGdiObject : public CObject
{
    DECLARE_DYNAMIC(CGdiObject)

public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // Takes ownership of `hObject`, deleting the handle held before. FALSE for a NULL handle.
    BOOL Attach(HGDIOBJ hObject);
    // Gives up ownership without deleting.
    HGDIOBJ Detach();
    BOOL DeleteObject();

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    // GetObjectW of the handle: bytes written into `buffer`, 0 on failure.
    int GetObject(int count, void* buffer) const;

    HGDIOBJ m_hObject = nullptr;
};
