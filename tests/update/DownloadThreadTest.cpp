#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "services/FileDigest.h"
#include "tests/services/TestFiles.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/LoopbackListener.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpgradeDownloadThread.h"

using namespace updatetest;
using quarntest::HttpGate;
using quarntest::HttpResponse;
using quarntest::HttpTestServer;

namespace {

const wchar_t kPreparing[] = L"\u51c6\u5907";
const wchar_t kDownloading[] = L"\u4e0b\u8f7d\u4e2d...";
const wchar_t kVerifying[] = L"\u9a8c\u8bc1\u6587\u4ef6\u4e2d...";
const wchar_t kVerified[] = L"\u6267\u884c\u66f4\u65b0";
const wchar_t kVerifyFailedLine[] = L"\u5b89\u88c5\u6587\u4ef6\u9a8c\u8bc1\u5931\u8d250x10000008\u3002";
const wchar_t kCannotCreateLine[] =
    L"\u4e0d\u80fd\u5efa\u7acb\u672c\u5730\u6587\u4ef6\uff0c\u65e0\u6cd5\u4e0b\u8f7d\u66f4\u65b0\uff010x10000005\u3002";

// An installer-sized body: enough blocks for a transfer to be held in its middle.
std::string Body(size_t size = 256 * 1024)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 131 + i / 977) & 0xff);
    return body;
}

// Every test begins without an installer in the temporary folder and stops its thread before the object
// goes, as the window does, so that no destruction waits out an idle worker.
class DownloadThreadTest : public testing::Test
{
protected:
    void SetUp() override
    {
        DeleteFileW(InstallerPath());
        ASSERT_TRUE(m_server.IsListening());
    }

    void TearDown() override
    {
        StopDownload(m_thread);
        DeleteFileW(InstallerPath());
    }

    CString Url(const std::string& path) const { return m_server.UrlW(path).c_str(); }

    HttpTestServer m_server;
    KqUpgradeDownloadThread m_thread;
};

}  // namespace

TEST(VerifyFileMd5, ComparesTheDigestTextWithoutRegardToCase)
{
    const CString file = TempPath(L"verify.bin");
    WriteBytes(file, "abc");
    const CString digest = L"900150983cd24fb0d6963f7d28e17f72";
    struct Case {
        const char* name;
        CString expected;
        bool matches;
    };
    const Case cases[] = {
        {"lowercase", digest, true},
        {"capitals", L"900150983CD24FB0D6963F7D28E17F72", true},
        {"mixed", L"900150983Cd24fB0d6963f7D28e17F72", true},
        {"31 digits", digest.Left(31), false},
        {"33 digits", digest + L"0", false},
        {"a trailing blank", digest + L" ", false},
        {"another digest", L"900150983cd24fb0d6963f7d28e17f73", false},
        {"nothing expected", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VerifyFileMd5(file, c.expected), c.matches);
    }
    DeleteFileW(file);
}

