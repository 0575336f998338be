// Winsock before anything that includes windows.h.
#include <winsock2.h>

#include "tests/e2e/E2eSupport.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "res/resource.h"
#include "tests/framework/WindowTestSupport.h"

#ifndef QUARN_E2E_DIR
#error QUARN_E2E_DIR must name the folder that holds the copies of the program
#endif

namespace e2e {

namespace {

// GDI+ for the whole test program: the background picture is decoded with it and screenshots saved.
class GdiplusSession : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

const ::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

// A Unix path of the build as the same path on Wine's Z: drive, which maps the Unix root.
std::wstring FromUnix(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

// One owner for a handle of the kind `Traits` describes: released once, on every path; moved, never
// copied.
template <class Traits>
class Owned
{
public:
    using Value = typename Traits::Value;

    Owned() = default;
    explicit Owned(Value value) : m_value(value) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : m_value(std::exchange(other.m_value, Traits::Null())) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_value = std::exchange(other.m_value, Traits::Null());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Value Get() const { return m_value; }
    explicit operator bool() const { return m_value != Traits::Null(); }
    // For functions that hand a new handle out through a pointer; what was held is released first.
    Value* Receive()
    {
        Reset();
        return &m_value;
    }
    void Reset()
    {
        if (m_value != Traits::Null())
            Traits::Close(m_value);
        m_value = Traits::Null();
    }

private:
    Value m_value = Traits::Null();
};

struct KernelHandleTraits
{
    using Value = HANDLE;
    static HANDLE Null() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using Handle = Owned<KernelHandleTraits>;

// A file opened by CreateFileW, which reports failure as INVALID_HANDLE_VALUE rather than NULL.
Handle OpenedFile(HANDLE file)
{
    return Handle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

struct RegKeyTraits
{
    using Value = HKEY;
    static HKEY Null() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};
using RegKey = Owned<RegKeyTraits>;

struct GdiObjectTraits
{
    using Value = HGDIOBJ;
    static HGDIOBJ Null() { return nullptr; }
    static void Close(HGDIOBJ object) { ::DeleteObject(object); }
};
using GdiObject = Owned<GdiObjectTraits>;

struct ModuleTraits
{
    using Value = HMODULE;
    static HMODULE Null() { return nullptr; }
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};
using Module = Owned<ModuleTraits>;

template <class Interface>
struct ComTraits
{
    using Value = Interface*;
    static Interface* Null() { return nullptr; }
    static void Close(Interface* object) { object->Release(); }
};

struct CryptProviderTraits
{
    using Value = HCRYPTPROV;
    static HCRYPTPROV Null() { return 0; }
    static void Close(HCRYPTPROV provider) { ::CryptReleaseContext(provider, 0); }
};

struct CryptHashTraits
{
    using Value = HCRYPTHASH;
    static HCRYPTHASH Null() { return 0; }
    static void Close(HCRYPTHASH hash) { ::CryptDestroyHash(hash); }
};

// A window's device context for as long as the object lives.
class WindowDC
{
public:
    explicit WindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~WindowDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// A 32-bit top-down DIB selected into a memory context of its own: something GDI draws on and this
// code reads.
class DibSurface
{
public:
    DibSurface(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<std::uint32_t*>(bits);
        m_dc = ::CreateCompatibleDC(nullptr);
        if (m_dc && m_bitmap)
            m_old = ::SelectObject(m_dc, m_bitmap);
    }
    ~DibSurface()
    {
        if (m_dc) {
            if (m_old)
                ::SelectObject(m_dc, m_old);
            ::DeleteDC(m_dc);
        }
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    bool Ok() const { return m_bits && m_old; }
    HDC Dc() const { return m_dc; }

    void Load(const Image& image)
    {
        std::copy_n(image.Data(), static_cast<size_t>(m_width) * m_height, m_bits);
    }
    Image ToImage() const
    {
        ::GdiFlush();
        Image image(m_width, m_height);
        for (size_t i = 0; i < static_cast<size_t>(m_width) * m_height; ++i)
            image.Data()[i] = m_bits[i] & 0x00FFFFFF;
        return image;
    }

private:
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
    std::uint32_t* m_bits = nullptr;
};

class ScopedSelect
{
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~ScopedSelect() { ::SelectObject(m_dc, m_old); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

std::wstring WindowClassOf(HWND hWnd)
{
    wchar_t name[64] = {};
    ::GetClassNameW(hWnd, name, 64);
    return name;
}

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->processId && ::IsWindowVisible(hWnd))
        search->found.push_back(hWnd);
    return TRUE;
}

HWND FindDialog(DWORD processId, const std::function<bool(HWND)>& test)
{
    for (const HWND hWnd : VisibleTopLevelWindows(processId)) {
        if (WindowClassOf(hWnd) == L"#32770" && test(hWnd))
            return hWnd;
    }
    return nullptr;
}

int Distance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

}  // namespace

// --- Files and folders ----------------------------------------------------------------------------

std::wstring ProgramPath(const wchar_t* engine)
{
    return FromUnix(QUARN_E2E_DIR) + L"\\program_" + engine + L"\\QuarnSetup.exe";
}

std::wstring FakeInstallerPath()
{
    return FromUnix(QUARN_E2E_FAKE_INSTALLER);
}

std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH, folder);
    return n > 0 && n < MAX_PATH ? folder : L"";
}

std::wstring InstallerPath()
{
    return TempFolder() + L"quarn_install.exe";
}

std::wstring DefaultInstallFolder()
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        folder[0] = 0;
    return std::wstring(folder) + L"\\QuarnBrowser\\";
}

std::wstring InstallerArgument(std::wstring folder)
{
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    if (folder.find(L' ') != std::wstring::npos)
        folder = L"\"" + folder + L"\"";
    return folder;
}

std::wstring InstallerRecordPath()
{
    return TempFolder() + L"installer-record.txt";
}

bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path)
{
    const Handle file = OpenedFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::string();
    std::string bytes;
    char block[64 * 1024];
    DWORD read = 0;
    while (::ReadFile(file.Get(), block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    const Handle file = OpenedFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string Md5Hex(const std::string& bytes)
{
    Owned<CryptProviderTraits> context;
    Owned<CryptHashTraits> hash;
    BYTE digest[16] = {};
    DWORD size = sizeof digest;
    if (!::CryptAcquireContextW(context.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) ||
        !::CryptCreateHash(context.Get(), CALG_MD5, 0, 0, hash.Receive()) ||
        !::CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                         0) ||
        !::CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &size, 0))
        return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (const BYTE b : digest) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

std::optional<std::wstring> WaitForRecord(const std::wstring& path, DWORD ms)
{
    std::optional<std::wstring> record;
    WaitUntil(
        [&] {
            if (!FileExists(path))
                return false;
            const Handle file = OpenedFile(
                ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            if (!file)
                return false;  // the rename that placed it may still hold it
            std::string bytes;
            char block[4096];
            DWORD read = 0;
            while (::ReadFile(file.Get(), block, sizeof block, &read, nullptr) && read > 0)
                bytes.append(block, read);
            record = std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            return true;
        },
        ms);
    return record;
}

// --- The program as a process ---------------------------------------------------------------------

Program::Program(const std::wstring& exe)
{
    // Inherited by everything the program starts.
    ::SetEnvironmentVariableW(L"QUARN_FAKE_INSTALLER_RECORD", InstallerRecordPath().c_str());
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (::CreateProcessW(exe.c_str(),
                         &commandLine[0],
                         nullptr,          // default process security
                         nullptr,          // default thread security
                         FALSE,            // inherits no handle of the test
                         0,                // no creation flags
                         nullptr,          // this process's environment
                         folder.c_str(),   // its own folder, beside the engine stand-in
                         &startup,
                         &process)) {
        m_process = process.hProcess;
        m_thread = process.hThread;
        m_id = process.dwProcessId;
    }
}

Program::~Program()
{
    Close();
}

Program::Program(Program&& other) noexcept
    : m_process(other.m_process), m_thread(other.m_thread), m_id(other.m_id)
{
    other.m_process = nullptr;
    other.m_thread = nullptr;
    other.m_id = 0;
}

Program& Program::operator=(Program&& other) noexcept
{
    if (this != &other) {
        Close();
        std::swap(m_process, other.m_process);
        std::swap(m_thread, other.m_thread);
        std::swap(m_id, other.m_id);
    }
    return *this;
}

void Program::Close()
{
    if (m_process) {
        if (Running()) {
            ::TerminateProcess(m_process, 99);
            ::WaitForSingleObject(m_process, 5000);
        }
        ::CloseHandle(m_process);
        m_process = nullptr;
    }
    if (m_thread) {
        ::CloseHandle(m_thread);
        m_thread = nullptr;
    }
    m_id = 0;
}

bool Program::Running() const
{
    return m_process && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD ms) const
{
    return m_process && WaitUntil([this] { return !Running(); }, ms);
}

DWORD Program::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_process)
        ::GetExitCodeProcess(m_process, &code);
    return code;
}

// --- Windows of the program -----------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD ms)
{
    return quarn_test::PumpUntil(condition, ms);
}

std::vector<HWND> VisibleTopLevelWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    ::EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMainWindow(DWORD processId)
{
    return FindDialog(processId, [](HWND hWnd) { return ::GetDlgItem(hWnd, IDC_BTN_UPDATE) != nullptr; });
}

HWND FindQuestion(DWORD processId)
{
    return FindDialog(processId, [](HWND hWnd) {
        return ::GetDlgItem(hWnd, IDOK) && ::GetDlgItem(hWnd, IDCANCEL) && ::GetDlgItem(hWnd, IDC_BTN_CLOSE) &&
               !::GetDlgItem(hWnd, IDC_BTN_UPDATE);
    });
}

HWND FindPicker(DWORD processId)
{
    return FindDialog(processId, [](HWND hWnd) { return ::GetDlgItem(hWnd, 0x3741) != nullptr; });
}

HWND FindWindowTitled(DWORD processId, const std::wstring& title)
{
    for (const HWND hWnd : VisibleTopLevelWindows(processId)) {
        if (TextOf(hWnd) == title)
            return hWnd;
    }
    return nullptr;
}

std::string Utf8(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], size, nullptr,
                              nullptr);
    return utf8;
}

std::string DescribeWindows(DWORD processId)
{
    std::string text;
    for (const HWND hWnd : VisibleTopLevelWindows(processId))
        text += Utf8(L"[" + ClassOf(hWnd) + L" \"" + TextOf(hWnd) + L"\"]");
    return text.empty() ? "no visible window" : text;
}

std::wstring ClassOf(HWND hWnd)
{
    return WindowClassOf(hWnd);
}

std::wstring TextOf(HWND hWnd)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                               5000, &copied))
        return std::wstring();
    text.resize(std::min<size_t>(copied, length));
    return text;
}

