// The installer window as a real window against a loopback update server on 127.0.0.1:47180 (the
// update and download host of test builds): its layout, the state without a version document, and the
// download road with its poll timer, including what the timer does while the close question is open.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/UpgradeDlg.h"
#include "framework/Rect.h"
#include "res/resource.h"
#include "services/FileDigest.h"
#include "tests/app/ModalScript.h"
#include "tests/skin/SkinTestSupport.h"
#include "tests/support/HttpTestServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpgradeDownloadThread.h"

namespace {

const char kDocumentPath[] = "/download/instversion.json";
const char kPackagePath[] = "/quarn/exe/quarn/quarn_9.9.9.exe";

using Script = apptest::ModalScript<KqnUpgradeDlg>;
const auto Do = &Script::Do;
using Step = Script::Step;

// Up to 20 s for a script.
INT_PTR RunWindow(const std::vector<Step>& steps)
{
    return Script::Run(steps, 800);
}

Step Until(std::function<bool()> condition)
{
    return [condition](KqnUpgradeDlg&) { return condition(); };
}

HWND Child(const KqnUpgradeDlg& window, int id)
{
    return ::GetDlgItem(window.m_hWnd, id);
}

void Click(const KqnUpgradeDlg& window, int id)
{
    ::PostMessageW(Child(window, id), BM_CLICK, 0, 0);
}

CRect ChildRect(const KqnUpgradeDlg& window, int id)
{
    CRect rc;
    ::GetWindowRect(Child(window, id), &rc);
    window.ScreenToClient(&rc);
    return rc;
}

// The confirmation box, once it shows: a visible dialog of the thread with OK, Cancel and close
// buttons but no update button.
BOOL CALLBACK FindQuestionWindow(HWND hWnd, LPARAM lParam)
{
    if (!::IsWindowVisible(hWnd) || !::GetDlgItem(hWnd, IDOK) || !::GetDlgItem(hWnd, IDC_BTN_CLOSE) ||
        ::GetDlgItem(hWnd, IDC_BTN_UPDATE))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

HWND FindQuestion()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindQuestionWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

Step Answer(int id)
{
    return [id](KqnUpgradeDlg&) {
        const HWND question = FindQuestion();
        if (question)
            ::PostMessageW(::GetDlgItem(question, id), BM_CLICK, 0, 0);
        return question != nullptr;
    };
}

bool IsBlueish(COLORREF c)
{
    return GetBValue(c) > 200 && GetRValue(c) < 160;
}

// The five buttons where the layout puts them in a 600 x 380 client area.
void ExpectLayout(const KqnUpgradeDlg& window, const char* when)
{
    EXPECT_EQ(ChildRect(window, IDC_BTN_CLOSE), CRect(561, 15, 585, 39)) << when;
    EXPECT_EQ(ChildRect(window, IDC_BTN_MINIMIZE), CRect(537, 15, 561, 39)) << when;
    EXPECT_EQ(ChildRect(window, IDC_BTN_UPDATE), CRect(203, 230, 398, 290)) << when;
    EXPECT_EQ(ChildRect(window, IDC_BTN_EULA), CRect(15, 354, 175, 376)) << when;
    EXPECT_EQ(ChildRect(window, IDC_BTN_PATH), CRect(495, 354, 575, 376)) << when;
    EXPECT_FALSE(::IsWindowVisible(Child(window, IDC_EDIT_HIDDEN))) << when;
}

// Whether a point of the window's client area shows `color`, read from the screen.
COLORREF ClientPixel(const KqnUpgradeDlg& window, int x, int y)
{
    POINT p = {x, y};
    window.ClientToScreen(&p);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF color = ::GetPixel(screen, p.x, p.y);
    ::ReleaseDC(nullptr, screen);
    return color;
}

// How many pixels of the status line's rectangle are drawn in the text colour, RGB(46, 154, 242), or
// near it (the edges of the glyphs are blended).
int StatusInk(const KqnUpgradeDlg& window)
{
    quarn_test::Canvas canvas(600, 380, RGB(0, 0, 0));
    quarn_test::CaptureClient(window.m_hWnd, canvas);
    int ink = 0;
    for (int y = 280; y < 308; ++y) {
        for (int x = 100; x < 500; ++x) {
            const COLORREF c = canvas.At(x, y);
            ink += GetRValue(c) < 110 && GetGValue(c) > 120 && GetGValue(c) < 190 && GetBValue(c) > 200;
        }
    }
    return ink;
}

class UpgradeDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Before any worker runs, so that a hold made later sees its calls.
        updatetest::CCallHold::PatchAll();
        ASSERT_TRUE(m_server.IsListening()) << "127.0.0.1:47180 is taken";
        ::DeleteFileW(InstallerPath());
    }
    void TearDown() override { ::DeleteFileW(InstallerPath()); }

