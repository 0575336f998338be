// Time from starting QuarnSetup.exe to its installer window showing, which it does only after the
// version document was fetched and read. Each run starts the program, waits for the window, closes
// it (IDCANCEL, which asks nothing) and waits for the process to end. Prints one line per run and
// the minimum, median and maximum in milliseconds.
//
//     bench_app_startup <QuarnSetup.exe> [runs]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Search
{
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != search->processId || !::IsWindowVisible(hWnd) || !::GetDlgItem(hWnd, IDC_BTN_UPDATE))
        return TRUE;
    search->found = hWnd;
    return FALSE;
}

// Milliseconds until the window showed, or a negative number when it did not within 30 s.
double TimeOneStart(const std::wstring& program)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + program + L"\"";
    LARGE_INTEGER frequency, start, shown;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    Search search = {process.dwProcessId, nullptr};
    double result = -1;
    for (;;) {
        ::EnumWindows(&FindShownWindow, reinterpret_cast<LPARAM>(&search));
        ::QueryPerformanceCounter(&shown);
        if (search.found) {
            result = 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / frequency.QuadPart;
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0 ||
            shown.QuadPart - start.QuadPart > 30 * frequency.QuadPart)
            break;
    }
    if (search.found)
        ::PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: bench_app_startup <QuarnSetup.exe> [runs]\n");
        return 1;
    }
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 10;
    // One start first, not counted: it warms the prefix and the file cache.
    if (TimeOneStart(argv[1]) < 0) {
        std::fwprintf(stderr, L"the window did not show\n");
        return 2;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = TimeOneStart(argv[1]);
        if (ms < 0) {
            std::fwprintf(stderr, L"run %d: the window did not show\n", i + 1);
            return 2;
        }
        std::wprintf(L"run %2d  %8.1f ms\n", i + 1, ms);
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::wprintf(L"start to window shown: min %.1f ms, median %.1f ms, max %.1f ms (%d runs)\n", times.front(),
                 times[times.size() / 2], times.back(), runs);
    return 0;
}