RECT ChildRect(HWND dialog, int id)
{
    RECT rc = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool ChildVisible(HWND dialog, int id)
{
    const HWND child = ::GetDlgItem(dialog, id);
    return child && ::IsWindowVisible(child);
}

RECT WindowRect(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

// --- Input ----------------------------------------------------------------------------------------

namespace {

INPUT MouseInput(POINT screen, DWORD flags)
{
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = (screen.x * 65536 + w / 2) / w;
    in.mi.dy = (screen.y * 65536 + h / 2) / h;
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    return in;
}

}  // namespace

void ClickAt(POINT screen)
{
    INPUT inputs[] = {
        MouseInput(screen, 0),
        MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
        MouseInput(screen, MOUSEEVENTF_LEFTUP),
        MouseInput({0, 0}, 0),
    };
    ::SendInput(ARRAYSIZE(inputs), inputs, sizeof(INPUT));
}

void ClickChild(HWND dialog, int id)
{
    const HWND child = ::GetDlgItem(dialog, id);
    ASSERT_TRUE(child && ::IsWindowVisible(child)) << "control " << id << " is not there to click";
    ASSERT_TRUE(::IsWindowEnabled(child)) << "control " << id << " is disabled";
    const RECT rc = WindowRect(child);
    ClickAt({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

void DragBy(HWND window, POINT from, POINT by)
{
    const auto send = [](POINT p, DWORD flags) {
        INPUT in = MouseInput(p, flags);
        ::SendInput(1, &in, sizeof in);
    };
    const auto movedBy = [&](const RECT& before, int dx, int dy) {
        const RECT now = WindowRect(window);
        return now.left == before.left + dx && now.top == before.top + dy;
    };
    POINT start = from;
    ::ClientToScreen(window, &start);
    const RECT before = WindowRect(window);
    send(start, 0);
    send(start, MOUSEEVENTF_LEFTDOWN);
    // The system's move loop takes the pointer's position when it starts as the point it drags by:
    // moves sent before it runs would shorten the drag.
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    WaitUntil([&] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE);
    });
    send({start.x + by.x / 2, start.y + by.y / 2}, 0);
    WaitUntil([&] { return movedBy(before, by.x / 2, by.y / 2); });
    send({start.x + by.x, start.y + by.y}, 0);
    WaitUntil([&] { return movedBy(before, by.x, by.y); });
    send({start.x + by.x, start.y + by.y}, MOUSEEVENTF_LEFTUP);
    send({0, 0}, 0);
}

void PressKey(HWND window, UINT vk)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    const HWND target = ::GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : window;
    ::PostMessageW(target, WM_KEYDOWN, vk, 1);
    ::PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

// --- Pixels ---------------------------------------------------------------------------------------

Image::Image(int width, int height, std::uint32_t fill)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, fill)
{
}

COLORREF Image::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    const std::uint32_t rgb = m_pixels[static_cast<size_t>(y) * m_width + x];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int Image::Count(const RECT& area, const std::function<bool(COLORREF)>& test) const
{
    int count = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, m_height); ++y) {
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, m_width); ++x)
            count += test(At(x, y)) ? 1 : 0;
    }
    return count;
}

