// A helper of the crash-dump tests: installs the crash-dump filter, then faults with an access violation
// on the main thread ("main") or on a second thread ("thread", the main thread waiting meanwhile).

#include <windows.h>

#include <cstring>

#include "services/CrashDump.h"

namespace {

void Fault()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

DWORD WINAPI FaultingThread(LPVOID)
{
    Fault();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    SetUnhandledExceptionFilter(CrashDumpFilter);
    if (argc > 1 && std::strcmp(argv[1], "thread") == 0) {
        HANDLE thread = CreateThread(nullptr, 0, FaultingThread, nullptr, 0, nullptr);
        if (thread)
            WaitForSingleObject(thread, INFINITE);
        return 2;  // not reached: the fault ends the process
    }
    Fault();
    return 3;
}