    static CString InstallerPath() { return GetTempFolder() + g_szInstallerFileName; }

    static void WriteFileBytes(const CString& path, const std::string& bytes)
    {
        const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }

    // A version document for `body`, which is served at kPackagePath (held halfway at `hold`, if
    // given); `md5` replaces the body's digest when given.
    void ServePackage(const std::string& body, std::shared_ptr<quarntest::HttpGate> hold = nullptr,
                      std::string md5 = {})
    {
        if (md5.empty()) {
            const CString scratch = GetTempFolder() + L"package.bin";
            WriteFileBytes(scratch, body);
            CString digest;
            GetFileMd5(scratch, digest);
            ::DeleteFileW(scratch);
            md5.assign(digest.GetString(), digest.GetString() + digest.GetLength());
        }
        m_server.ServeBytes(kDocumentPath, R"({"version":"9.9.9","md5":")" + md5 + R"(","packurl":")" +
                                               m_server.Url(kPackagePath) + R"("})");
        quarntest::HttpResponse response = quarntest::HttpResponse::Bytes(body).BlockSize(4096);
        if (hold)
            response.HoldAt(body.size() / 2, hold);
        m_server.Serve(kPackagePath, response);
    }

    quarntest::HttpTestServer m_server{47180};
};

TEST_F(UpgradeDlgTest, ReadyWindowIgnoresEnterLaysItsButtonsOutAgainAfterARestoreAndEndsOnEscWithoutAsking)
{
    ServePackage(std::string(1000, 'x'));
    CRect client;
    bool openAfterEnter = false;
    const INT_PTR result = RunWindow({
        Do([&](KqnUpgradeDlg& w) {
            w.GetClientRect(&client);
            ExpectLayout(w, "when shown");
            EXPECT_TRUE(::IsWindowVisible(Child(w, IDC_BTN_UPDATE)));
            EXPECT_TRUE(::IsWindowEnabled(Child(w, IDC_BTN_UPDATE)));
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
        }),
        Do([&](KqnUpgradeDlg& w) {
            openAfterEnter = w.IsWindowVisible() != FALSE;
            Click(w, IDC_BTN_MINIMIZE);
        }),
        [](KqnUpgradeDlg& w) { return ::IsIconic(w.m_hWnd) != FALSE; },
        Do([](KqnUpgradeDlg& w) { w.ShowWindow(SW_RESTORE); }),
        [](KqnUpgradeDlg& w) { return !::IsIconic(w.m_hWnd) && w.IsWindowVisible(); },
        Do([](KqnUpgradeDlg& w) {
            ExpectLayout(w, "after a restore");
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
        }),
    });
    EXPECT_EQ(result, IDCANCEL) << "ended by Esc, without a question (-2: still open)";
    EXPECT_EQ(client, CRect(0, 0, 600, 380));
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(m_server.RequestCount(kDocumentPath), 1u);
}

TEST_F(UpgradeDlgTest, WithoutAVersionDocumentOnlyTheFailureMinimiseAndCloseRemainAndCloseAsksNothing)
{
    const INT_PTR result = RunWindow({
        Do([](KqnUpgradeDlg& w) {
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_UPDATE)));
            EXPECT_FALSE(::IsWindowEnabled(Child(w, IDC_BTN_UPDATE)));
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_PATH)));
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_EULA)));
            EXPECT_TRUE(::IsWindowVisible(Child(w, IDC_BTN_CLOSE)));
            EXPECT_TRUE(::IsWindowVisible(Child(w, IDC_BTN_MINIMIZE)));
            w.RedrawWindow();
            EXPECT_GT(StatusInk(w), 100) << "the failure line";
            EXPECT_NE(ClientPixel(w, 450, 260), RGB(238, 238, 238)) << "no progress track";
            // No poll timer runs: a timer message of another id, 0 included, must not poll the idle
            // thread, whose empty status would replace the failure line.
            w.PostMessage(WM_TIMER, 0);
            w.PostMessage(WM_TIMER, 2);
        }),
        Do([](KqnUpgradeDlg& w) {
            w.RedrawWindow();
            EXPECT_GT(StatusInk(w), 100) << "the failure line after stray timer messages";
            Click(w, IDC_BTN_CLOSE);
        }),
    });
    EXPECT_EQ(result, IDCANCEL) << "-2: still open, or a question";
    EXPECT_EQ(m_server.RequestCount(kDocumentPath), 1u);
}

