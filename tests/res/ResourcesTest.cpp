// The resources of QuarnSetup.exe, linked into this program exactly as the executable links them and
// read back by Windows itself: the pictures through the resource loader and GDI+, the dialog
// templates as bytes and as real windows, the manifest by what the loader made of it, the version
// block through the version API.

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "res/resource.h"

namespace {

const WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// The numbers are what the windows ask for; the names only have to agree with them.
static_assert(IDR_MAINFRAME == 128, "icon id");
static_assert(IDD_UPGRADE_DIALOG == 223 && IDD_MSGBOX_DIALOG == 275, "dialog ids");
static_assert(IDC_EDIT_HIDDEN == 1028 && IDC_BTN_CLOSE == 1029 && IDC_BTN_UPDATE == 1031 &&
                  IDC_BTN_MINIMIZE == 1033 && IDC_BTN_EULA == 1034 && IDC_BTN_PATH == 1035,
              "control ids");
static_assert(IDB_PNG_BACKGROUND == 228 && IDB_PNG_MINIMIZE_HOVER == 257 && IDB_PNG_MINIMIZE == 258 &&
                  IDB_PNG_UPDATE_FOCUSED == 260 && IDB_PNG_UPDATE_HOVER == 261 && IDB_PNG_UPDATE == 262 &&
                  IDB_PNG_UPDATE_PRESSED == 263 && IDB_PNG_MSGBOX_BUTTON_HOVER == 265 &&
                  IDB_PNG_MSGBOX_BUTTON == 266 && IDB_PNG_CLOSE_HOVER == 269 && IDB_PNG_CLOSE == 270 &&
                  IDB_PNG_EULA_HOVER == 273 && IDB_PNG_EULA == 274 && IDB_PNG_MSGBOX == 276 &&
                  IDB_PNG_PATH_HOVER == 277 && IDB_PNG_PATH == 278,
              "picture ids");

// A resource's bytes. Module resources need no release: they live as long as the module.
struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Bytes LoadBytes(LPCWSTR type, LPCWSTR name, WORD language)
{
    HRSRC found = FindResourceExW(nullptr, type, name, language);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded)
        return {};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

DWORD BigEndian32(const BYTE* p)
{
    return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | DWORD(p[3]);
}

// ---------------------------------------------------------------------------------------------------
// Pictures

// How a picture covers the rectangle the program draws it into.
enum class Cover {
    Full,     // a window's whole surface: every pixel opaque, or the back buffer's fill shows through
    Face,     // a button face: transparent rounded corners, opaque in the middle
    Overlay,  // glyphs and link texts over the window: transparent corners, something opaque drawn
};

struct Picture {
    UINT id;
    int width;
    int height;
    Cover cover;
};

const Picture kPictures[] = {
    {228, 600, 380, Cover::Full},     // main window background
    {257, 24, 24, Cover::Overlay},    // minimise, hover
    {258, 24, 24, Cover::Overlay},    // minimise
    {260, 195, 60, Cover::Face},      // update, focused
    {261, 195, 60, Cover::Face},      // update, hover
    {262, 195, 60, Cover::Face},      // update
    {263, 195, 60, Cover::Face},      // update, pressed
    {265, 82, 28, Cover::Face},       // message box button, hover
    {266, 82, 28, Cover::Face},       // message box button
    {269, 24, 24, Cover::Overlay},    // close, hover
    {270, 24, 24, Cover::Overlay},    // close
    {273, 160, 22, Cover::Overlay},   // user agreement, hover
    {274, 160, 22, Cover::Overlay},   // user agreement
    {276, 400, 150, Cover::Full},     // message box background
    {277, 80, 22, Cover::Overlay},    // choose folder, hover
    {278, 80, 22, Cover::Overlay},    // choose folder
};

struct ComRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};

// GDI+ for the whole suite, as the program starts it once for its whole run.
class Pictures : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&s_token, &input, nullptr), Gdiplus::Ok);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_token); }

    // Decodes a picture the way the program does: from a stream over the resource's bytes.
    static std::unique_ptr<Gdiplus::Bitmap> Decode(UINT id)
    {
        const Bytes png = LoadBytes(L"PNG", MAKEINTRESOURCEW(id), kChineseSimplified);
        std::unique_ptr<IStream, ComRelease> stream(SHCreateMemStream(png.data, png.size));
        if (!stream)
            return nullptr;
        std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.get()));
        if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
            return nullptr;
        return bitmap;
    }

    // Every pixel as 0xAARRGGBB, row by row.
    static std::vector<uint32_t> Pixels(Gdiplus::Bitmap& bitmap)
    {
        const int w = static_cast<int>(bitmap.GetWidth());
        const int h = static_cast<int>(bitmap.GetHeight());
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
        Gdiplus::BitmapData data = {};
        data.Width = w;
        data.Height = h;
        data.Stride = w * 4;
        data.PixelFormat = PixelFormat32bppARGB;
        data.Scan0 = pixels.data();
        Gdiplus::Rect all(0, 0, w, h);
        if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                            PixelFormat32bppARGB, &data) != Gdiplus::Ok)
            return {};
        bitmap.UnlockBits(&data);
        return pixels;
    }

    static ULONG_PTR s_token;
};

