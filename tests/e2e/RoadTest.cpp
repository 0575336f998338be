// The installation road of the real program, from outside: QuarnSetup.exe in a process of its own
// against the loopback update server on 127.0.0.1:47180. The tests find its window, press its buttons
// with the mouse, read its progress bar and text lines from the screen and look at what the started
// installer was given.

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "res/resource.h"
#include "tests/e2e/E2eSupport.h"

namespace {

using namespace e2e;

const char kDocumentPath[] = "/download/instversion.json";
const char kPackagePath[] = "/quarn/exe/quarn/quarn_9.9.9.exe";

// 下载中...
const wchar_t kDownloading[] = L"\u4e0b\u8f7d\u4e2d...";
// 安装文件验证失败0x10000008。
const wchar_t kVerificationFailed[] = L"\u5b89\u88c5\u6587\u4ef6\u9a8c\u8bc1\u5931\u8d250x10000008\u3002";
// 无法读取安装信息
const wchar_t kNoInstallInfo[] = L"\u65e0\u6cd5\u8bfb\u53d6\u5b89\u88c5\u4fe1\u606f";
// 安装目录：
const wchar_t kInstallDirLabel[] = L"\u5b89\u88c5\u76ee\u5f55\uff1a";

const COLORREF kTrack = RGB(238, 238, 238);
const COLORREF kFill = RGB(119, 210, 253);

bool IsTrack(COLORREF c)
{
    return c == kTrack;
}

// The fill or its gradient strip: blue at full strength, from RGB(119,210,253) to RGB(46,154,255).
bool IsFill(COLORREF c)
{
    return GetBValue(c) >= 250 && GetRValue(c) >= 40 && GetRValue(c) <= 125 && GetGValue(c) >= 150 &&
           GetGValue(c) <= 215;
}

// Where the bar's fill ends on the middle row: the first x from the bar's left that is no fill, or
// -1 when the row is no bar at all (no track at its right end, nor fill at its left).
int FillEnd(const Image& client)
{
    const int y = (kProgressBar.top + kProgressBar.bottom) / 2;
    if (!IsTrack(client.At(kProgressBar.right - 3, y)) && !IsFill(client.At(kProgressBar.right - 3, y)))
        return -1;
    int x = kProgressBar.left + 1;
    while (x < kProgressBar.right && IsFill(client.At(x, y)))
        ++x;
    return x;
}

void ExpectOnlyMinimiseAndClose(HWND window, const char* when)
{
    EXPECT_FALSE(ChildVisible(window, IDC_BTN_UPDATE)) << when;
    EXPECT_FALSE(ChildVisible(window, IDC_BTN_PATH)) << when;
    EXPECT_FALSE(ChildVisible(window, IDC_BTN_EULA)) << when;
    EXPECT_TRUE(ChildVisible(window, IDC_BTN_MINIMIZE)) << when;
    EXPECT_TRUE(ChildVisible(window, IDC_BTN_CLOSE)) << when;
}

class Road : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server) << "127.0.0.1:47180 stays taken";
        ::DeleteFileW(InstallerPath().c_str());
        ::DeleteFileW(InstallerRecordPath().c_str());
        // The stand-in installer, padded to 1 MiB: the loader ignores what follows the image, and the
        // download gets an even length whose halves and quarters are exact per-mille values.
        m_package = ReadFileBytes(FakeInstallerPath());
        ASSERT_FALSE(m_package.empty());
        ASSERT_LT(m_package.size(), 1u << 20);
        m_package.resize(1u << 20, '\0');
    }

    void TearDown() override
    {
        ::DeleteFileW(InstallerPath().c_str());
        ::DeleteFileW(InstallerRecordPath().c_str());
    }

    // The version document names the package with `md5` (the package's own digest when empty); the
    // package is served in 4 KiB blocks, with holds where `response` asks for them.
    void Serve(quarntest::HttpResponse response, std::string md5 = {})
    {
        if (md5.empty())
            md5 = Md5Hex(m_package);
        m_server->ServeBytes(kDocumentPath, R"({"version":"9.9.9","md5":")" + md5 + R"(","packurl":")" +
                                               m_server->Url(kPackagePath) + R"("})");
        m_server->Serve(kPackagePath, response);
    }
    quarntest::HttpResponse Package() const { return quarntest::HttpResponse::Bytes(m_package).BlockSize(4096); }

    std::string m_package;
    const std::unique_ptr<quarntest::HttpTestServer> m_server = ServeOnFixedPort();
};