void Image::Save(const std::wstring& name) const
{
    if (Empty())
        return;
    const std::wstring folder = FromUnix(QUARN_E2E_SCREENSHOT_DIR);
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name + L".png";
    // {557CF406-1A04-11D3-9A73-0000F81EF32E}: GDI+'s PNG encoder.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    Gdiplus::Bitmap bitmap(m_width, m_height, m_width * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(m_pixels.data())));
    EXPECT_EQ(bitmap.Save(path.c_str(), &png, nullptr), Gdiplus::Ok) << "screenshot " << name.c_str();
}

Image CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return Image();
    DibSurface surface(width, height);
    const WindowDC screen(nullptr);
    if (!surface.Ok() || !screen.Get() ||
        !::BitBlt(surface.Dc(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY))
        return Image();
    return surface.ToImage();
}

Image CaptureClient(HWND hWnd)
{
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return CaptureScreen(client);
}

Image CaptureWindow(HWND hWnd)
{
    return CaptureScreen(WindowRect(hWnd));
}

Image WaitForPicture(HWND hWnd, const std::function<bool(const Image&)>& test, DWORD ms)
{
    Image last;
    WaitUntil(
        [&] {
            last = CaptureClient(hWnd);
            return !last.Empty() && test(last);
        },
        ms);
    return last;
}

