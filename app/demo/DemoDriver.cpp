// The demo's eyes and, without a display of the user's, its hands. It waits for the installer window
// of QuarnSetup, saves a PNG of it whenever what it shows changes, and once the window is gone saves
// the demo installer's box. With --click it also presses the update button when the window has shown
// for that many milliseconds (or closes a window that offers no update), and closes the demo
// installer's box after its picture was taken.
//
//     quarn_demo_driver <screenshot folder> [--click <ms>] [--timeout <s>]
//
// Exit code 0 when the demo installer's box appeared, 2 when it did not, 1 on bad arguments.

#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

const wchar_t kInstallerTitle[] = L"Quarn demo installer";
const DWORD kShotInterval = 500;
const DWORD kInstallerWait = 15000;

// The installer window: a dialog with the update and choose-folder buttons.
BOOL CALLBACK FindMainWindow(HWND hWnd, LPARAM lParam)
{
    wchar_t className[16] = {};
    ::GetClassNameW(hWnd, className, 16);
    if (std::wcscmp(className, L"#32770") != 0 || !::GetDlgItem(hWnd, IDC_BTN_UPDATE) ||
        !::GetDlgItem(hWnd, IDC_BTN_PATH))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

HWND MainWindow()
{
    HWND found = nullptr;
    ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool PngEncoder(CLSID* clsid)
{
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0) {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

// What the screen shows where a window is, as it is on the display, overlapping windows included.
class ScreenShot
{
public:
    explicit ScreenShot(HWND hWnd)
    {
        RECT rc = {};
        ::GetWindowRect(hWnd, &rc);
        m_width = rc.right - rc.left;
        m_height = rc.bottom - rc.top;
        if (m_width <= 0 || m_height <= 0)
            return;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_bitmap)
            return;
        const HDC screen = ::GetDC(nullptr);
        const HDC memory = ::CreateCompatibleDC(screen);
        const HGDIOBJ old = ::SelectObject(memory, m_bitmap);
        ::BitBlt(memory, 0, 0, m_width, m_height, screen, rc.left, rc.top, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        m_pixels.assign(pixels, pixels + static_cast<size_t>(m_width) * m_height);
    }
    ~ScreenShot()
    {
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
    }
    ScreenShot(const ScreenShot&) = delete;
    ScreenShot& operator=(const ScreenShot&) = delete;

    const std::vector<std::uint32_t>& Pixels() const { return m_pixels; }

    bool Save(const std::wstring& path, const CLSID& png) const
    {
        if (!m_bitmap)
            return false;
        Gdiplus::Bitmap image(m_bitmap, nullptr);
        return image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }

private:
    HBITMAP m_bitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

class Driver
{
public:
    Driver(std::wstring folder, DWORD clickAfter, DWORD timeout)
        : m_folder(std::move(folder)), m_clickAfter(clickAfter), m_deadline(::GetTickCount() + timeout) {}

    int Run()
    {
        if (!PngEncoder(&m_png)) {
            std::fwprintf(stderr, L"no PNG encoder\n");
            return 2;
        }
        const HWND window = WaitFor([] { return MainWindow(); }, m_deadline);
        if (!window) {
            std::fwprintf(stderr, L"the installer window never showed\n");
            return 2;
        }
        WatchMainWindow(window);
        const HWND box = WaitFor([] { return ::FindWindowW(nullptr, kInstallerTitle); },
                                 std::min(m_deadline, ::GetTickCount() + kInstallerWait));
        if (!box) {
            std::fwprintf(stderr, L"the demo installer did not start\n");
            return 2;
        }
        ::Sleep(kShotInterval);
        Shoot(box, L"installer");
        if (m_clickAfter != INFINITE) {
            ::Sleep(1500);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return 0;
    }

private:
    template <class Find>
    static HWND WaitFor(Find find, DWORD deadline)
    {
        for (;;) {
            const HWND hWnd = find();
            if (hWnd && ::IsWindowVisible(hWnd))
                return hWnd;
            if (static_cast<LONG>(::GetTickCount() - deadline) >= 0)
                return nullptr;
            ::Sleep(100);
        }
    }

    void WatchMainWindow(HWND window)
    {
        const DWORD shown = ::GetTickCount();
        bool acted = false;
        while (::IsWindow(window) && static_cast<LONG>(::GetTickCount() - m_deadline) < 0) {
            ::Sleep(kShotInterval);
            if (::IsWindowVisible(window) && !::IsIconic(window))
                Shoot(window, L"window");
            if (!acted && m_clickAfter != INFINITE && ::GetTickCount() - shown >= m_clickAfter) {
                acted = true;
                const HWND update = ::GetDlgItem(window, IDC_BTN_UPDATE);
                // Without a version document there is nothing to install: close instead.
                if (::IsWindowVisible(update) && ::IsWindowEnabled(update))
                    ::PostMessageW(update, BM_CLICK, 0, 0);
                else
                    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        }
    }

    // Saves what `hWnd` shows as <folder>\NN-<what>.png unless it shows what the last picture showed.
    void Shoot(HWND hWnd, const wchar_t* what)
    {
        const ScreenShot shot(hWnd);
        if (shot.Pixels().empty() || shot.Pixels() == m_last)
            return;
        m_last = shot.Pixels();
        wchar_t name[32] = {};
        std::swprintf(name, 32, L"%02d-%ls.png", ++m_count, what);
        const std::wstring path = m_folder + L"\\" + name;
        if (shot.Save(path, m_png))
            std::wprintf(L"%ls\n", name);
        std::fflush(stdout);
    }

    std::wstring m_folder;
    DWORD m_clickAfter;
    DWORD m_deadline;
    CLSID m_png = {};
    std::vector<std::uint32_t> m_last;
    int m_count = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: quarn_demo_driver <screenshot folder> [--click <ms>] [--timeout <s>]\n");
        return 1;
    }
    DWORD clickAfter = INFINITE;
    DWORD timeout = 300 * 1000;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--click") == 0)
            clickAfter = static_cast<DWORD>(std::wcstoul(argv[i + 1], nullptr, 10));
        else if (std::wcscmp(argv[i], L"--timeout") == 0)
            timeout = static_cast<DWORD>(std::wcstoul(argv[i + 1], nullptr, 10)) * 1000;
        else
            return 1;
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return 2;
    int result = 2;
    {
        Driver driver(argv[1], clickAfter, timeout);
        result = driver.Run();
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}
