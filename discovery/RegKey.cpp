#include "discovery/RegKey.h"

#include <cwchar>

LONG OpenRegKey(CScopedRegKey& key, HKEY root, const wchar_t* subKey, REGSAM access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(root, subKey, 0, access, &opened);
    key.Reset(result == ERROR_SUCCESS ? opened : nullptr);
    return result;
}

void QueryRegText(HKEY key, const wchar_t* valueName, wchar_t* buffer, size_t count)
{
    if (count == 0)
        return;
    wmemset(buffer, L'\0', count);
    DWORD bytes = static_cast<DWORD>(count * sizeof(wchar_t));
    const LONG result = RegQueryValueExW(key,
                                         valueName,
                                         nullptr,  // reserved
                                         nullptr,  // type: any type is read as text
                                         reinterpret_cast<BYTE*>(buffer),
                                         &bytes);
    // ERROR_MORE_DATA may leave part of the data behind, and data stored without a terminator may fill
    // the buffer to its last character; neither is a text that ends inside the buffer.
    if (result != ERROR_SUCCESS || wmemchr(buffer, L'\0', count) == nullptr)
        wmemset(buffer, L'\0', count);
}
