#pragma once
// The process's unhandled-exception filter, installed at start-up with SetUnhandledExceptionFilter.

#include <windows.h>

// Writes a minidump (MiniDumpNormal, with the exception of the crashing thread) of the process to
// CreateAppDataFolder() + "\appcrash.dmp", replacing the dump of an earlier crash; without a data folder
// to "\appcrash.dmp" on the current drive. Returns EXCEPTION_EXECUTE_HANDLER, so the process then ends
// without the system's error dialog. Nothing is reported when the dump cannot be written.
LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception);
