// A helper of the service tests: a program with a version block (read by the file-version tests) that
// records the command line it was started with (for the process-start tests). It writes the line as
// UTF-16 into cmdline.txt in its temporary folder, which it inherits from the test, by a rename so that
// the test never reads a half-written file.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH - 16)
        return 2;
    wchar_t partial[MAX_PATH] = {};
    wchar_t final[MAX_PATH] = {};
    lstrcpyW(partial, dir);
    lstrcatW(partial, L"cmdline.part");
    lstrcpyW(final, dir);
    lstrcatW(final, L"cmdline.txt");

    const wchar_t* line = GetCommandLineW();
    HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t));
    const BOOL ok = WriteFile(file, line, bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    if (!ok || !MoveFileExW(partial, final, MOVEFILE_REPLACE_EXISTING))
        return 4;
    return 0;
}
