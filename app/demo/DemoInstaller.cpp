// A stand-in for the product's installer, for the demo: QuarnSetup starts it with one blank and the
// quoted install folder as its command line. It records the folder it was given (UTF-8, one line) in
// the file that QUARN_DEMO_RECORD names, or else in %TEMP%\quarn_demo_install.txt, then shows it in a
// message box titled "Quarn demo installer".

#include <windows.h>

#include <string>

namespace {

const wchar_t kTitle[] = L"Quarn demo installer";

// The command line as QuarnSetup builds it carries no program name: blanks, then the folder, in
// double quotes when it holds a space.
std::wstring FolderFromCommandLine(const wchar_t* commandLine)
{
    std::wstring folder(commandLine ? commandLine : L"");
    folder.erase(0, folder.find_first_not_of(L" \t"));
    folder.erase(folder.find_last_not_of(L" \t") + 1);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
        folder = folder.substr(1, folder.size() - 2);
    return folder;
}

std::wstring RecordPath()
{
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(L"QUARN_DEMO_RECORD", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return path;
    n = ::GetTempPathW(MAX_PATH, path);
    return std::wstring(n > 0 && n < MAX_PATH ? path : L"") + L"quarn_demo_install.txt";
}

bool Record(const std::wstring& folder)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), static_cast<int>(folder.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string line(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), static_cast<int>(folder.size()), &line[0], size, nullptr,
                          nullptr);
    line += "\r\n";
    const HANDLE file = ::CreateFileW(RecordPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                    written == line.size();
    ::CloseHandle(file);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    const std::wstring folder = FolderFromCommandLine(::GetCommandLineW());
    const bool recorded = Record(folder);
    const std::wstring text = L"The Quarn demo installer was started.\n\nInstall folder:\n" +
                              (folder.empty() ? std::wstring(L"(none given)") : folder) +
                              (recorded ? L"" : L"\n\n(The folder could not be recorded.)");
    ::MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    return recorded ? 0 : 1;
}
