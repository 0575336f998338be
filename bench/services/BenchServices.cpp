// Times one service of the program and prints the seconds it took, for bench/services/run:
//     bench_services download <url> <file>    CHttpClient::DownloadToFile of url into file
//     bench_services md5 <file>               GetFileMd5 of file

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "framework/File.h"
#include "services/FileDigest.h"
#include "services/HttpClient.h"

namespace {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Download(const wchar_t* url, const wchar_t* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite)) {
        std::fprintf(stderr, "cannot create %ls\n", path);
        return 1;
    }
    CHttpClient client;
    std::atomic<int> progress{0};
    client.m_pProgress = &progress;
    const double start = Now();
    const int code = client.DownloadToFile(file, url, nullptr);
    const double seconds = Now() - start;
    file.Close();
    if (code != 0) {
        std::fprintf(stderr, "download failed: 0x%x\n", static_cast<unsigned>(code));
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}

int Digest(const wchar_t* path)
{
    CString digest;
    const double start = Now();
    const BOOL ok = GetFileMd5(path, digest);
    const double seconds = Now() - start;
    if (!ok) {
        std::fprintf(stderr, "cannot digest %ls\n", path);
        return 1;
    }
    std::printf("%.3f %ls\n", seconds, digest.GetString());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && std::wcscmp(argv[1], L"download") == 0)
        return Download(argv[2], argv[3]);
    if (argc == 3 && std::wcscmp(argv[1], L"md5") == 0)
        return Digest(argv[2]);
    std::fprintf(stderr, "usage: bench_services download <url> <file> | md5 <file>\n");
    return 2;
}