TEST(VerifyFileMd5, AFileWithoutADigestNeverMatches)
{
    // Nothing expected must not pass for nothing computed.
    EXPECT_FALSE(VerifyFileMd5(TempPath(L"no-such-file.exe"), L""));
    EXPECT_FALSE(VerifyFileMd5(TempPath(L"no-such-folder\\file.exe"), L""));

    const CString locked = TempPath(L"locked.bin");
    WriteBytes(locked, "abc");
    {
        const CScopedHandle exclusive(
            CreateFileW(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(VerifyFileMd5(locked, L""));
        EXPECT_FALSE(VerifyFileMd5(locked, L"900150983cd24fb0d6963f7d28e17f72"));
    }
    EXPECT_TRUE(VerifyFileMd5(locked, L"900150983cd24fb0d6963f7d28e17f72"));
    DeleteFileW(locked);
}

TEST_F(DownloadThreadTest, AVerifiedDownloadShowsEveryStatusInOrder)
{
    const std::string body = Body();
    auto gate = std::make_shared<HttpGate>();
    m_server.Serve("/quarn.exe", HttpResponse::Bytes(body).HoldAt(100 * 1024, gate));
    // An installer left from before goes, current or not.
    WriteBytes(InstallerPath(), body);

    auto preparing = std::make_unique<CCallHold>(CCallHold::kDeleteFile);
    StartDownload(m_thread, Url("/quarn.exe"), Md5Of(body));
    ASSERT_TRUE(preparing->WaitReached());
    EXPECT_EQ(m_thread.GetStatusText(), kPreparing);
    EXPECT_EQ(preparing->HeldPath(), InstallerPath());
    EXPECT_EQ(m_thread.m_bDone.load(), 0);
    preparing.reset();

    ASSERT_TRUE(gate->WaitReached(kPatience));
    EXPECT_EQ(m_thread.GetStatusText(), kDownloading);
    EXPECT_TRUE(WaitFor([&] { return m_thread.m_nProgress.load() > 0; }));
    EXPECT_LT(m_thread.m_nProgress.load(), 1000);

    CCallHold verifying(CCallHold::kPathFileExists);
    gate->Release();
    ASSERT_TRUE(verifying.WaitReached());
    EXPECT_EQ(m_thread.GetStatusText(), kVerifying);
    EXPECT_EQ(m_thread.m_nProgress.load(), 1000);
    verifying.Release();

    EXPECT_EQ(WaitForResult(m_thread), 0);
    EXPECT_EQ(m_thread.GetStatusText(), kVerified);
    EXPECT_EQ(ReadFileBytes(InstallerPath()), body);
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 1u);
}

TEST_F(DownloadThreadTest, ASecondRunStartsAfreshButKeepsTheProgress)
{
    const std::string body = Body(8 * 1024);
    m_server.ServeBytes("/quarn.exe", body);
    StartDownload(m_thread, Url("/quarn.exe"), Md5Of(body));
    ASSERT_EQ(WaitForResult(m_thread), 0);
    ASSERT_EQ(m_thread.m_nProgress.load(), 1000);

    auto gate = std::make_shared<HttpGate>();
    m_server.Serve("/quarn.exe", HttpResponse::Bytes(body).WithoutLength().HoldAt(4096, gate));
    {
        CCallHold preparing(CCallHold::kDeleteFile);
        SetEvent(m_thread.m_hWorkEvent.Get());
        ASSERT_TRUE(preparing.WaitReached());
        EXPECT_EQ(m_thread.m_bDone.load(), 0);
        EXPECT_EQ(WaitForSingleObject(m_thread.m_hDoneEvent.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_EQ(m_thread.m_nProgress.load(), 1000);
    }
    // Without a length the client publishes 0 until the end of the data.
    ASSERT_TRUE(gate->WaitReached(kPatience));
    EXPECT_TRUE(WaitFor([&] { return m_thread.m_nProgress.load() == 0; }));
    gate->Release();
    EXPECT_EQ(WaitForResult(m_thread), 0);
    EXPECT_EQ(m_thread.m_nProgress.load(), 1000);
}

TEST_F(DownloadThreadTest, BothAttemptsFailingVerificationLeaveNoFile)
{
    const std::string body = Body(16 * 1024);
    m_server.ServeBytes("/quarn.exe", body);
    StartDownload(m_thread, Url("/quarn.exe"), L"00000000000000000000000000000000");
    EXPECT_EQ(WaitForResult(m_thread), 0x1001);
    EXPECT_EQ(m_thread.GetStatusText(), kVerifyFailedLine);
    EXPECT_EQ(m_thread.m_nProgress.load(), 1000);
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 2u);
    EXPECT_FALSE(FileExists(InstallerPath()));
}

TEST_F(DownloadThreadTest, AFailedFirstAttemptIsFollowedByASecondThatVerifies)
{
    const std::string body = Body();
    struct Case {
        const char* name;
        HttpResponse first;
        CString line;
    };
    const Case cases[] = {
        {"status 404", HttpResponse::Bytes("not here").Status(404), L"0x10000004\u3002"},
        // The body ends early but in order: the transfer succeeds and the short file fails verification.
        {"closed early", HttpResponse::Bytes(body).CloseAt(10000), kVerifyFailedLine},
        {"a wrong file", HttpResponse::Bytes(Body(1000)), kVerifyFailedLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server;
        server.Serve("/quarn.exe", c.first);
        // The first DeleteFileW of a run comes before the first attempt, the second after it failed.
        CCallHold betweenAttempts(CCallHold::kDeleteFile, 2);
        StartDownload(m_thread, server.UrlW("/quarn.exe").c_str(), Md5Of(body));
        ASSERT_TRUE(betweenAttempts.WaitReached());
        EXPECT_EQ(m_thread.GetStatusText(), c.line);
        auto second = std::make_shared<HttpGate>();
        server.Serve("/quarn.exe", HttpResponse::Bytes(body).HoldAt(body.size() / 2, second));
        betweenAttempts.Release();
        // The second attempt says so, rather than leaving the first one's error line.
        ASSERT_TRUE(second->WaitReached(kPatience));
        EXPECT_EQ(m_thread.GetStatusText(), kDownloading);
        second->Release();

        EXPECT_EQ(WaitForResult(m_thread), 0);
        EXPECT_EQ(m_thread.GetStatusText(), kVerified);
        EXPECT_EQ(server.RequestCount("/quarn.exe"), 2u);
        EXPECT_EQ(ReadFileBytes(InstallerPath()), body);
    }
}

TEST_F(DownloadThreadTest, AnExceptionThatLeavesTheRunEndsItAsAFailureWithoutAFile)
{
    const std::string body = Body(8 * 1024);
    m_server.ServeBytes("/quarn.exe", body);
    // Thrown as the downloaded file is about to be verified, as an allocation that fails would be.
    CCallHold failing(CCallHold::kPathFileExists, 1, CCallHold::kThrow);
    StartDownload(m_thread, Url("/quarn.exe"), Md5Of(body));
    EXPECT_EQ(WaitForResult(m_thread), 0x1000000b);
    EXPECT_EQ(m_thread.GetStatusText(), L"0x1000000b\u3002");
    EXPECT_FALSE(FileExists(InstallerPath()));
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 1u);
}

TEST_F(DownloadThreadTest, NotFoundTwiceShowsTheBareCode)
{
    StartDownload(m_thread, Url("/nothing.exe"), L"0123456789abcdef0123456789abcdef");
    EXPECT_EQ(WaitForResult(m_thread), 0x10000004);
    EXPECT_EQ(m_thread.GetStatusText(), L"0x10000004\u3002");
    EXPECT_EQ(m_server.RequestCount("/nothing.exe"), 2u);
    EXPECT_FALSE(FileExists(InstallerPath()));
}

TEST_F(DownloadThreadTest, ACancelEndsBothAttemptsAndEveryLaterRun)
{
    const std::string body = Body();
    auto gate = std::make_shared<HttpGate>();
    m_server.Serve("/quarn.exe", HttpResponse::Bytes(body).HoldAt(64 * 1024, gate));
    StartDownload(m_thread, Url("/quarn.exe"), Md5Of(body));
    ASSERT_TRUE(gate->WaitReached(kPatience));
    // Everything before the hold has been read: the worker waits in its next read.
    ASSERT_TRUE(WaitFor([&] { return m_thread.m_nProgress.load() == 250; }));

    // As the window stops a download; the read in progress ends only when data comes.
    m_thread.m_bStarted = 0;
    SetEvent(m_thread.m_hCancelEvent.Get());
    gate->Release();
    EXPECT_EQ(WaitForResult(m_thread), 0x20000001);
    EXPECT_EQ(m_thread.m_bDone.load(), 1);
    EXPECT_EQ(m_thread.GetStatusText(), L"0x20000001\u3002");
    // The second attempt opened its request before it found the cancel.
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 2u);
    EXPECT_FALSE(FileExists(InstallerPath()));

    // The cancel event is never reset: a later run cannot complete either.
    {
        CCallHold preparing(CCallHold::kDeleteFile);
        SetEvent(m_thread.m_hWorkEvent.Get());
        ASSERT_TRUE(preparing.WaitReached());
    }
    EXPECT_EQ(WaitForResult(m_thread), 0x20000001);
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 4u);
}

