#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "services/TextConvert.h"
#include "tests/services/TestFiles.h"
#include "tests/support/HttpTestServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpgradeController.h"

using namespace updatetest;
using quarntest::HttpGate;
using quarntest::HttpResponse;
using quarntest::HttpTestServer;

namespace {

constexpr unsigned short kBuildPort = 47180;   // where this build's update and download hosts point

// The stand-in installer, copied beside this program by the build. Started from the temporary folder
// as quarn_install.exe, it records its command line beside itself.
CString FakeInstaller()
{
    return BesideTest(L"quarn_fake_installer.exe");
}

CString ToUpper(const CString& text)
{
    std::wstring upper = text.str();
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    return upper;
}

CString RecordPath()
{
    return InstallerPath() + L".cmdline";
}

// The command line the installer recorded, once it has; "(none)" when it did not run within the time.
// A record is never empty (it holds at least the blank), and for a moment after the installer renamed
// it into place the rename may still hold it open: reading and deleting are tried until they succeed.
std::wstring WaitForRecordedCommandLine(DWORD milliseconds = kPatience)
{
    std::string bytes;
    if (!WaitFor([&] { return !(bytes = ReadFileBytes(RecordPath())).empty(); }, milliseconds))
        return L"(none)";
    WaitFor([] { return DeleteFileW(RecordPath()) || !FileExists(RecordPath()); });
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// A server at the build's own address. Another build's tests may hold the port for a while.
std::unique_ptr<HttpTestServer> ListenAtBuildAddress()
{
    auto server = std::make_unique<HttpTestServer>(kBuildPort);
    for (int attempt = 0; attempt < 600 && !server->IsListening(); ++attempt) {
        Sleep(200);
        server = std::make_unique<HttpTestServer>(kBuildPort);
    }
    return server;
}

// Every test begins with an empty temporary folder and stops the download thread, as the window
// does, before the controller goes.
class UpgradeControllerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        DeleteFileW(InstallerPath());
        DeleteFileW(RecordPath());
        m_controller = std::make_unique<CUpgradeController>();
    }

    void TearDown() override
    {
        if (m_controller)
            StopDownload(*m_controller->m_pDownloadThread);
        m_controller.reset();
        DeleteFileW(InstallerPath());
        DeleteFileW(RecordPath());
    }

    void PlaceFakeInstaller() { ASSERT_TRUE(CopyFileW(FakeInstaller(), InstallerPath(), FALSE)); }

    std::unique_ptr<CUpgradeController> m_controller;
};

}  // namespace

TEST_F(UpgradeControllerTest, TheInstallerGetsTheFolderWithoutItsLastSeparatorQuotedWhenItHasABlank)
{
    const std::wstring longName(250, L'n');
    const CString kRefused = L"(refused)";
    struct Case {
        CString folder;
        CString handed;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\My App\\", L"\"C:\\Program Files\\My App\""},
        {L"C:\\Program Files\\My App", L"\"C:\\Program Files\\My App\""},
        {L"D:\\Apps\\Tool\\", L"D:\\Apps\\Tool"},
        {L"D:\\Apps\\", L"D:\\Apps"},
        {L"D:\\Apps/", L"D:\\Apps"},
        {L"D:/Apps//", L"D:/Apps/"},
        {L"D:\\Apps\\\\", L"D:\\Apps\\"},
        {L"C:\\", L"C:"},
        {L"\\", L""},
        {L"", L""},
        {L"E:\\\u4e2d\u6587 \u76ee\u5f55\\", L"\"E:\\\u4e2d\u6587 \u76ee\u5f55\""},
        // The installer's command line holds 258 characters after its blank: a folder that does not
        // fit there whole is refused, and the one before stays.
        {CString(L"C:\\") + CString(std::wstring(255, L'x')) + L"\\", CString(L"C:\\") + CString(std::wstring(255, L'x'))},
        {CString(L"C:\\") + CString(std::wstring(256, L'x')), kRefused},
        {CString(L"C:\\ ") + CString(std::wstring(252, L'x')) + L"\\", CString(L"\"C:\\ ") + CString(std::wstring(252, L'x')) + L"\""},
        {CString(L"C:\\ ") + CString(std::wstring(253, L'x')), kRefused},
        {CString(L"C:\\") + CString(longName) + L"\\" + CString(longName) + L"\\", kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.folder.GetLength() << " characters: " << c.folder.GetString());
        const CString before = m_controller->GetInstallDir();
        const CString handedBefore = m_controller->m_strQuotedInstallDir;
        const bool taken = c.handed != kRefused;
        EXPECT_EQ(m_controller->SetInstallDir(c.folder), taken);
        EXPECT_EQ(m_controller->GetInstallDir(), taken ? c.folder : before);
        EXPECT_EQ(m_controller->m_strQuotedInstallDir, taken ? c.handed : handedBefore);
    }
}