TEST_F(Road, ReadyWindowDownloadsWithItsBarAndStatusLineThenStartsTheInstallerAndEnds)
{
    const auto half = std::make_shared<quarntest::HttpGate>();
    Serve(Package().HoldAt(m_package.size() / 2, half));
    Program program(ProgramPath(L"ie11"));
    ASSERT_TRUE(program.Started());
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);

    // Ready: 600 x 380 without a frame, centred in the work area, the buttons where the layout puts them.
    EXPECT_EQ(ClassOf(window), L"#32770");
    const RECT placed = WindowRect(window);
    const POINT centred = CentredInWorkArea(600, 380);
    EXPECT_EQ(placed.right - placed.left, 600);
    EXPECT_EQ(placed.bottom - placed.top, 380);
    EXPECT_EQ(placed.left, centred.x);
    EXPECT_EQ(placed.top, centred.y);
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 600) << "no frame";
    EXPECT_EQ(client.bottom, 380) << "no caption";
    const struct {
        int id;
        RECT expected;
    } layout[] = {
        {IDC_BTN_CLOSE, {561, 15, 585, 39}},    {IDC_BTN_MINIMIZE, {537, 15, 561, 39}},
        {IDC_BTN_UPDATE, {203, 230, 398, 290}}, {IDC_BTN_EULA, {15, 354, 175, 376}},
        {IDC_BTN_PATH, {495, 354, 575, 376}},
    };
    for (const auto& control : layout) {
        const RECT rc = ChildRect(window, control.id);
        EXPECT_TRUE(::EqualRect(&rc, &control.expected))
            << "control " << control.id << " at " << rc.left << ", " << rc.top << ", " << rc.right << ", " << rc.bottom;
        EXPECT_TRUE(ChildVisible(window, control.id)) << "control " << control.id;
    }
    EXPECT_FALSE(ChildVisible(window, IDC_EDIT_HIDDEN));

    const std::wstring line = kInstallDirLabel + DefaultInstallFolder();
    const Image ready = WaitForInstallDirLine(window, line);
    ready.Save(L"road-1-ready");
    EXPECT_TRUE(InstallDirLineShows(ready, line));
    EXPECT_GT(ready.Count(kInstallDirLine, [](COLORREF c) { return c == kTextColour; }), 20)
        << "the install-folder line in its text colour";
    EXPECT_EQ(ready.Count(kProgressBar, IsTrack), 0) << "no progress bar before the download";

    // Downloading, held at half the package: the fill ends at x = 100 + 400 / 2 on its light grey track,
    // and the status line says what the thread does.
    ClickChild(window, IDC_BTN_UPDATE);
    ASSERT_TRUE(WaitUntil([&] { return half->WaitReached(0); })) << "no download";
    const Image downloading = WaitForPicture(
        window, [](const Image& c) { return FillEnd(c) == 300 && StatusLineShows(c, kDownloading); });
    downloading.Save(L"road-2-downloading");
    EXPECT_EQ(FillEnd(downloading), 300);
    const int mid = (kProgressBar.top + kProgressBar.bottom) / 2;
    EXPECT_EQ(downloading.At(150, mid), kFill) << "the fill's plain part";
    EXPECT_GT(GetRValue(downloading.At(205, mid)), GetRValue(downloading.At(298, mid))) << "the gradient darkens";
    EXPECT_EQ(downloading.Count({302, mid - 2, 498, mid + 2}, IsTrack), 196 * 4) << "the track right of the fill";
    EXPECT_TRUE(StatusLineShows(downloading, kDownloading));
    EXPECT_EQ(downloading.Count({100, 308, 500, 328}, [](COLORREF c) { return c == kTextColour; }), 0)
        << "the install-folder line is gone";
    ExpectOnlyMinimiseAndClose(window, "while downloading");

    // The rest of the package: verified, started with the folder, the window and the program end.
    half->Release();
    const std::optional<std::wstring> record = WaitForRecord(InstallerRecordPath());
    ASSERT_TRUE(record) << "the installer was not started";
    EXPECT_EQ(*record, L" " + InstallerArgument(DefaultInstallFolder()));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(window); })) << "the window stays";
    EXPECT_TRUE(program.WaitForExit()) << "the program goes on";
    EXPECT_TRUE(ReadFileBytes(InstallerPath()) == m_package) << "the verified installer stays in the temporary folder";
    EXPECT_EQ(m_server->RequestCount(kDocumentPath), 1u);
    EXPECT_EQ(m_server->RequestCount(kPackagePath), 1u);
}

