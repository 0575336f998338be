#include "services/TextConvert.h"

#include <windows.h>

#include <vector>

CString Utf8ToCString(const std::string& utf8)
{
    // The length includes the terminator, so 0 means the conversion failed.
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return CString();
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    return CString(wide.data());
}

std::string CStringToAnsi(const CString& text)
{
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::vector<char> ansi(static_cast<size_t>(length) + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), length, nullptr, nullptr);
    return std::string(ansi.data());
}
