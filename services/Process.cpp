#include "services/Process.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "services/ScopedHandle.h"

namespace {

constexpr int kCommandLineChars = 260;                        // terminator included
constexpr int kMaxArgumentChars = kCommandLineChars - 2;      // after the blank, before the terminator

}  // namespace

bool MakeFolderArgument(const CString& folder, CString& argument)
{
    CString trimmed = folder;
    const int length = trimmed.GetLength();
    if (length > 0 && (trimmed[length - 1] == L'\\' || trimmed[length - 1] == L'/'))
        trimmed.Truncate(length - 1);
    const int quotes = trimmed.Find(L' ') >= 0 ? 2 : 0;
    if (trimmed.GetLength() + quotes > kMaxArgumentChars)
        return false;
    wchar_t buffer[kCommandLineChars] = {};
    lstrcpynW(buffer, trimmed, kCommandLineChars);
    PathQuoteSpacesW(buffer);
    argument = buffer;
    return true;
}

bool RunProgram(const CString& program, const CString& arguments)
{
    // A longer text cut to fit would start the program with arguments it was not given.
    if (arguments.GetLength() > kMaxArgumentChars)
        return false;
    wchar_t commandLine[kCommandLineChars] = {L' '};
    wmemcpy(commandLine + 1, arguments.GetString(), static_cast<size_t>(arguments.GetLength()));

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(program,
                                        commandLine,    // CreateProcessW may write to it: a local buffer
                                        nullptr,        // default process security
                                        nullptr,        // default thread security
                                        TRUE,           // inherit handles
                                        0,              // no creation flags
                                        nullptr,        // the caller's environment
                                        nullptr,        // the caller's current folder
                                        &startup,
                                        &process);
    // Nothing waits for the started program: its handles are let go at once.
    const CScopedHandle startedProcess(started ? process.hProcess : nullptr);
    const CScopedHandle startedThread(started ? process.hThread : nullptr);
    return started != FALSE;
}

void ShellOpen(CString target)
{
    ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOW);
}