TEST_F(Road, ACurrentInstallerIsStartedAtOnceWithoutADownloadOrABar)
{
    Serve(Package());
    ASSERT_TRUE(WriteFileBytes(InstallerPath(), m_package));
    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);

    ClickChild(window, IDC_BTN_UPDATE);
    // Every picture until the window goes: none shows a track.
    int pictures = 0;
    int trackPixels = 0;
    EXPECT_TRUE(WaitUntil([&] {
        if (!::IsWindow(window) || !::IsWindowVisible(window))
            return true;
        const Image bar = CaptureClient(window);
        ++pictures;
        trackPixels += bar.Count(kProgressBar, IsTrack);
        return false;
    })) << "the window stays";
    EXPECT_EQ(trackPixels, 0) << "a progress bar in " << pictures << " pictures";
    const std::optional<std::wstring> record = WaitForRecord(InstallerRecordPath());
    ASSERT_TRUE(record) << "the installer was not started";
    EXPECT_EQ(*record, L" " + InstallerArgument(DefaultInstallFolder()));
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(m_server->RequestCount(kPackagePath), 0u) << "downloaded all the same";
    EXPECT_TRUE(ReadFileBytes(InstallerPath()) == m_package) << "the installer was replaced";
}

TEST_F(Road, AWrongDigestLeavesTheFailureLineAndClosingAsksFirst)
{
    Serve(Package(), "0123456789abcdef0123456789abcdef");
    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);

    ClickChild(window, IDC_BTN_UPDATE);
    EXPECT_TRUE(m_server->WaitForRequests(kPackagePath, 2, kPatience)) << "a second attempt";
    // The failure line shows before the file goes, and the first attempt's line looks like the last's:
    // the file is waited for first, then a picture with the line and the full bar.
    EXPECT_TRUE(WaitUntil([] { return !FileExists(InstallerPath()); })) << "the failed file stays";
    const Image failed = WaitForPicture(
        window, [](const Image& c) { return StatusLineShows(c, kVerificationFailed) && FillEnd(c) == 500; });
    failed.Save(L"road-3-verification-failed");
    EXPECT_TRUE(StatusLineShows(failed, kVerificationFailed));
    // The comparison tells one digit from another.
    const wchar_t otherCode[] = L"\u5b89\u88c5\u6587\u4ef6\u9a8c\u8bc1\u5931\u8d250x10000005\u3002";
    EXPECT_FALSE(StatusLineShows(failed, otherCode));
    EXPECT_EQ(FillEnd(failed), 500) << "the bar stays full";
    ExpectOnlyMinimiseAndClose(window, "after the failure");
    EXPECT_EQ(m_server->RequestCount(kPackagePath), 2u);

    // Dragged by its background, the window follows the mouse.
    const RECT before = WindowRect(window);
    DragBy(window, {30, 200}, {-120, 70});
    EXPECT_TRUE(WaitUntil([&] {
        const RECT now = WindowRect(window);
        return now.left == before.left - 120 && now.top == before.top + 70;
    })) << "the window did not follow the mouse";

    // Closing asks, in a topmost box of 400 x 150 centred in the work area, wherever the window is now;
    // Cancel keeps the window.
    ClickChild(window, IDC_BTN_CLOSE);
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindQuestion(program.Id())) != nullptr; })) << "no question";
    const RECT box = WindowRect(question);
    const POINT centred = CentredInWorkArea(400, 150);
    EXPECT_EQ(box.right - box.left, 400);
    EXPECT_EQ(box.bottom - box.top, 150);
    EXPECT_EQ(box.left, centred.x);
    EXPECT_EQ(box.top, centred.y);
    EXPECT_TRUE(::GetWindowLongPtrW(question, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Painted once its OK button shows its blue face.
    Image asked;
    EXPECT_TRUE(WaitUntil([&] {
        asked = CaptureWindow(question);
        const COLORREF ok = asked.At(230, 128);
        return ok != CLR_INVALID && GetBValue(ok) > 200 && GetRValue(ok) < 120;
    })) << "the question was not painted";
    asked.Save(L"road-4-close-question");
    ClickChild(question, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(question); })) << "Cancel left the question open";
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_TRUE(program.Running());

    // Asked again, OK ends it all; nothing was started.
    ClickChild(window, IDC_BTN_CLOSE);
    ASSERT_TRUE(WaitUntil([&] { return (question = FindQuestion(program.Id())) != nullptr; })) << "no question";
    ClickChild(question, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(window); })) << "OK left the window open";
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_FALSE(FileExists(InstallerRecordPath())) << "an installer was started";
}