namespace {

// The program's own background picture (PNG 228 of QuarnSetup.exe), drawn at 600 x 380 as the
// program draws it.
const Image& MainBackground()
{
    static const Image background = [] {
        Image image;
        const Module program(::LoadLibraryExW(ProgramPath(L"ie11").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        const HRSRC resource = program.Get()
                                   ? ::FindResourceW(program.Get(), MAKEINTRESOURCEW(IDB_PNG_BACKGROUND), L"PNG")
                                   : nullptr;
        const DWORD size = resource ? ::SizeofResource(program.Get(), resource) : 0;
        const void* data = size ? ::LockResource(::LoadResource(program.Get(), resource)) : nullptr;
        if (!data)
            return image;
        // The stream owns the copy and frees it when it goes.
        const HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
        if (!copy)
            return image;
        void* target = ::GlobalLock(copy);
        std::copy_n(static_cast<const BYTE*>(data), size, static_cast<BYTE*>(target));
        ::GlobalUnlock(copy);
        Owned<ComTraits<IStream>> stream;
        if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, stream.Receive()))) {
            ::GlobalFree(copy);
            return image;
        }
        const std::unique_ptr<Gdiplus::Bitmap> png(Gdiplus::Bitmap::FromStream(stream.Get()));
        DibSurface surface(600, 380);
        if (!png || png->GetLastStatus() != Gdiplus::Ok || !surface.Ok())
            return image;
        {
            Gdiplus::Graphics graphics(surface.Dc());
            graphics.DrawImage(png.get(), Gdiplus::RectF(0, 0, 600, 380), 0, 0,
                               static_cast<Gdiplus::REAL>(png->GetWidth()),
                               static_cast<Gdiplus::REAL>(png->GetHeight()), Gdiplus::UnitPixel);
        }
        return surface.ToImage();
    }();
    return background;
}