ULONG_PTR Pictures::s_token = 0;

BYTE Alpha(uint32_t argb) { return static_cast<BYTE>(argb >> 24); }

// Mean brightness of a picture's middle row, where a button face is plain colour and caption.
double MiddleBrightness(const std::vector<uint32_t>& pixels, int width, int height)
{
    double sum = 0;
    for (int x = 0; x < width; ++x) {
        const uint32_t p = pixels[static_cast<size_t>(height / 2) * width + x];
        sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    }
    return sum / (3.0 * width);
}

TEST_F(Pictures, AreRgbaPngsOfTheirSizeInSimplifiedChinese)
{
    static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Picture& picture : kPictures) {
        SCOPED_TRACE(testing::Message() << "PNG " << picture.id);
        const Bytes png = LoadBytes(L"PNG", MAKEINTRESOURCEW(picture.id), kChineseSimplified);
        ASSERT_NE(png.data, nullptr);
        // The program asks without a language; the loader must still find the one there is.
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(picture.id), L"PNG"), nullptr);

        ASSERT_GE(png.size, 33u);  // signature, then the IHDR chunk
        ASSERT_EQ(std::memcmp(png.data, kSignature, sizeof kSignature), 0);
        const BYTE* ihdr = png.data + 8;
        ASSERT_EQ(BigEndian32(ihdr), 13u);
        ASSERT_EQ(std::memcmp(ihdr + 4, "IHDR", 4), 0);
        EXPECT_EQ(BigEndian32(ihdr + 8), static_cast<DWORD>(picture.width));
        EXPECT_EQ(BigEndian32(ihdr + 12), static_cast<DWORD>(picture.height));
        EXPECT_EQ(ihdr[16], 8) << "bit depth";
        EXPECT_EQ(ihdr[17], 6) << "colour type: truecolour with alpha";
        EXPECT_EQ(ihdr[20], 0) << "interlace";
    }
}

TEST_F(Pictures, DecodeWithGdiplusAndCoverAsTheirUseNeeds)
{
    for (const Picture& picture : kPictures) {
        SCOPED_TRACE(testing::Message() << "PNG " << picture.id);
        const std::unique_ptr<Gdiplus::Bitmap> bitmap = Decode(picture.id);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->GetWidth(), static_cast<UINT>(picture.width));
        ASSERT_EQ(bitmap->GetHeight(), static_cast<UINT>(picture.height));
        EXPECT_EQ(bitmap->GetPixelFormat(), PixelFormat32bppARGB);

        const std::vector<uint32_t> pixels = Pixels(*bitmap);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(picture.width) * picture.height);
        const int w = picture.width;
        const int h = picture.height;
        const uint32_t corners[] = {pixels[0], pixels[w - 1], pixels[static_cast<size_t>(h - 1) * w],
                                    pixels[static_cast<size_t>(h) * w - 1]};
        switch (picture.cover) {
        case Cover::Full: {
            size_t seeThrough = 0;
            for (uint32_t p : pixels)
                seeThrough += Alpha(p) != 0xFF;
            EXPECT_EQ(seeThrough, 0u) << "pixels that are not opaque";
            break;
        }
        case Cover::Face:
            for (uint32_t corner : corners)
                EXPECT_EQ(Alpha(corner), 0);
            EXPECT_EQ(Alpha(pixels[static_cast<size_t>(h / 2) * w + w / 2]), 0xFF);
            break;
        case Cover::Overlay: {
            for (uint32_t corner : corners)
                EXPECT_EQ(Alpha(corner), 0);
            BYTE most = 0;
            for (uint32_t p : pixels)
                most = std::max(most, Alpha(p));
            EXPECT_GE(most, 0xE0) << "nothing solid is drawn";
            break;
        }
        }
    }
}

