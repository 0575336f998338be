#pragma once
// Registry keys: CScopedRegKey owns one open key (move-only, closed in one place), and the two calls
// the discovery readers make on keys, with the rules they share.

#include <windows.h>

#include <cstddef>

#include "services/ScopedHandle.h"

struct RegKeyTraits
{
    using Handle = HKEY;
    static Handle Null() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static bool Close(Handle handle) { return RegCloseKey(handle) == ERROR_SUCCESS; }
};

using CScopedRegKey = CScopedHandleT<RegKeyTraits>;

// RegOpenKeyExW(root, subKey, 0, access, ...) into `key`, which first closes what it held. Returns the
// Win32 result; on failure `key` holds nothing.
LONG OpenRegKey(CScopedRegKey& key, HKEY root, const wchar_t* subKey, REGSAM access);

// Reads the named value of `key` as text, whatever its type, into `buffer` of `count` characters
// (count * 2 bytes are offered to the registry). Afterwards the buffer holds the data up to their
// first NUL, or the empty text when the value is missing or unreadable, its data do not fit, or they
// fill the whole buffer with no NUL to end them: the text is never longer than count - 1.
void QueryRegText(HKEY key, const wchar_t* valueName, wchar_t* buffer, size_t count);

template <size_t N>
void QueryRegText(HKEY key, const wchar_t* valueName, wchar_t (&buffer)[N])
{
    QueryRegText(key, valueName, buffer, N);
}
