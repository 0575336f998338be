// A stand-in for the product's installer, for tests that download and start it: it records the command
// line it was started with and ends. The record goes to the file that QUARN_FAKE_INSTALLER_RECORD names
// or, without that variable, beside the program as <program>.cmdline, in UTF-16 without a byte-order mark.
// It is written under another name first and then renamed, so a reader never sees half of it.

#include <windows.h>

#include <string>

namespace {

std::wstring RecordPath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD named = GetEnvironmentVariableW(L"QUARN_FAKE_INSTALLER_RECORD", path, MAX_PATH);
    if (named > 0 && named < MAX_PATH)
        return path;
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return std::wstring(path) + L".cmdline";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::wstring record = RecordPath();
    if (record.empty())
        return 2;
    const std::wstring partial = record + L".part";

    const wchar_t* line = GetCommandLineW();
    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t));
    const BOOL ok = WriteFile(file, line, bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    if (!ok || !MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 4;
    return 0;
}