TEST_F(Pictures, EveryIdHasAPictureOfItsOwn)
{
    // Two ids on one file would give a button a state that looks like another.
    for (size_t i = 0; i < std::size(kPictures); ++i) {
        for (size_t j = i + 1; j < std::size(kPictures); ++j) {
            const Bytes a = LoadBytes(L"PNG", MAKEINTRESOURCEW(kPictures[i].id), kChineseSimplified);
            const Bytes b = LoadBytes(L"PNG", MAKEINTRESOURCEW(kPictures[j].id), kChineseSimplified);
            EXPECT_FALSE(a.size == b.size && std::memcmp(a.data, b.data, a.size) == 0)
                << "PNG " << kPictures[i].id << " and PNG " << kPictures[j].id << " are the same picture";
        }
    }
}

TEST_F(Pictures, ButtonFacesLightenUnderTheMouseAndDarkenWhenPressed)
{
    struct States {
        UINT pressed, normal, hover;
    };
    const States faces[] = {
        {263, 262, 261},  // update button
        {266, 266, 265},  // message box buttons: no pressed picture, the normal one serves
    };
    for (const States& s : faces) {
        SCOPED_TRACE(testing::Message() << "PNG " << s.normal);
        double brightness[3] = {};
        const UINT ids[3] = {s.pressed, s.normal, s.hover};
        for (int i = 0; i < 3; ++i) {
            const std::unique_ptr<Gdiplus::Bitmap> bitmap = Decode(ids[i]);
            ASSERT_NE(bitmap, nullptr);
            brightness[i] = MiddleBrightness(Pixels(*bitmap), bitmap->GetWidth(), bitmap->GetHeight());
        }
        if (s.pressed != s.normal) {
            EXPECT_LT(brightness[0], brightness[1]);
        }
        EXPECT_LT(brightness[1], brightness[2]);
    }
}

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using ScopedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;
using ScopedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

