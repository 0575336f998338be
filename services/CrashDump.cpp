#include "services/CrashDump.h"

#include <dbghelp.h>

#include "services/Folders.h"
#include "services/ScopedHandle.h"

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception)
{
    const CString path = CreateAppDataFolder() + L"\\appcrash.dmp";
    CScopedHandle file(CreateFileW(path,
                                   GENERIC_WRITE,
                                   0,                       // no sharing while it is written
                                   nullptr,                 // default security
                                   CREATE_ALWAYS,           // replaces the dump of an earlier crash
                                   FILE_ATTRIBUTE_NORMAL,
                                   nullptr));               // no template
    if (file) {
        MINIDUMP_EXCEPTION_INFORMATION info = {};
        info.ThreadId = GetCurrentThreadId();
        info.ExceptionPointers = exception;
        info.ClientPointers = FALSE;
        MiniDumpWriteDump(GetCurrentProcess(),
                          GetCurrentProcessId(),
                          file.Get(),
                          MiniDumpNormal,
                          &info,
                          nullptr,                          // no user streams
                          nullptr);                         // no callback
    }
    return EXCEPTION_EXECUTE_HANDLER;
}
