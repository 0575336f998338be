#pragma once
// Helpers of the end-to-end tests: QuarnSetup.exe runs as a separate process beside a browser-engine
// stand-in, and the tests find its windows, press its buttons with real mouse input and read what it
// shows from the screen. Nothing here reaches into the program: every observation is one another
// process could make.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/HttpTestServer.h"

namespace e2e {

// Generous bound for anything the program does on its own (start, fetch, paint, end).
constexpr DWORD kPatience = 20000;

// The update and download host of test builds: 127.0.0.1 at this port.
constexpr unsigned short kFixedPort = 47180;

// --- Files and folders ----------------------------------------------------------------------------

// QuarnSetup.exe in the folder of the given browser-engine stand-in: "ie11" lets it start, "ie7" makes
// it refuse.
std::wstring ProgramPath(const wchar_t* engine);
// The installer stand-in: records its command line (see tests/support/FakeInstaller.cpp).
std::wstring FakeInstallerPath();
// This process's temporary folder, with its trailing backslash; the program inherits it.
std::wstring TempFolder();
// The program's download target in that folder.
std::wstring InstallerPath();
// The folder the program proposes when no product is recorded anywhere: local application data
// followed by "\QuarnBrowser\".
std::wstring DefaultInstallFolder();
// The argument the installer gets for `folder`: one trailing separator dropped, quoted when it holds
// a blank.
std::wstring InstallerArgument(std::wstring folder);
// Where the installer stand-in writes its record in these tests.
std::wstring InstallerRecordPath();

bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Lower-case hexadecimal MD5 of `bytes`, computed here with CryptoAPI.
std::string Md5Hex(const std::string& bytes);
// The installer stand-in's record once it can be read (it appears by a rename that may briefly hold
// it), or nothing after `ms`.
std::optional<std::wstring> WaitForRecord(const std::wstring& path, DWORD ms = kPatience);

// --- The program as a process ---------------------------------------------------------------------

// QuarnSetup.exe started from its own folder. Wine reads the engine stand-in beside it only under
// WINEDLLOVERRIDES=mshtml=n, which it takes from the Unix environment: the test's own. A program still
// running when the object goes is ended, so no test leaves one behind (it would hold the
// single-instance name for the next).
class Program
{
public:
    explicit Program(const std::wstring& exe);
    ~Program();
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    // Borrowed: for reading and writing the program's memory (the picker's tree items).
    HANDLE Process() const { return m_process; }
    bool Running() const;
    // Waits (serving this thread's messages) until the process has ended.
    bool WaitForExit(DWORD ms = kPatience) const;
    DWORD ExitCode() const;

private:
    void Close();