Image RenderText(const Image& background, const RECT& rect, const std::wstring& text, int height, UINT format,
                 COLORREF color)
{
    DibSurface surface(background.Width(), background.Height());
    if (!surface.Ok())
        return Image();
    surface.Load(background);
    const GdiObject font(::CreateFontW(height,
                                       0,                          // width: from the height
                                       0,                          // escapement
                                       0,                          // orientation
                                       FW_NORMAL,
                                       FALSE,                      // italic
                                       FALSE,                      // underline
                                       FALSE,                      // strike-out
                                       DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS,
                                       DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_SWISS,
                                       L"\u5fae\u8f6f\u96c5\u9ed1"));  // 微软雅黑
    {
        const ScopedSelect select(surface.Dc(), font.Get());
        ::SetBkMode(surface.Dc(), TRANSPARENT);
        ::SetTextColor(surface.Dc(), color);
        RECT r = rect;
        ::DrawTextW(surface.Dc(), text.c_str(), static_cast<int>(text.size()), &r, format);
    }
    return surface.ToImage();
}

bool IsInk(COLORREF pixel, COLORREF background)
{
    return Distance(pixel, background) > 60;
}

// How well the ink of a shown picture matches that of an expected one in an area.
struct InkMatch
{
    int expected = 0;   // ink pixels of the expected picture
    int shown = 0;      // ink pixels of the shown picture
    int different = 0;  // pixels that are ink in one and not in the other
    bool Matches() const;
};

bool InkMatch::Matches() const
{
    // Both pictures come from the same font engine on the same background and agree to the pixel; a
    // dot that becomes a comma already differs in six of some four hundred ink pixels.
    return expected > 0 && different * 200 <= expected;
}

std::string Describe(const InkMatch& match)
{
    return "ink expected " + std::to_string(match.expected) + ", shown " + std::to_string(match.shown) +
           ", different " + std::to_string(match.different);
}

InkMatch CompareInk(const Image& shown, const Image& expected, const Image& background, const RECT& area)
{
    InkMatch match;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF back = background.At(x, y);
            const bool e = IsInk(expected.At(x, y), back);
            const bool s = IsInk(shown.At(x, y), back);
            match.expected += e;
            match.shown += s;
            match.different += e != s;
        }
    }
    return match;
}

}  // namespace

const RECT kStatusLine = {100, 280, 500, 308};
const RECT kInstallDirLine = {100, 300, 500, 328};
const RECT kProgressBar = {100, 256, 500, 264};
const COLORREF kTextColour = RGB(46, 154, 242);