TEST_F(DownloadThreadTest, ALocalFileThatCannotBeCreatedFailsBothAttempts)
{
    m_server.ServeBytes("/quarn.exe", Body(1024));
    {
        // Held open without sharing: neither deleted at the start nor opened by an attempt.
        WriteBytes(InstallerPath(), "held");
        const CScopedHandle held(
            CreateFileW(InstallerPath(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        StartDownload(m_thread, Url("/quarn.exe"), Md5Of(Body(1024)));
        EXPECT_EQ(WaitForResult(m_thread), 0x10000005);
        EXPECT_EQ(m_thread.GetStatusText(), kCannotCreateLine);
    }
    EXPECT_EQ(ReadFileBytes(InstallerPath()), "held");
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 0u);
}

TEST_F(DownloadThreadTest, ATemporaryFolderBelowAFileCannotTakeTheInstaller)
{
    const CString notAFolder = TempPath(L"not-a-folder");
    WriteBytes(notAFolder, "x");
    m_server.ServeBytes("/quarn.exe", Body(1024));
    {
        const CTempFolderOverride temp(notAFolder + L"\\inner\\");
        StartDownload(m_thread, Url("/quarn.exe"), Md5Of(Body(1024)));
        EXPECT_EQ(WaitForResult(m_thread), 0x10000005);
    }
    EXPECT_EQ(m_thread.GetStatusText(), kCannotCreateLine);
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 0u);
    DeleteFileW(notAFolder);
}

TEST_F(DownloadThreadTest, ACurrentInstallerIsDeletedAtTheStartOfARun)
{
    const std::string body = Body(4096);
    WriteBytes(InstallerPath(), body);
    StartDownload(m_thread, Url("/gone.exe"), Md5Of(body));
    EXPECT_EQ(WaitForResult(m_thread), 0x10000004);
    EXPECT_FALSE(FileExists(InstallerPath()));
}

namespace {

class PoisonedDownloadThread : public KqUpgradeDownloadThread
{
public:
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* memory, size_t size) { KeepFreed(memory, size); }
};

// Destroys `thread` while its run works, and checks that the destructor kept to its waits.
void DestroyWithinBound(KqUpgradeDownloadThread* thread)
{
    const DWORD start = GetTickCount();
    delete thread;
    // 1000 ms for the worker, then 100 ms for the stop; far above, a hang.
    EXPECT_LT(GetTickCount() - start, 5000u);
}

}  // namespace