TEST_F(UpgradeControllerTest, RunInstallerStartsTheTemporaryInstallerWithOneBlankAndTheHandedFolder)
{
    PlaceFakeInstaller();
    struct Case {
        CString folder;
        std::wstring commandLine;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Quarn App\\", L" \"C:\\Program Files\\Quarn App\""},
        {L"D:\\Apps\\Tool\\", L" D:\\Apps\\Tool"},
        {L"D:\\Apps/", L" D:\\Apps"},
        {L"D:\\Apps\\\\", L" D:\\Apps\\"},
        {CString(L"C:\\ ") + CString(std::wstring(252, L'x')), L" \"C:\\ " + std::wstring(252, L'x') + L"\""},
        // No folder: the installer chooses its own.
        {L"", L" "},
        {L"\\", L" "},
        {L"/", L" "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.GetString());
        m_controller->SetInstallDir(c.folder);
        m_controller->RunInstaller();
        EXPECT_EQ(m_controller->m_strInstallerPath, InstallerPath());
        EXPECT_EQ(WaitForRecordedCommandLine(), c.commandLine);
    }
}

TEST_F(UpgradeControllerTest, RunInstallerStartsNothingWithoutAnInstaller)
{
    m_controller->SetInstallDir(L"D:\\Apps\\");
    m_controller->RunInstaller();
    EXPECT_EQ(m_controller->m_strInstallerPath, InstallerPath());
    EXPECT_FALSE(FileExists(RecordPath()));
}

