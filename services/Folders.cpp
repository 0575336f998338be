#include "services/Folders.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace {

constexpr int kPathChars = MAX_PATH;                 // terminator included
constexpr int kMaxPathLength = kPathChars - 1;

struct ShellFree
{
    void operator()(ITEMIDLIST* items) const { CoTaskMemFree(items); }
};

}  // namespace

CString GetLocalAppDataShortPath()
{
    ITEMIDLIST* list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &list)))
        return CString();
    const std::unique_ptr<ITEMIDLIST, ShellFree> items(list);
    if (!items)
        return CString();

    wchar_t path[kPathChars] = {};
    wchar_t shortPath[kPathChars] = {};
    if (!SHGetPathFromIDListW(items.get(), path))
        return CString();
    const DWORD length = GetShortPathNameW(path, shortPath, kPathChars);
    // A result of the buffer's size or more is the size needed, and the buffer holds nothing usable.
    if (length == 0 || length >= static_cast<DWORD>(kPathChars))
        return CString();
    return CString(shortPath);
}

CString CreateAppDataFolder()
{
    CString folder = GetLocalAppDataShortPath();
    if (!folder.IsEmpty()) {
        folder += L"\\quarn";
        CreateDirectoryW(folder, nullptr);
    }
    return folder;
}

BOOL MakeSurePathExists(const CString& path)
{
    // Cut to fit, a path would create folders nobody asked for.
    if (path.GetLength() > kMaxPathLength)
        return FALSE;
    // Two bytes per character hold any character of a double-byte code page.
    std::vector<char> ansi(2 * (static_cast<size_t>(path.GetLength()) + 1));
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, path, -1, ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr)
        == 0)
        return FALSE;
    return MakeSureDirectoryPathExists(ansi.data());
}
