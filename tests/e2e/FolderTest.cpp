// Choosing the install folder in the real program, from outside: its choose-folder button opens the
// shell's folder picker at the proposed folder; the test moves the picker's selection and presses its
// buttons, then reads the install-folder line from the screen and what the started installer was given.

#include <winsock2.h>
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "res/resource.h"
#include "tests/e2e/E2eSupport.h"

namespace {

using namespace e2e;

// 安装目录：
const wchar_t kInstallDirLabel[] = L"\u5b89\u88c5\u76ee\u5f55\uff1a";
// 选择安装目录
const wchar_t kPickerTitle[] = L"\u9009\u62e9\u5b89\u88c5\u76ee\u5f55";
const int kPickerTree = 0x3741;
// Every prefix has it, it holds a blank, and the finder proposes it as the product's recorded folder.
const wchar_t kProposed[] = L"C:\\Program Files\\Common Files";

// Memory in another process: the tree's item messages take pointers, which must point into the
// process that owns the tree.
class RemoteBuffer
{
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : m_process(process),
          m_address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
          m_size(size)
    {
    }
    ~RemoteBuffer()
    {
        if (m_address)
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(RemoteBuffer&& other) noexcept
        : m_process(other.m_process), m_address(std::exchange(other.m_address, nullptr)), m_size(other.m_size)
    {
    }
    RemoteBuffer& operator=(RemoteBuffer&& other) noexcept
    {
        std::swap(m_process, other.m_process);
        std::swap(m_address, other.m_address);
        std::swap(m_size, other.m_size);
        return *this;
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return m_address; }
    bool Write(const void* data, SIZE_T size) const
    {
        SIZE_T written = 0;
        return m_address && size <= m_size && ::WriteProcessMemory(m_process, m_address, data, size, &written) &&
               written == size;
    }
    bool Read(void* data, SIZE_T size) const
    {
        SIZE_T read = 0;
        return m_address && size <= m_size && ::ReadProcessMemory(m_process, m_address, data, size, &read) &&
               read == size;
    }

private:
    HANDLE m_process;  // borrowed
    void* m_address;
    SIZE_T m_size;
};

HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM item = nullptr)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, 5000,
                          &result);
    return reinterpret_cast<HTREEITEM>(result);
}

// The item's text, asked in the tree's own process.
std::wstring ItemText(HANDLE process, HWND tree, HTREEITEM item)
{
    if (!item)
        return std::wstring();
    const int chars = MAX_PATH;
    const RemoteBuffer remote(process, sizeof(TVITEMW) + chars * sizeof(wchar_t));
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(remote.Address()) + sizeof(TVITEMW));
    tv.cchTextMax = chars;
    DWORD_PTR ok = 0;
    if (!remote.Write(&tv, sizeof tv) ||
        !::SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()), SMTO_ABORTIFHUNG,
                               5000, &ok) ||
        !ok || !remote.Read(&tv, sizeof tv))
        return std::wstring();
    // The tree may answer with text of its own elsewhere in its process.
    wchar_t text[chars] = {};
    SIZE_T read = 0;
    ::ReadProcessMemory(process, tv.pszText, text, sizeof text - sizeof(wchar_t), &read);
    return text;
}

BOOL CALLBACK FindStaticText(HWND child, LPARAM lParam)
{
    auto* wanted = reinterpret_cast<std::pair<std::wstring, bool>*>(lParam);
    if (ClassOf(child) == L"Static" && TextOf(child) == wanted->first) {
        wanted->second = true;
        return FALSE;
    }
    return TRUE;
}

bool ShowsText(HWND dialog, const std::wstring& text)
{
    std::pair<std::wstring, bool> wanted(text, false);
    ::EnumChildWindows(dialog, &FindStaticText, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

// Whether the dialog's child shows more than a plain face on the screen: a frame, a caption.
bool Drawn(HWND dialog, int id)
{
    const RECT rc = WindowRect(::GetDlgItem(dialog, id));
    const Image face = CaptureScreen(rc);
    if (face.Empty())
        return false;
    const COLORREF first = face.At(face.Width() / 2, face.Height() / 2);
    return face.Count({0, 0, face.Width(), face.Height()}, [&](COLORREF c) { return c != first; }) > 20;
}

class Folder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server) << "127.0.0.1:47180 stays taken";
        ASSERT_TRUE(m_proposed.Applied());
        ::DeleteFileW(InstallerRecordPath().c_str());
        // A current installer in the temporary folder: the update button starts it at once.
        const std::string installer = ReadFileBytes(FakeInstallerPath());
        ASSERT_FALSE(installer.empty());
        ASSERT_TRUE(WriteFileBytes(InstallerPath(), installer));
        m_server->ServeBytes("/download/instversion.json", R"({"version":"9.9.9","md5":")" + Md5Hex(installer) +
                                                              R"(","packurl":")" + m_server->Url("/quarn.exe") +
                                                              R"("})");
    }
    void TearDown() override
    {
        ::DeleteFileW(InstallerRecordPath().c_str());
        ::DeleteFileW(InstallerPath().c_str());
    }

    // Opens the picker from the window and waits until it has selected the proposed folder. The first
    // picker that Wine shows in a new prefix can come up on the desktop instead, with the proposed
    // folder's drive expanded but nothing selected; a second one selects it. That one retry is allowed.
    HWND OpenPicker(const Program& program, HWND window, HWND* tree)
    {
        for (int attempt = 1;; ++attempt) {
            ClickChild(window, IDC_BTN_PATH);
            HWND picker = nullptr;
            EXPECT_TRUE(WaitUntil([&] { return (picker = FindPicker(program.Id())) != nullptr; }))
                << "no folder picker; " << DescribeWindows(program.Id());
            if (!picker)
                return nullptr;
            *tree = ::GetDlgItem(picker, kPickerTree);
            const auto caret = [&] { return ItemText(program.Process(), *tree, NextItem(*tree, TVGN_CARET)); };
            if (WaitUntil([&] { return caret() == L"Common Files"; }, attempt == 1 ? 5000 : kPatience)) {
                EXPECT_TRUE(ShowsText(picker, kPickerTitle)) << "the picker's title";
                return picker;
            }
            CaptureWindow(picker).Save(L"failed-picker-" + std::to_wstring(attempt));
            if (attempt == 2) {
                ADD_FAILURE() << "the picker did not start at the proposed folder but at \"" << Utf8(caret()) << "\"";
                return nullptr;
            }
            std::printf("the first picker started at \"%s\", not at the proposed folder: trying again\n",
                        Utf8(caret()).c_str());
            ClickChild(picker, IDCANCEL);
            EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
        }
    }

    const std::unique_ptr<quarntest::HttpTestServer> m_server = ServeOnFixedPort();
    // The product's browser records where it lives: the finder proposes that folder, as it holds it.
    RegistryValueOverride m_proposed{HKEY_CURRENT_USER, L"SOFTWARE\\QuarnBrowser", L"DestinationFolder", kProposed};
};

