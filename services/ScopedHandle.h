#pragma once
// CScopedHandleT: the single owner of one operating-system handle, closed when the owner goes. Move-only:
// a copy would close the handle twice. Each kind of handle brings a traits class:
//
//     struct Traits {
//         using Handle = ...;                  // the handle type
//         static Handle Null();                // the "no handle" value
//         static bool IsValid(Handle h);       // false for every "no handle" value of the API
//         static bool Close(Handle h);         // releases a valid handle; false when that fails
//     };
//
// Closing keeps GetLastError, so a failing call can be followed by the release of what it used and the
// caller still reads the error of the call.

#include <windows.h>

template <class Traits>
class CScopedHandleT
{
public:
    using Handle = typename Traits::Handle;

    CScopedHandleT() noexcept = default;
    // Takes ownership; a "no handle" value of the API (such as INVALID_HANDLE_VALUE) is stored as Null().
    explicit CScopedHandleT(Handle handle) noexcept : m_handle(Traits::IsValid(handle) ? handle : Traits::Null()) {}
    ~CScopedHandleT() { Close(); }

    CScopedHandleT(CScopedHandleT&& other) noexcept : m_handle(other.Detach()) {}
    CScopedHandleT& operator=(CScopedHandleT&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    CScopedHandleT(const CScopedHandleT&) = delete;
    CScopedHandleT& operator=(const CScopedHandleT&) = delete;

    Handle Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return Traits::IsValid(m_handle); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Closes the owned handle, if any, and takes ownership of `handle`.
    void Reset(Handle handle = Traits::Null()) noexcept
    {
        Close();
        m_handle = Traits::IsValid(handle) ? handle : Traits::Null();
    }

    // Gives up ownership without closing.
    Handle Detach() noexcept
    {
        const Handle handle = m_handle;
        m_handle = Traits::Null();
        return handle;
    }

    // Closes the owned handle now. True when there was none or it was released; false when the release
    // failed (the handle is given up either way).
    bool Close() noexcept
    {
        if (!Traits::IsValid(m_handle))
            return true;
        const DWORD lastError = GetLastError();
        const bool closed = Traits::Close(m_handle);
        m_handle = Traits::Null();
        SetLastError(lastError);
        return closed;
    }

    // For APIs that return the handle through an out parameter: closes what is owned and gives the
    // address of the now empty slot.
    Handle* Receive() noexcept
    {
        Close();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Null();
};

// Kernel handles: files, events, threads, processes. The API's two "no handle" values, NULL and
// INVALID_HANDLE_VALUE, both count as none.
struct KernelHandleTraits
{
    using Handle = HANDLE;
    static Handle Null() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static bool Close(Handle handle) { return ::CloseHandle(handle) != FALSE; }
};

using CScopedHandle = CScopedHandleT<KernelHandleTraits>;
