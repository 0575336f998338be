#include <windows.h>
#include <dbghelp.h>

#include <gtest/gtest.h>

#include <string>

#include "services/Folders.h"
#include "tests/services/TestFiles.h"

namespace {

// Runs the crash helper and gives its exit code, or STILL_ACTIVE when it does not end. It ends once its
// dump is written, which takes Wine some 5 s on an idle machine and several times that on a busy one.
DWORD RunCrashHelper(const wchar_t* where)
{
    const CString helper = BesideTest(L"services_crash_helper.exe");
    std::wstring commandLine = L"services_crash_helper.exe " + std::wstring(where);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(helper, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return code;
}

// The exception code the dump records, or 0 when it holds no exception.
DWORD DumpedExceptionCode(const CString& dump)
{
    const std::string bytes = ReadBytes(dump);
    void* stream = nullptr;
    ULONG size = 0;
    if (bytes.empty()
        || !MiniDumpReadDumpStream(const_cast<char*>(bytes.data()), ExceptionStream, nullptr, &stream, &size)
        || size < sizeof(MINIDUMP_EXCEPTION_STREAM))
        return 0;
    return static_cast<const MINIDUMP_EXCEPTION_STREAM*>(stream)->ExceptionRecord.ExceptionCode;
}

}  // namespace

TEST(CrashDumpFilter, EndsTheProcessLeavingAMinidumpThatTheNextCrashReplaces)
{
    const CString folder = CreateAppDataFolder();
    ASSERT_FALSE(folder.IsEmpty());
    const CString dump = folder + L"\\appcrash.dmp";
    DeleteFileW(dump);

    const std::string stale = "STALE" + std::string(4 * 1024 * 1024, 'z');
    for (const wchar_t* where : {L"main", L"thread"}) {
        EXPECT_EQ(RunCrashHelper(where), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << where;
        const std::string written = ReadBytes(dump);
        ASSERT_GE(written.size(), 4u) << where;
        EXPECT_EQ(written.substr(0, 4), "MDMP") << where;
        EXPECT_NE(written.size(), stale.size()) << where;
        EXPECT_EQ(DumpedExceptionCode(dump), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << where;
        // The next crash must replace this file, not add to it.
        WriteBytes(dump, stale);
    }
    DeleteFileW(dump);
}
