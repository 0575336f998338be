// Times the road of one installation without a window, for bench/update/run:
//     bench_update <version document URL>
// reads the version document, downloads the installer it names on the download thread into the
// temporary folder and verifies it there, then prints the seconds of the document and of the download
// with its verification. The installer is deleted afterwards.

#include <windows.h>

#include <cstdio>

#include "services/TextConvert.h"
#include "update/UpdateInfo.h"
#include "update/UpgradeDownloadThread.h"

namespace {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_update <version document URL>\n");
        return 2;
    }
    const double start = Now();
    CUpdateInfo info;
    info.Reset();
    info.m_versionDocUrl = CStringToAnsi(argv[1]);
    if (!info.FetchAndParse()) {
        std::fprintf(stderr, "cannot read the version document %ls\n", argv[1]);
        return 1;
    }
    const double documentRead = Now();

    KqUpgradeDownloadThread thread;
    thread.m_strVersion = info.GetVersion();
    thread.m_strExpectedMd5 = info.GetMd5();
    thread.m_strPackUrl = info.GetPackUrl();
    SetEvent(thread.m_hWorkEvent.Get());
    WaitForSingleObject(thread.m_hDoneEvent.Get(), INFINITE);
    const double verified = Now();
    const int result = thread.m_bDone.load(std::memory_order_acquire) ? thread.m_nResult.load() : -1;
    thread.Stop();
    DeleteFileW(GetTempFolder() + g_szInstallerFileName);
    if (result != 0) {
        std::fprintf(stderr, "download failed: 0x%x, %ls\n", static_cast<unsigned>(result),
                     thread.GetStatusText().GetString());
        return 1;
    }
    std::printf("%.3f %.3f\n", documentRead - start, verified - documentRead);
    return 0;
}