namespace {

::testing::AssertionResult LineShows(const Image& client, const RECT& line, int height, UINT format,
                                     const std::wstring& text)
{
    if (MainBackground().Empty() || client.Width() != MainBackground().Width() ||
        client.Height() != MainBackground().Height())
        return ::testing::AssertionFailure() << "no picture of the window, or no background to compare with";
    const Image expected = RenderText(MainBackground(), line, text, height, format, kTextColour);
    const InkMatch match = CompareInk(client, expected, MainBackground(), line);
    return (match.Matches() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << "the line shows \"" << Utf8(text) << "\" " << (match.Matches() ? "" : "not ") << "(" << Describe(match)
           << ")";
}

}  // namespace

::testing::AssertionResult StatusLineShows(const Image& client, const std::wstring& text)
{
    return LineShows(client, kStatusLine, -22, DT_CENTER | DT_VCENTER | DT_EDITCONTROL, text);
}

::testing::AssertionResult InstallDirLineShows(const Image& client, const std::wstring& text)
{
    return LineShows(client, kInstallDirLine, -14, DT_VCENTER | DT_EDITCONTROL | DT_PATH_ELLIPSIS, text);
}

Image WaitForStatusLine(HWND window, const std::wstring& text)
{
    return WaitForPicture(window, [&](const Image& client) { return bool(StatusLineShows(client, text)); });
}

Image WaitForInstallDirLine(HWND window, const std::wstring& text)
{
    return WaitForPicture(window, [&](const Image& client) { return bool(InstallDirLineShows(client, text)); });
}

// --- The installer window -------------------------------------------------------------------------

namespace {

bool ShowsBackgroundAt(const Image& client, int x, int y)
{
    return !IsInk(client.At(x, y), MainBackground().At(x, y));
}

// Painted: the background is on the screen at points where no control or text ever is.
bool Painted(HWND window)
{
    const Image client = CaptureClient(window);
    return client.Width() == 600 && client.Height() == 380 && ShowsBackgroundAt(client, 30, 200) &&
           ShowsBackgroundAt(client, 570, 200) && ShowsBackgroundAt(client, 300, 345) &&
           ShowsBackgroundAt(client, 60, 30);
}

}  // namespace

HWND WaitForMainWindow(const Program& program)
{
    EXPECT_FALSE(MainBackground().Empty()) << "the background picture of " << Utf8(ProgramPath(L"ie11"))
                                           << " could not be read";
    HWND window = nullptr;
    const bool shown =
        WaitUntil([&] { return (window = FindMainWindow(program.Id())) != nullptr && Painted(window); });
    EXPECT_TRUE(shown) << "the installer window did not show; program running: " << program.Running() << ", "
                       << DescribeWindows(program.Id());
    if (!shown && window)
        CaptureClient(window).Save(L"failed-main-window");
    return shown ? window : nullptr;
}

RECT WorkArea()
{
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

POINT CentredInWorkArea(int width, int height)
{
    const RECT work = WorkArea();
    return {work.left + (work.right - work.left) / 2 - width / 2, work.top + (work.bottom - work.top) / 2 - height / 2};
}

// --- Process-wide guards -------------------------------------------------------------------------

RegistryValueOverride::RegistryValueOverride(HKEY root, std::wstring key, std::wstring name, const std::wstring& value)
    : m_root(root), m_key(std::move(key)), m_name(std::move(name))
{
    {
        RegKey opened;
        m_bKeyExisted = ::RegOpenKeyExW(m_root, m_key.c_str(), 0, KEY_READ, opened.Receive()) == ERROR_SUCCESS;
        DWORD size = 0;
        if (m_bKeyExisted &&
            ::RegQueryValueExW(opened.Get(), m_name.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
            m_old.resize(size);
            m_bValueExisted = ::RegQueryValueExW(opened.Get(), m_name.c_str(), nullptr, &m_type,
                                                 m_old.empty() ? nullptr : m_old.data(), &size) == ERROR_SUCCESS;
            m_old.resize(size);
        }
    }
    RegKey created;
    if (::RegCreateKeyExW(m_root, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, created.Receive(),
                          nullptr) != ERROR_SUCCESS)
        return;
    m_bApplied = ::RegSetValueExW(created.Get(), m_name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RegistryValueOverride::~RegistryValueOverride()
{
    if (!m_bKeyExisted) {
        ::RegDeleteTreeW(m_root, m_key.c_str());
        return;
    }
    RegKey opened;
    if (::RegOpenKeyExW(m_root, m_key.c_str(), 0, KEY_SET_VALUE, opened.Receive()) != ERROR_SUCCESS)
        return;
    if (m_bValueExisted)
        ::RegSetValueExW(opened.Get(), m_name.c_str(), 0, m_type, m_old.empty() ? nullptr : m_old.data(),
                         static_cast<DWORD>(m_old.size()));
    else
        ::RegDeleteValueW(opened.Get(), m_name.c_str());
}

// Wine merges no per-user classes into HKEY_CLASSES_ROOT: the machine's handler is the one the shell
// asks.
WebPagesRecorded::WebPagesRecorded()
    : m_http(HKEY_LOCAL_MACHINE, L"Software\\Classes\\http\\shell\\open\\command", L"",
             L"\"" + FakeInstallerPath() + L"\" \"%1\"")
{
}

RefusingPort::RefusingPort(unsigned short port)
{
    WSADATA data;
    m_bWinsock = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!m_bWinsock)
        return;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    // Bound without SO_REUSEADDR and never listening: a connection is refused, and nobody else can
    // bind the port while this holds it.
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(s);
        return;
    }
    m_socket = s;
}

RefusingPort::~RefusingPort()
{
    if (Held())
        ::closesocket(static_cast<SOCKET>(m_socket));
    if (m_bWinsock)
        ::WSACleanup();
}

namespace {

template <class Holder>
std::unique_ptr<Holder> TakeFixedPort(const std::function<bool(const Holder&)>& held)
{
    std::unique_ptr<Holder> holder;
    WaitUntil([&] {
        holder = std::make_unique<Holder>(kFixedPort);
        if (held(*holder))
            return true;
        holder.reset();
        quarn_test::PumpMessages(200);
        return false;
    });
    return holder;
}

}  // namespace

std::unique_ptr<quarntest::HttpTestServer> ServeOnFixedPort()
{
    return TakeFixedPort<quarntest::HttpTestServer>(
        [](const quarntest::HttpTestServer& server) { return server.IsListening(); });
}

std::unique_ptr<RefusingPort> RefuseOnFixedPort()
{
    return TakeFixedPort<RefusingPort>([](const RefusingPort& port) { return port.Held(); });
}

}  // namespace e2e