TEST_F(UpgradeDlgTest, ACurrentInstallerIsStartedAtOnceWithoutADownload)
{
    const std::string body(5000, 'q');
    ServePackage(body);
    WriteFileBytes(InstallerPath(), body);
    const INT_PTR result = RunWindow({Do([](KqnUpgradeDlg& w) { Click(w, IDC_BTN_UPDATE); })});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_server.RequestCount(kPackagePath), 0u);
}

TEST_F(UpgradeDlgTest, TheDownloadGoesOnWhileTheQuestionIsOpenAndAfterCancelAndTheWindowEndsWhenItIsVerified)
{
    const std::string body(256 * 1024, 'd');
    const auto gate = std::make_shared<quarntest::HttpGate>();
    ServePackage(body, gate);
    const INT_PTR result = RunWindow({
        Do([](KqnUpgradeDlg& w) { Click(w, IDC_BTN_UPDATE); }),
        Until([&] { return gate->WaitReached(0); }),
        // Half the bytes are in: the fill reaches x = 300 of the track from 100 to 500.
        [](KqnUpgradeDlg& w) {
            return IsBlueish(ClientPixel(w, 150, 260)) && ClientPixel(w, 450, 260) == RGB(238, 238, 238);
        },
        Do([](KqnUpgradeDlg& w) {
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_UPDATE)));
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_PATH)));
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_EULA)));
            EXPECT_GT(StatusInk(w), 50) << "the thread's status line";
            Click(w, IDC_BTN_CLOSE);
        }),
        Answer(IDCANCEL),
        Until([] { return FindQuestion() == nullptr; }),
        Do([&](KqnUpgradeDlg& w) {
            EXPECT_TRUE(w.IsWindowVisible());
            gate->Release();
        }),
    });
    EXPECT_EQ(result, IDCANCEL) << "-2: the window did not end after the verified download";
    EXPECT_EQ(::GetFileAttributesW(InstallerPath()) != INVALID_FILE_ATTRIBUTES, true) << "the verified file stays";
    EXPECT_EQ(m_server.RequestCount(kPackagePath), 1u);
}

