// Runs under a cap on the size of the files this program writes (see with-file-size-cap): the kernel
// refuses every write past it, which the download thread meets as a full disk.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/File.h"
#include "tests/services/TestFiles.h"
#include "tests/support/HttpTestServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpgradeDownloadThread.h"

using namespace updatetest;
using quarntest::HttpTestServer;

namespace {

constexpr size_t kCap = 64 * 1024;   // as the test's command line gives it

bool CanWrite(size_t size)
{
    const CString scratch = TempPath(L"cap-probe.bin");
    bool written = true;
    {
        CFile file;
        if (!file.Open(scratch, CFile::modeCreate | CFile::modeWrite))
            return false;
        const std::string block(size, 'x');
        try {
            file.Write(block.data(), static_cast<UINT>(block.size()));
        } catch (const CFileException&) {
            written = false;
        }
    }
    DeleteFileW(scratch);
    return written;
}

class WriteFailureTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // Without the cap these tests would prove nothing.
        ASSERT_TRUE(CanWrite(kCap));
        ASSERT_FALSE(CanWrite(kCap + 1)) << "run this program through with-file-size-cap " << kCap;
        DeleteFileW(InstallerPath());
    }

    void TearDown() override
    {
        StopDownload(m_thread);
        DeleteFileW(InstallerPath());
    }

    HttpTestServer m_server;
    KqUpgradeDownloadThread m_thread;
};

}  // namespace

TEST_F(WriteFailureTest, AFileThatCannotBeWrittenFailsTheAttemptAndIsDeleted)
{
    const std::string body(4 * kCap, 'q');
    m_server.ServeBytes("/quarn.exe", body);
    StartDownload(m_thread, m_server.UrlW("/quarn.exe").c_str(), Md5Of(body.substr(0, 16)));
    EXPECT_EQ(WaitForResult(m_thread), 0x10000007);
    EXPECT_EQ(m_thread.GetStatusText(), L"0x10000007\u3002");
    EXPECT_EQ(m_server.RequestCount("/quarn.exe"), 2u);
    EXPECT_FALSE(FileExists(InstallerPath()));
}

TEST_F(WriteFailureTest, TheSecondAttemptFollowsAWriteFailureAsAnyOther)
{
    const std::string large(4 * kCap, 'q');
    const std::string small(kCap / 2, 's');
    m_server.ServeBytes("/quarn.exe", large);
    CCallHold betweenAttempts(CCallHold::kDeleteFile, 2);
    StartDownload(m_thread, m_server.UrlW("/quarn.exe").c_str(), Md5Of(small));
    ASSERT_TRUE(betweenAttempts.WaitReached());
    EXPECT_EQ(m_thread.GetStatusText(), L"0x10000007\u3002");
    // Held in the deletion of the partial file, which is still there.
    EXPECT_TRUE(FileExists(InstallerPath()));
    m_server.ServeBytes("/quarn.exe", small);
    betweenAttempts.Release();

    EXPECT_EQ(WaitForResult(m_thread), 0);
    EXPECT_EQ(ReadFileBytes(InstallerPath()), small);
}