TEST(Icon, HoldsAnImageDrawnForEverySizeExplorerAsksFor)
{
    const Bytes group = LoadBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(128), kChineseSimplified);
    ASSERT_NE(group.data, nullptr);
    for (int size : {16, 24, 32, 48, 256}) {
        SCOPED_TRACE(testing::Message() << size << " pixels");
        const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data), TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(id, 0);
        const Bytes image = LoadBytes(RT_ICON, MAKEINTRESOURCEW(id), kChineseSimplified);
        ASSERT_NE(image.data, nullptr);
        // Size 0 keeps the image's own size: the loader's best match must not be a scaled one.
        ScopedIcon icon(CreateIconFromResourceEx(const_cast<BYTE*>(image.data), image.size, TRUE, 0x00030000, 0, 0,
                                                 LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        const ScopedBitmap colour(info.hbmColor);
        const ScopedBitmap mask(info.hbmMask);
        BITMAP bitmap = {};
        ASSERT_NE(GetObjectW(colour.get(), sizeof bitmap, &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        EXPECT_EQ(bitmap.bmBitsPixel, 32);
    }
}

// ---------------------------------------------------------------------------------------------------
// Dialog templates

// One control of an extended dialog template. Class names given as atoms come back as their names.
struct Control {
    DWORD id;
    std::wstring className;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::wstring caption;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring menu, className, title;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring face;
    std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX: WORD-aligned fields, each control starting on a DWORD boundary.
class TemplateReader {
public:
    explicit TemplateReader(Bytes bytes) : m_base(bytes.data), m_at(bytes.data), m_end(bytes.data + bytes.size) {}

    bool Read(DialogTemplate& out)
    {
        if (Word() != 1 || Word() != 0xFFFF)  // version and signature of the extended form
            return false;
        Dword();  // help id
        out.exStyle = Dword();
        out.style = Dword();
        const WORD count = Word();
        Word();  // x
        Word();  // y
        out.cx = static_cast<short>(Word());
        out.cy = static_cast<short>(Word());
        out.menu = SzOrOrd();
        out.className = SzOrOrd();
        out.title = Sz();
        if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
            out.pointSize = Word();
            out.weight = Word();
            out.italic = Byte();
            out.charset = Byte();
            out.face = Sz();
        }
        for (WORD i = 0; i < count && m_ok; ++i) {
            AlignDword();
            Control c;
            Dword();  // help id
            c.exStyle = Dword();
            c.style = Dword();
            c.x = static_cast<short>(Word());
            c.y = static_cast<short>(Word());
            c.cx = static_cast<short>(Word());
            c.cy = static_cast<short>(Word());
            c.id = Dword();
            c.className = SzOrOrd();
            c.caption = SzOrOrd();
            const WORD extra = Word();
            m_at += extra;
            out.controls.push_back(c);
        }
        return m_ok && m_at <= m_end;
    }

private:
    BYTE Byte()
    {
        if (m_at + 1 > m_end) {
            m_ok = false;
            return 0;
        }
        return *m_at++;
    }
    WORD Word()
    {
        const BYTE lo = Byte();
        return static_cast<WORD>(lo | (Byte() << 8));
    }
    DWORD Dword()
    {
        const WORD lo = Word();
        return lo | (DWORD(Word()) << 16);
    }
    void AlignDword() { m_at = m_base + ((m_at - m_base + 3) & ~3); }
    std::wstring Sz()
    {
        std::wstring s;
        for (WORD c = Word(); c != 0 && m_ok; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    // A string, or 0xFFFF and an ordinal: predefined control classes come as atoms.
    std::wstring SzOrOrd()
    {
        if (m_at + 2 <= m_end && m_at[0] == 0xFF && m_at[1] == 0xFF) {
            Word();
            const WORD ordinal = Word();
            switch (ordinal) {
            case 0x80: return L"Button";
            case 0x81: return L"Edit";
            case 0x82: return L"Static";
            default: return L"#" + std::to_wstring(ordinal);
            }
        }
        return Sz();
    }

    const BYTE* m_base;
    const BYTE* m_at;
    const BYTE* m_end;
    bool m_ok = true;
};

struct ExpectedDialog {
    UINT id;
    DWORD style;
    short cx, cy;
    std::vector<Control> controls;
};

const DWORD kChild = WS_CHILD | WS_TABSTOP;
const DWORD kShown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const ExpectedDialog kDialogs[] = {
    {223,
     WS_POPUP | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS,
     316,
     35,
     {
         {1, L"Button", kChild | BS_DEFPUSHBUTTON, 0, 106, 20, 50, 14, L"确定"},
         {2, L"Button", kChild, 0, 45, 20, 50, 14, L"取消"},
         {1028, L"Edit", kShown | ES_AUTOHSCROLL | ES_READONLY, WS_EX_RIGHT, 7, 10, 35, 12, L""},
         {1029, L"Button", kShown | BS_BITMAP, 0, 259, 14, 50, 14, L"关闭更新"},
         {1031, L"Button", kShown, 0, 114, 6, 50, 14, L"更新"},
         {1033, L"Button", kShown, 0, 153, 7, 60, 14, L"最小化"},
         {1034, L"Button", kShown, 0, 190, 14, 50, 14, L"EULA"},
         {1035, L"Button", kShown, 0, 245, 0, 50, 14, L"PATH"},
     }},
    // The box's positions are not part of its contract (the program lays it out); -1 skips them.
    {275,
     WS_POPUP | DS_SHELLFONT,
     316,
     185,
     {
         {1, L"Button", kShown | BS_DEFPUSHBUTTON, 0, -1, -1, -1, -1, L"确定"},
         {2, L"Button", kShown, 0, -1, -1, -1, -1, L"取消"},
         {1029, L"Button", kShown, 0, -1, -1, -1, -1, L"取消"},
     }},
};

TEST(DialogTemplates, MatchTheWindowsThatUseThem)
{
    for (const ExpectedDialog& expected : kDialogs) {
        SCOPED_TRACE(testing::Message() << "dialog " << expected.id);
        const Bytes bytes = LoadBytes(RT_DIALOG, MAKEINTRESOURCEW(expected.id), kChineseSimplified);
        ASSERT_NE(bytes.data, nullptr);
        DialogTemplate t;
        ASSERT_TRUE(TemplateReader(bytes).Read(t));

        EXPECT_EQ(t.style, expected.style);
        EXPECT_EQ(t.exStyle, 0u);
        EXPECT_EQ(t.cx, expected.cx);
        EXPECT_EQ(t.cy, expected.cy);
        EXPECT_EQ(t.menu, L"");
        EXPECT_EQ(t.className, L"");
        EXPECT_EQ(t.title, L"");
        EXPECT_EQ(t.face, L"MS Shell Dlg");
        EXPECT_EQ(t.pointSize, 8);
        EXPECT_EQ(t.weight, 400);
        EXPECT_EQ(t.italic, 0);
        EXPECT_EQ(t.charset, 1);

        ASSERT_EQ(t.controls.size(), expected.controls.size());
        for (size_t i = 0; i < t.controls.size(); ++i) {
            const Control& got = t.controls[i];
            const Control& want = expected.controls[i];
            SCOPED_TRACE(testing::Message() << "control " << i << ", id " << want.id);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.className, want.className);
            EXPECT_EQ(got.style, want.style) << std::hex << got.style;
            EXPECT_EQ(got.exStyle, want.exStyle);
            EXPECT_EQ(got.caption, want.caption);
            if (want.x >= 0) {
                EXPECT_EQ(got.x, want.x);
                EXPECT_EQ(got.y, want.y);
                EXPECT_EQ(got.cx, want.cx);
                EXPECT_EQ(got.cy, want.cy);
            }
        }
    }
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct WindowDestroyer {
    void operator()(HWND hwnd) const { DestroyWindow(hwnd); }
};
using ScopedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

TEST(DialogTemplates, CreateTheirControlsAsRealWindows)
{
    for (const ExpectedDialog& expected : kDialogs) {
        SCOPED_TRACE(testing::Message() << "dialog " << expected.id);
        ScopedWindow dialog(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(expected.id), nullptr,
                                               InertDialogProc, 0));
        ASSERT_NE(dialog, nullptr) << GetLastError();
        const LONG style = GetWindowLongW(dialog.get(), GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_EQ(style & WS_CAPTION, 0) << "no caption, no border: the client area is the whole window";
        EXPECT_EQ(style & WS_THICKFRAME, 0);

        for (const Control& want : expected.controls) {
            SCOPED_TRACE(testing::Message() << "control " << want.id);
            HWND control = GetDlgItem(dialog.get(), static_cast<int>(want.id));
            ASSERT_NE(control, nullptr);
            wchar_t className[32] = {};
            GetClassNameW(control, className, 32);
            EXPECT_EQ(lstrcmpiW(className, want.className.c_str()), 0) << className;
            // The dialog manager adds WS_EX_NOPARENTNOTIFY to every control; the styles stay as given.
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), want.style);
            EXPECT_EQ(GetWindowLongW(control, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, static_cast<LONG>(want.exStyle));
            wchar_t text[32] = {};
            GetWindowTextW(control, text, 32);
            EXPECT_EQ(std::wstring(text), want.caption);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Manifest and version block

TEST(Manifest, AsksForAdministratorCommonControls6AndDpiAwareness)
{
    const Bytes bytes = LoadBytes(RT_MANIFEST, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(bytes.data, nullptr);
    const std::string xml(reinterpret_cast<const char*>(bytes.data), bytes.size);
    const char* fragments[] = {
        R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)",
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        R"(publicKeyToken="6595b64144ccf1df")",
        R"(>true</dpiAware>)",
        R"(<supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>)",  // Vista
        R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",  // 7
        R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",  // 8
        R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // 8.1
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // 10
    };
    for (const char* fragment : fragments)
        EXPECT_NE(xml.find(fragment), std::string::npos) << fragment;
}

TEST(Manifest, IsTakenUpByTheLoader)
{
    // Version 6 of the controls lives side by side with version 5; only a manifest that the loader
    // read and resolved brings it in. (Wine reports every process DPI aware and elevated, so those
    // two requests can only be checked in the manifest's text.)
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(comctl, path, MAX_PATH), 0u);
    CharLowerW(path);
    const std::wstring loaded(path);
    EXPECT_NE(loaded.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos)
        << loaded;
}

class VersionBlock : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        ASSERT_GT(size, 0u);
        m_block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, m_block.data()));
    }

    const void* Query(const std::wstring& what, UINT* length = nullptr)
    {
        void* value = nullptr;
        UINT n = 0;
        if (!VerQueryValueW(m_block.data(), what.c_str(), &value, &n))
            return nullptr;
        if (length)
            *length = n;
        return value;
    }

    std::wstring String(const std::wstring& block, const wchar_t* name)
    {
        const void* value = Query(L"\\StringFileInfo\\" + block + L"\\" + name);
        return value ? static_cast<const wchar_t*>(value) : L"";
    }

    std::vector<BYTE> m_block;
};

TEST_F(VersionBlock, ReadsBackInSimplifiedChineseWithOneVersionThroughout)
{
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);

    const auto* translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], kChineseSimplified);
    EXPECT_EQ(translation[1], 1200) << "Unicode strings";

    // The strings live in the block that the translation names.
    wchar_t block[9] = {};
    swprintf(block, 9, L"%04x%04x", translation[0], translation[1]);
    wchar_t version[32] = {};
    swprintf(version, 32, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(String(block, L"FileVersion"), version);
    EXPECT_EQ(String(block, L"ProductVersion"), version);
    EXPECT_EQ(String(block, L"OriginalFilename"), L"QuarnSetup.exe");
    EXPECT_EQ(String(block, L"ProductName"), L"Quarn浏览器");
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"InternalName", L"LegalCopyright"})
        EXPECT_NE(String(block, name), L"") << name;
}

}  // namespace
