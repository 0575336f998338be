#include "tests/skin/SkinTestSupport.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

void PrintTo(const CRect& rect, std::ostream* os)
{
    *os << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}

namespace quarn_test {

const COLORREF kGridColors[3][3] = {
    {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
    {RGB(255, 255, 0), RGB(255, 0, 255), RGB(0, 255, 255)},
    {RGB(128, 0, 0), RGB(0, 128, 0), RGB(0, 0, 128)},
};
const COLORREF kNormalFill = RGB(200, 200, 200);
const COLORREF kNormalFrame = RGB(120, 120, 120);
const COLORREF kHoverFill = RGB(150, 220, 150);
const COLORREF kPressedFill = RGB(230, 140, 140);
const COLORREF kPressedFrame = RGB(150, 60, 60);
const COLORREF kFocusedFill = RGB(150, 170, 240);
const COLORREF kIconColor = RGB(250, 190, 0);
const COLORREF kDialogBackground = RGB(234, 241, 249);

namespace {

// GDI+ runs for the whole test program, as the application keeps it running for all its windows.
class GdiplusSession : public ::testing::Environment
{
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

const ::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

}  // namespace

Canvas::Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<std::uint32_t*>(bits);
    m_dc.CreateCompatibleDC(nullptr);
    m_oldBitmap = ::SelectObject(m_dc.m_hDC, m_bitmap);
    Fill(fill);
}

Canvas::~Canvas()
{
    ::SelectObject(m_dc.m_hDC, m_oldBitmap);
    ::DeleteObject(m_bitmap);
}

void Canvas::Fill(COLORREF color)
{
    const RECT all = {0, 0, m_width, m_height};
    m_dc.FillSolidRect(&all, color);
    ::GdiFlush();
}

COLORREF Canvas::At(int x, int y) const
{
    ::GdiFlush();
    const std::uint32_t bgrx = m_bits[y * m_width + x];
    return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
}

const std::uint32_t* Canvas::Bits() const
{
    ::GdiFlush();
    return m_bits;
}

int Canvas::Count(COLORREF color) const
{
    int count = 0;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            count += At(x, y) == color;
    }
    return count;
}

std::wstring WriteResourceToTempFile(UINT id, const wchar_t* name)
{
    const HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"PNG");
    const DWORD size = ::SizeofResource(nullptr, resource);
    const void* data = ::LockResource(::LoadResource(nullptr, resource));
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, data, size, &written, nullptr);
    ::CloseHandle(file);
    return path;
}

void CaptureClient(HWND hWnd, Canvas& canvas)
{
    const HDC window = ::GetDC(hWnd);
    ::BitBlt(canvas.hdc(), 0, 0, canvas.width(), canvas.height(), window, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, window);
    ::GdiFlush();
}

void SaveScreenshot(const Canvas& canvas, const wchar_t* name)
{
    // The build folder, as a path on Wine's Z: drive, which maps the Unix root.
    std::wstring folder = L"Z:" QUARN_SCREENSHOT_DIR;
    for (wchar_t& c : folder)
        c = c == L'/' ? L'\\' : c;
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name + L".png";

    // {557CF406-1A04-11D3-9A73-0000F81EF32E}: GDI+'s PNG encoder.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    Gdiplus::Bitmap bitmap(canvas.width(), canvas.height(), canvas.width() * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(canvas.Bits())));
    EXPECT_EQ(bitmap.Save(path.c_str(), &png, nullptr), Gdiplus::Ok) << "screenshot " << name;
}

}  // namespace quarn_test