TEST_F(UpgradeDlgTest, TheWindowMayEndUnderTheQuestionAndALaterConfirmationIsHarmless)
{
    const std::string body(128 * 1024, 'e');
    const auto gate = std::make_shared<quarntest::HttpGate>();
    ServePackage(body, gate);
    bool questionOpenAfterEnd = false;
    const INT_PTR result = RunWindow({
        Do([](KqnUpgradeDlg& w) { Click(w, IDC_BTN_UPDATE); }),
        Until([&] { return gate->WaitReached(0); }),
        Do([](KqnUpgradeDlg& w) { Click(w, IDC_BTN_CLOSE); }),
        Until([&] {
            if (!FindQuestion())
                return false;
            gate->Release();
            return true;
        }),
        // The poll sees the verified download and ends the window: it goes out of sight at once.
        [&](KqnUpgradeDlg& w) {
            if (w.IsWindowVisible())
                return false;
            questionOpenAfterEnd = FindQuestion() != nullptr;
            return true;
        },
        Answer(IDOK),
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(questionOpenAfterEnd);
}

TEST_F(UpgradeDlgTest, AFailedVerificationLeavesTheWindowOnItsStatusLineAndClosingThenAsks)
{
    using updatetest::CCallHold;
    ServePackage(std::string(20000, 'f'), nullptr, "0123456789abcdef0123456789abcdef");
    std::unique_ptr<CCallHold> preparing;
    CScopedHandle worker;
    const INT_PTR result = RunWindow({
        Do([&](KqnUpgradeDlg& w) {
            // Only to learn which thread is the download worker.
            preparing = std::make_unique<CCallHold>(CCallHold::kDeleteFile);
            Click(w, IDC_BTN_UPDATE);
        }),
        Until([&] { return preparing->WaitReached(0); }),
        Do([&](KqnUpgradeDlg&) {
            worker.Reset(::OpenThread(SYNCHRONIZE, FALSE, preparing->HeldThread()));
            preparing.reset();
        }),
        // The worker ends only when a poll has seen the run done and stopped it.
        Until([&] { return ::WaitForSingleObject(worker.Get(), 0) == WAIT_OBJECT_0; }),
        Do([&](KqnUpgradeDlg& w) {
            EXPECT_TRUE(w.IsWindowVisible());
            EXPECT_GT(StatusInk(w), 100) << "the failure line";
            EXPECT_FALSE(::IsWindowVisible(Child(w, IDC_BTN_UPDATE))) << "no retry";
            EXPECT_EQ(::GetFileAttributesW(InstallerPath()), INVALID_FILE_ATTRIBUTES) << "the failed file is gone";
            Click(w, IDC_BTN_CLOSE);
        }),
        Answer(IDOK),
    });
    EXPECT_EQ(result, IDCANCEL) << "-2: no question, or the confirmation did not end the window";
    EXPECT_EQ(m_server.RequestCount(kPackagePath), 2u);
}

TEST_F(UpgradeDlgTest, ARunThatEndsBetweenAPollsReadsLeavesItsLastLineAndBarNotTheOnesReadBefore)
{
    using updatetest::CCallHold;
    const auto gate = std::make_shared<quarntest::HttpGate>();
    ServePackage(std::string(64 * 1024, 'g'), gate, "0123456789abcdef0123456789abcdef");
    std::unique_ptr<CCallHold> preparing;
    std::unique_ptr<CCallHold> pollRead;
    std::unique_ptr<CCallHold> runEnded;
    std::thread director;
    std::atomic<bool> interleaved{false};
    DWORD worker = 0;
    int downloadingInk = 0;
    int endInk = 0;
    COLORREF barEnd = CLR_INVALID;
    const INT_PTR result = RunWindow({
        Do([&](KqnUpgradeDlg& w) {
            // Only to learn which thread is the download worker.
            preparing = std::make_unique<CCallHold>(CCallHold::kDeleteFile);
            Click(w, IDC_BTN_UPDATE);
        }),
        Until([&] { return preparing->WaitReached(0); }),
        Do([&](KqnUpgradeDlg&) {
            worker = preparing->HeldThread();
            preparing.reset();
        }),
        Until([&] { return gate->WaitReached(0); }),
        [&](KqnUpgradeDlg& w) { return (downloadingInk = StatusInk(w)) > 50; },
        Do([&](KqnUpgradeDlg&) {
            // The next poll is held once it has read the half-way progress and copied "下载中...", and
            // goes on only when the run has failed both attempts and set its done flag: it then reads
            // the flag set.
            pollRead = std::make_unique<CCallHold>(CCallHold::kReleaseSRWLockShared, 1, CCallHold::kHold,
                                                   ::GetCurrentThreadId());
            runEnded = std::make_unique<CCallHold>(CCallHold::kWaitForMultipleObjects, 1, CCallHold::kHold, worker);
            director = std::thread([&] {
                if (pollRead->WaitReached()) {
                    gate->Release();
                    runEnded->WaitReached();
                }
                runEnded->Release();
                pollRead->Release();
                interleaved = true;
            });
        }),
        Until([&] { return interleaved.load(); }),
        Do([&](KqnUpgradeDlg& w) {
            w.RedrawWindow();
            endInk = StatusInk(w);
            barEnd = ClientPixel(w, 450, 260);
            Click(w, IDC_BTN_CLOSE);
        }),
        Answer(IDOK),
    });
    director.join();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_server.RequestCount(kPackagePath), 2u);
    // "安装文件验证失败0x10000008。" holds far more ink than "下载中...".
    EXPECT_GT(endInk, 2 * downloadingInk) << "the line of the failed run, not the one read before it ended";
    // Both transfers were complete: the bar is full, not at the half read before the run ended.
    EXPECT_TRUE(IsBlueish(barEnd)) << std::hex << barEnd;
}

}  // namespace