TEST_F(Folder, AProposedFolderThatDoesNotExistYetIsMadeBeforeThePickerOpens)
{
    const std::wstring parent = L"C:\\Quarn Test Not Made";
    const std::wstring proposed = parent + L"\\App";
    ::RemoveDirectoryW(proposed.c_str());
    ::RemoveDirectoryW(parent.c_str());
    const RegistryValueOverride notMade{HKEY_CURRENT_USER, L"SOFTWARE\\QuarnBrowser", L"DestinationFolder",
                                        proposed + L"\\"};
    ASSERT_TRUE(notMade.Applied());

    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);
    EXPECT_FALSE(FileExists(proposed)) << "made before the choose-folder button";
    ClickChild(window, IDC_BTN_PATH);
    HWND picker = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (picker = FindPicker(program.Id())) != nullptr; }))
        << "no folder picker; " << DescribeWindows(program.Id());
    const DWORD attributes = ::GetFileAttributesW(proposed.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "the proposed folder is not there while the picker is open";
    ClickChild(picker, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
    PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(program.WaitForExit());
    ::RemoveDirectoryW(proposed.c_str());
    ::RemoveDirectoryW(parent.c_str());
}

TEST_F(Folder, APickedFolderReplacesTheLineAndIsHandedToTheInstallerWhileCancelChangesNothing)
{
    Program program(ProgramPath(L"ie11"));
    const HWND window = WaitForMainWindow(program);
    ASSERT_TRUE(window);
    const std::wstring proposedLine = std::wstring(kInstallDirLabel) + kProposed;
    const Image proposed = WaitForInstallDirLine(window, proposedLine);
    proposed.Save(L"folder-1-proposed");
    ASSERT_TRUE(InstallDirLineShows(proposed, proposedLine));

    // Cancelled: the line stays as it was.
    HWND tree = nullptr;
    HWND picker = OpenPicker(program, window, &tree);
    ASSERT_TRUE(picker);
    ClickChild(picker, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); })) << "Cancel left the picker open";
    EXPECT_TRUE(InstallDirLineShows(WaitForInstallDirLine(window, proposedLine), proposedLine)) << "after Cancel";

    // Chosen: the parent of the proposed folder, C:\Program Files.
    picker = OpenPicker(program, window, &tree);
    ASSERT_TRUE(picker);
    const HTREEITEM parent = NextItem(tree, TVGN_PARENT, NextItem(tree, TVGN_CARET));
    ASSERT_EQ(ItemText(program.Process(), tree, parent), L"Program Files");
    ::SendMessageTimeoutW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(parent), SMTO_ABORTIFHUNG, 5000,
                          nullptr);
    ASSERT_TRUE(WaitUntil([&] { return NextItem(tree, TVGN_CARET) == parent; }));
    // Its buttons drawn: a picture of the picker as the user sees it.
    WaitUntil([&] { return Drawn(picker, IDOK) && Drawn(picker, IDCANCEL); }, 2000);
    CaptureWindow(picker).Save(L"folder-2-picker");
    ClickChild(picker, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); })) << "OK left the picker open";

    const std::wstring chosenLine = std::wstring(kInstallDirLabel) + L"C:\\Program Files\\";
    const Image chosen = WaitForInstallDirLine(window, chosenLine);
    chosen.Save(L"folder-3-chosen");
    EXPECT_TRUE(InstallDirLineShows(chosen, chosenLine));
    int changed = 0;
    for (int y = kInstallDirLine.top; y < kInstallDirLine.bottom; ++y) {
        for (int x = kInstallDirLine.left; x < kInstallDirLine.right; ++x)
            changed += chosen.At(x, y) != proposed.At(x, y);
    }
    EXPECT_GT(changed, 100) << "the line's pixels did not change";

    // The installer gets the chosen folder without its backslash, quoted for its blank.
    ClickChild(window, IDC_BTN_UPDATE);
    const std::optional<std::wstring> record = WaitForRecord(InstallerRecordPath());
    ASSERT_TRUE(record) << "the installer was not started";
    EXPECT_EQ(*record, L" \"C:\\Program Files\"");
    EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