TEST_F(UpgradeControllerTest, AnInstallerIsReadyOnlyWhenItsDigestMatchesTheDocuments)
{
    const std::string current = "the current installer";
    const CString digest = Md5Of(current);

    struct Case {
        const char* name;
        const char* file;   // NULL: no file
        CString md5;
        bool ready;
    };
    const Case cases[] = {
        {"the same digest", current.c_str(), digest, true},
        {"the digest in capitals", current.c_str(), ToUpper(digest), true},
        {"a stale file", "an older installer", digest, false},
        {"no md5 in the document", current.c_str(), L"", false},
        {"no file", nullptr, digest, false},
        {"no file and no md5", nullptr, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(InstallerPath());
        if (c.file)
            WriteBytes(InstallerPath(), c.file);
        m_controller->m_strMd5 = c.md5;
        EXPECT_EQ(m_controller->IsInstallerReady(), c.ready);
        EXPECT_EQ(m_controller->m_strInstallerPath, InstallerPath());
    }
}

TEST_F(UpgradeControllerTest, AFailedCheckEmptiesTheDocumentsValues)
{
    const std::unique_ptr<HttpTestServer> listening = ListenAtBuildAddress();
    HttpTestServer& server = *listening;
    ASSERT_TRUE(server.IsListening());
    server.ServeBytes("/download/instversion.json", R"({"version":"2.0","md5":"abc","packurl":"http://h/p.exe"})");
    ASSERT_TRUE(m_controller->CheckUpdate());
    EXPECT_EQ(m_controller->m_strVersion, L"2.0");
    EXPECT_EQ(m_controller->m_strMd5, L"abc");
    EXPECT_EQ(m_controller->m_strPackUrl, L"http://h/p.exe");

    server.Serve("/download/instversion.json", HttpResponse::Bytes("{}").Status(500));
    EXPECT_FALSE(m_controller->CheckUpdate());
    EXPECT_TRUE(m_controller->m_strVersion.IsEmpty());
    EXPECT_TRUE(m_controller->m_strMd5.IsEmpty());
    EXPECT_TRUE(m_controller->m_strPackUrl.IsEmpty());

    server.Stop();
    EXPECT_FALSE(m_controller->CheckUpdate());
}

// The whole road as the window travels it: check, download on the thread, verify, start the installer;
// afterwards the installer in the temporary folder counts as current and needs no download.
TEST_F(UpgradeControllerTest, TheRoadFromVersionDocumentToStartedInstaller)
{
    const std::string installer = ReadFileBytes(FakeInstaller());
    ASSERT_FALSE(installer.empty());
    const CString md5 = ToUpper(Md5Of(installer));

    const std::unique_ptr<HttpTestServer> listening = ListenAtBuildAddress();
    HttpTestServer& server = *listening;
    ASSERT_TRUE(server.IsListening());
    server.ServeBytes("/download/instversion.json",
                      R"({"version":"9.1","md5":")" + CStringToAnsi(md5) + R"("})");
    server.ServeFile("/quarn/exe/quarn/quarn_9.1.exe", FakeInstaller().GetString());

    ASSERT_TRUE(m_controller->CheckUpdate());
    EXPECT_EQ(m_controller->m_strPackUrl, L"http://127.0.0.1:47180/quarn/exe/quarn/quarn_9.1.exe");
    m_controller->m_bNeedDownload = m_controller->IsInstallerReady() ? 0 : 1;
    ASSERT_EQ(m_controller->m_bNeedDownload, 1);

    KqUpgradeDownloadThread& t = *m_controller->m_pDownloadThread;
    StartDownload(t, m_controller->m_strPackUrl, m_controller->m_strMd5);
    // The window's poll: status, progress, then the done flag; the result only once done. A poll may
    // miss a short status, never see them out of order.
    const std::vector<CString> order = {L"", L"\u51c6\u5907", L"\u4e0b\u8f7d\u4e2d...",
                                        L"\u9a8c\u8bc1\u6587\u4ef6\u4e2d...", L"\u6267\u884c\u66f4\u65b0"};
    size_t reached = 0;
    int lastProgress = 0;
    ASSERT_TRUE(WaitFor([&] {
        const CString status = m_controller->GetStatusText();
        const int progress = t.m_nProgress.load();
        const bool done = t.m_bDone.load(std::memory_order_acquire) == 1;
        const auto at = std::find(order.begin() + reached, order.end(), status);
        EXPECT_NE(at, order.end()) << "out of order: " << status.GetString();
        if (at != order.end())
            reached = at - order.begin();
        EXPECT_GE(progress, lastProgress);
        lastProgress = progress;
        return done;
    }));
    EXPECT_EQ(t.m_nResult.load(), 0);
    EXPECT_EQ(t.m_nProgress.load(), 1000);
    EXPECT_EQ(m_controller->GetStatusText(), L"\u6267\u884c\u66f4\u65b0");
    StopDownload(t);

    m_controller->SetInstallDir(L"C:\\Quarn Test\\App\\");
    m_controller->RunInstaller();
    EXPECT_EQ(WaitForRecordedCommandLine(), L" \"C:\\Quarn Test\\App\"");

    CUpgradeController next;
    ASSERT_TRUE(next.CheckUpdate());
    EXPECT_TRUE(next.IsInstallerReady());
    StopDownload(*next.m_pDownloadThread);
    EXPECT_EQ(server.RequestCount("/quarn/exe/quarn/quarn_9.1.exe"), 1u);
}

TEST_F(UpgradeControllerTest, DestroyedDuringAStalledDownloadItReturnsAndItsWorkerEnds)
{
    HttpTestServer server;
    const std::string body(256 * 1024, 'b');
    auto gate = std::make_shared<HttpGate>();
    server.Serve("/quarn.exe", HttpResponse::Bytes(body).HoldAt(64 * 1024, gate));

    KqUpgradeDownloadThread& t = *m_controller->m_pDownloadThread;
    const CScopedHandle worker = OpenWorkerThread(t);
    StartDownload(t, server.UrlW("/quarn.exe").c_str(), Md5Of(body));
    ASSERT_TRUE(gate->WaitReached(kPatience));
    ASSERT_TRUE(WaitFor([&] { return t.m_nProgress.load() == 250; }));

    const DWORD start = GetTickCount();
    m_controller.reset();
    EXPECT_LT(GetTickCount() - start, 5000u);
    // Still in its read: the cancel the destructor left is seen when data comes.
    EXPECT_EQ(WaitForSingleObject(worker.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    gate->Release();
    EXPECT_EQ(WaitForSingleObject(worker.Get(), kPatience), WAIT_OBJECT_0);
    EXPECT_TRUE(server.WaitForRequests("/quarn.exe", 2, kPatience));
    EXPECT_FALSE(FileExists(InstallerPath()));
}