    HANDLE m_process = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_id = 0;
};

// --- Windows of the program -----------------------------------------------------------------------

// Serves this thread's messages until `condition` holds or `ms` passed; the last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = kPatience);

std::vector<HWND> VisibleTopLevelWindows(DWORD processId);
// The installer window: a visible dialog of the process with the update button among its children.
HWND FindMainWindow(DWORD processId);
// The close confirmation: a visible dialog of the process with OK, Cancel and close buttons but no
// update button.
HWND FindQuestion(DWORD processId);
// The shell's folder picker: a visible dialog of the process with the picker's tree.
HWND FindPicker(DWORD processId);
// A visible top-level window of the process titled `title`.
HWND FindWindowTitled(DWORD processId, const std::wstring& title);

// Text for failure messages.
std::string Utf8(const std::wstring& text);
// The process's visible top-level windows, class and title, for failure messages.
std::string DescribeWindows(DWORD processId);

std::wstring ClassOf(HWND hWnd);
// The window's text, asked with WM_GETTEXT (also across processes).
std::wstring TextOf(HWND hWnd);
// A child's rectangle in its dialog's client coordinates.
RECT ChildRect(HWND dialog, int id);
bool ChildVisible(HWND dialog, int id);
RECT WindowRect(HWND hWnd);

// The installer window once it shows and has painted its background; nothing (and a failure) when it
// does not within the patience.
HWND WaitForMainWindow(const Program& program);

// The work area, and where a window of this size lies when it is centred in it.
RECT WorkArea();
POINT CentredInWorkArea(int width, int height);

// --- Input ----------------------------------------------------------------------------------------

// A left click with real mouse input at a point of the screen; the pointer is then parked in the
// screen's top-left corner, away from every window, so that no button stays in its hover picture.
void ClickAt(POINT screen);
// A left click at the centre of the dialog's child `id`, which must be visible and enabled.
void ClickChild(HWND dialog, int id);
// Drags the window with the mouse from a point of its client area by `by`: press, moves, release.
void DragBy(HWND window, POINT from, POINT by);
// A key press as the dialog manager sees it: posted to the window that has the focus in `window`'s
// thread (the window itself when nothing has).
void PressKey(HWND window, UINT vk);

// --- Pixels ---------------------------------------------------------------------------------------

// A picture: 0x00RRGGBB per pixel, top row first.
class Image
{
public:
    Image() = default;
    Image(int width, int height, std::uint32_t fill = 0);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return m_pixels.empty(); }
    bool operator==(const Image& other) const
    {
        return m_width == other.m_width && m_height == other.m_height && m_pixels == other.m_pixels;
    }
    // CLR_INVALID outside the picture.
    COLORREF At(int x, int y) const;
    std::uint32_t* Data() { return m_pixels.data(); }
    const std::uint32_t* Data() const { return m_pixels.data(); }
    // How many pixels of `area` satisfy `test`.
    int Count(const RECT& area, const std::function<bool(COLORREF)>& test) const;
    // Written as <build>/screenshots/e2e/<name>.png.
    void Save(const std::wstring& name) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

// What the screen shows in `area` (screen coordinates), windows of every process included.
Image CaptureScreen(const RECT& area);
// What the screen shows where the window's client area is.
Image CaptureClient(HWND hWnd);
// What the screen shows where the window is.
Image CaptureWindow(HWND hWnd);
// Captures the window's client area until `test` holds for it or `ms` passed; the last picture.
Image WaitForPicture(HWND hWnd, const std::function<bool(const Image&)>& test, DWORD ms = kPatience);

// The main window's text lines and progress bar, in client coordinates, and the colour of its text.
extern const RECT kStatusLine;
extern const RECT kInstallDirLine;
extern const RECT kProgressBar;
extern const COLORREF kTextColour;

// Whether a picture of the main window's client area shows `text` on its status line (or its
// install-folder line), drawn as the program draws it: the picture's ink, all that differs from the
// program's own background picture, against the ink of `text` rendered here with the same font, format
// and colour on that background.
::testing::AssertionResult StatusLineShows(const Image& client, const std::wstring& text);
::testing::AssertionResult InstallDirLineShows(const Image& client, const std::wstring& text);
// Captures the window until its line shows `text`, or the patience ran out; the last picture.
Image WaitForStatusLine(HWND window, const std::wstring& text);
Image WaitForInstallDirLine(HWND window, const std::wstring& text);

// --- Process-wide guards -------------------------------------------------------------------------

// Sets a registry value for the lifetime of the object and puts back what was there (or removes
// what was not).
class RegistryValueOverride
{
public:
    RegistryValueOverride(HKEY root, std::wstring key, std::wstring name, const std::wstring& value);
    ~RegistryValueOverride();
    RegistryValueOverride(const RegistryValueOverride&) = delete;
    RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

    bool Applied() const { return m_bApplied; }

private:
    HKEY m_root;
    std::wstring m_key;
    std::wstring m_name;
    bool m_bApplied = false;
    bool m_bKeyExisted = false;
    bool m_bValueExisted = false;
    DWORD m_type = 0;
    std::vector<BYTE> m_old;
};

// Web pages the program opens go to the installer stand-in instead of Wine's browser launcher, so
// that nothing leaves the machine and the test can read the address that was opened.
class WebPagesRecorded
{
public:
    WebPagesRecorded();
    bool Applied() const { return m_http.Applied(); }

private:
    RegistryValueOverride m_http;
};

// 127.0.0.1:47180 taken by a socket that never listens: whoever connects is refused at once, and no
// other program can serve there meanwhile.
class RefusingPort
{
public:
    explicit RefusingPort(unsigned short port);
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    bool Held() const { return m_socket != ~static_cast<std::uintptr_t>(0); }

private:
    bool m_bWinsock = false;
    std::uintptr_t m_socket = ~static_cast<std::uintptr_t>(0);
};

// The loopback server, or the refusing socket, on the fixed port. Tests of other build folders on the
// machine use the port too: these wait up to the patience for it, and give nothing when it stays taken.
std::unique_ptr<quarntest::HttpTestServer> ServeOnFixedPort();
std::unique_ptr<RefusingPort> RefuseOnFixedPort();

}  // namespace e2e