TEST_F(Road, WithoutAPackageAddressTheDefaultOneIsTriedTwiceAndItsHttpFailureStaysOnTheLine)
{
    // No "packurl": the download host's /quarn/exe/quarn/quarn_<version>.exe, which this server lacks.
    m_server->ServeBytes(kDocumentPath, R"({"version":"9.9.9","md5":")" + Md5Hex(m_package) + R"("})");
    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);

    ClickChild(window, IDC_BTN_UPDATE);
    EXPECT_TRUE(m_server->WaitForRequests(kPackagePath, 2, kPatience)) << "two attempts at the default address";
    // Waited for before Esc: the file goes after the line shows, and a program ended before its run has
    // finished may leave it.
    EXPECT_TRUE(WaitUntil([] { return !FileExists(InstallerPath()); })) << "the failed transfer left a file";
    // The HTTP client has no texts of its own: the line is the bare code of a status other than 200.
    const wchar_t notOk[] = L"0x10000004\u3002";
    const Image failed = WaitForStatusLine(window, notOk);
    failed.Save(L"road-7-package-missing");
    EXPECT_TRUE(StatusLineShows(failed, notOk));
    ExpectOnlyMinimiseAndClose(window, "after the failed transfers");

    // Esc in the failed state ends at once as well.
    PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_FALSE(FileExists(InstallerRecordPath())) << "an installer was started";
    EXPECT_EQ(m_server->RequestCount(kPackagePath), 2u);
}

TEST_F(Road, CloseAsksDuringADownloadThatGoesOnAfterCancelWhileEscEndsItWithoutAsking)
{
    const auto quarter = std::make_shared<quarntest::HttpGate>();
    const auto threeQuarters = std::make_shared<quarntest::HttpGate>();
    Serve(Package().HoldAt(m_package.size() / 4, quarter).HoldAt(m_package.size() / 4 * 3, threeQuarters));
    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);

    ClickChild(window, IDC_BTN_UPDATE);
    ASSERT_TRUE(WaitUntil([&] { return quarter->WaitReached(0); })) << "no download";
    EXPECT_EQ(FillEnd(WaitForPicture(window, [](const Image& c) { return FillEnd(c) == 200; })), 200);

    ClickChild(window, IDC_BTN_CLOSE);
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindQuestion(program.Id())) != nullptr; })) << "no question";
    ClickChild(question, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(question); }));

    // The transfer goes on: the server sends up to the next hold and the bar follows it.
    quarter->Release();
    EXPECT_TRUE(WaitUntil([&] { return threeQuarters->WaitReached(0); })) << "the transfer stopped";
    const Image moved = WaitForPicture(window, [](const Image& c) { return FillEnd(c) == 400; });
    moved.Save(L"road-5-download-after-cancel");
    EXPECT_EQ(FillEnd(moved), 400);
    EXPECT_TRUE(StatusLineShows(moved, kDownloading));

    // Esc: no question, the window and the program end, and the transfer is dropped.
    PressKey(window, VK_ESCAPE);
    bool asked = false;
    EXPECT_TRUE(WaitUntil([&] {
        asked = asked || FindQuestion(program.Id()) != nullptr;
        return !::IsWindow(window);
    })) << "Esc left the window open";
    EXPECT_FALSE(asked) << "Esc asked first";
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_TRUE(threeQuarters->WaitPeerClosed(kPatience)) << "the connection stays open";
    EXPECT_FALSE(FileExists(InstallerRecordPath())) << "an installer was started";
    EXPECT_EQ(m_server->RequestCount(kPackagePath), 1u);
}