TEST(KqUpgradeDownloadThread, DestroyedDuringAStalledTransferItReturnsAndItsWorkerLeavesItAlone)
{
    HttpTestServer server;
    const std::string body = Body();
    auto gate = std::make_shared<HttpGate>();
    server.Serve("/quarn.exe", HttpResponse::Bytes(body).HoldAt(64 * 1024, gate));

    KqUpgradeDownloadThread* thread = new PoisonedDownloadThread;
    StartDownload(*thread, server.UrlW("/quarn.exe").c_str(), Md5Of(body));
    ASSERT_TRUE(gate->WaitReached(kPatience));
    // Everything before the hold has been read, so the cancel cannot end the run until data comes.
    ASSERT_TRUE(WaitFor([&] { return thread->m_nProgress.load() == 250; }));
    const CScopedHandle worker = OpenWorkerThread(*thread);
    ASSERT_TRUE(worker);

    DestroyWithinBound(thread);
    ASSERT_NE(g_freed.memory, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // The worker wakes, finds the cancel the destructor left, makes its second attempt and ends.
    gate->Release();
    EXPECT_EQ(WaitForSingleObject(worker.Get(), kPatience), WAIT_OBJECT_0);
    EXPECT_TRUE(server.WaitForRequests("/quarn.exe", 2, kPatience));
    EXPECT_TRUE(g_freed.IsUntouched());
    g_freed.Free();
    EXPECT_FALSE(FileExists(InstallerPath()));

    // The process goes on as before.
    server.ServeBytes("/quarn.exe", body);
    KqUpgradeDownloadThread next;
    StartDownload(next, server.UrlW("/quarn.exe").c_str(), Md5Of(body));
    EXPECT_EQ(WaitForResult(next), 0);
    StopDownload(next);
    DeleteFileW(InstallerPath());
}

TEST(KqUpgradeDownloadThread, DestroyedWhileItsServerNeverAnswersItReturns)
{
    // A listening socket that nobody accepts on: connections complete, and no response ever comes.
    LoopbackListener listener;
    ASSERT_TRUE(listener.IsListening());
    const CString url = L"http://127.0.0.1:" + CString(std::to_wstring(listener.Port())) + L"/quarn.exe";

    KqUpgradeDownloadThread* thread = new PoisonedDownloadThread;
    const CScopedHandle worker = OpenWorkerThread(*thread);
    StartDownload(*thread, url, L"0123456789abcdef0123456789abcdef");
    // A connection waiting to be accepted: the worker is in its request.
    ASSERT_TRUE(listener.WaitPending(kPatience));
    DestroyWithinBound(thread);

    // Closing the listener resets the waiting connection; both attempts fail and the worker ends.
    listener.Close();
    EXPECT_EQ(WaitForSingleObject(worker.Get(), kPatience), WAIT_OBJECT_0);
    EXPECT_TRUE(g_freed.IsUntouched());
    g_freed.Free();
}