TEST_F(Road, EnterDoesNothingTheAgreementOpensItsPageMinimiseAndRestoreKeepTheLayoutAndEscEnds)
{
    Serve(Package());
    WebPagesRecorded pages;
    ASSERT_TRUE(pages.Applied());
    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);

    // Enter first, then the agreement: the posted key is served before the click, so once the page
    // opens, Enter has been handled.
    PressKey(window, VK_RETURN);
    ClickChild(window, IDC_BTN_EULA);
    const std::optional<std::wstring> opened = WaitForRecord(InstallerRecordPath());
    ASSERT_TRUE(opened) << "no page opened";
    EXPECT_NE(opened->find(L"\"http://" QUARN_WEB_HOST L"/user_agreement.html\""), std::wstring::npos)
        << "opened: " << Utf8(*opened);
    EXPECT_TRUE(::IsWindowVisible(window)) << "Enter or the agreement ended the window";
    EXPECT_TRUE(ChildVisible(window, IDC_BTN_UPDATE));
    EXPECT_EQ(FindQuestion(program.Id()), nullptr);

    ClickChild(window, IDC_BTN_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(window) != FALSE; })) << "not minimised";
    ::ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(WaitUntil([&] { return !::IsIconic(window) && ::IsWindowVisible(window); })) << "not restored";
    const RECT update = ChildRect(window, IDC_BTN_UPDATE);
    const RECT expected = {203, 230, 398, 290};
    EXPECT_TRUE(::EqualRect(&update, &expected)) << "the update button after a restore";
    const std::wstring line = kInstallDirLabel + DefaultInstallFolder();
    EXPECT_TRUE(InstallDirLineShows(WaitForInstallDirLine(window, line), line)) << "after a restore";

    PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(program.WaitForExit()) << "Esc on the ready window";
    EXPECT_EQ(FindQuestion(program.Id()), nullptr);
    EXPECT_EQ(m_server->RequestCount(kPackagePath), 0u);
}

// Without a version document there is nothing to offer: the failure line, minimise and close, and
// closing asks nothing.
TEST(Unavailable, NoDocumentLeavesOnlyTheFailureLineAndCloseEndsWithoutAsking)
{
    const struct {
        const wchar_t* name;
        bool serve;  // a server that knows no document, or none at all
    } cases[] = {
        {L"404", true},
        {L"no-server", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
        std::unique_ptr<quarntest::HttpTestServer> server;
        std::unique_ptr<RefusingPort> refusing;
        if (c.serve) {
            server = ServeOnFixedPort();
            ASSERT_TRUE(server) << "127.0.0.1:47180 stays taken";
        } else {
            refusing = RefuseOnFixedPort();
            ASSERT_TRUE(refusing) << "127.0.0.1:47180 stays taken";
        }
        Program program(ProgramPath(L"ie11"));
        const HWND window = WaitForMainWindow(program);
        ASSERT_TRUE(window);

        const Image shown = WaitForStatusLine(window, kNoInstallInfo);
        shown.Save(std::wstring(L"road-6-unavailable-") + c.name);
        EXPECT_TRUE(StatusLineShows(shown, kNoInstallInfo));
        ExpectOnlyMinimiseAndClose(window, "without a document");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, IDC_BTN_UPDATE)));
        EXPECT_EQ(shown.Count({100, 308, 500, 328}, [](COLORREF c) { return c == kTextColour; }), 0)
            << "an install-folder line";
        EXPECT_EQ(shown.Count(kProgressBar, IsTrack), 0) << "a progress bar";
        if (server) {
            EXPECT_EQ(server->RequestCount(kDocumentPath), 1u);
        }

        ClickChild(window, IDC_BTN_CLOSE);
        bool asked = false;
        EXPECT_TRUE(WaitUntil([&] {
            asked = asked || FindQuestion(program.Id()) != nullptr;
            return !program.Running();
        })) << "close left the program running";
        EXPECT_FALSE(asked) << "close asked first";
    }
}

}  // namespace
