#include "discovery/InstallPathFinder.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/RegKey.h"
#include "tests/discovery/RegistryScratch.h"

namespace {

std::wstring FolderPath(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring ProgramFiles()
{
    return FolderPath(CSIDL_PROGRAM_FILES);
}

std::wstring ShortProgramFiles()
{
    wchar_t path[MAX_PATH] = {};
    GetShortPathNameW(ProgramFiles().c_str(), path, MAX_PATH);
    return path;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(towlower(ch));
    return text;
}

// Where the finder falls back to.
std::wstring LocalAppDataPath()
{
    return FolderPath(CSIDL_LOCAL_APPDATA) + L"\\QuarnBrowser\\";
}

// Table texts name the machine's folders by placeholder: $PF$ the Program Files folder, $pf$ the same
// in lower case, $PFS$ and $pfs$ its 8.3 form, $LAD$ the fallback folder.
std::wstring Expand(const wchar_t* text)
{
    std::wstring out = text;
    const std::pair<const wchar_t*, std::wstring> names[] = {
        {L"$PF$", ProgramFiles()},
        {L"$pf$", Lower(ProgramFiles())},
        {L"$PFS$", ShortProgramFiles()},
        {L"$pfs$", Lower(ShortProgramFiles())},
        {L"$LAD$", LocalAppDataPath()},
    };
    for (const auto& name : names) {
        for (size_t at; (at = out.find(name.first)) != std::wstring::npos;)
            out.replace(at, wcslen(name.first), name.second);
    }
    return out;
}

class InstallPathFinderTest : public RegistryScratch
{
protected:
    void SetUp() override
    {
        RegistryScratch::SetUp();
        // The 8.3 rows test something only when the two forms differ (Wine: C:\PROG~FBU).
        ASSERT_FALSE(ProgramFiles().empty());
        ASSERT_NE(ShortProgramFiles(), ProgramFiles());
    }

    // An uninstall entry of the product, which is how the installed-product records give a location.
    void SetMsiLocation(const std::wstring& location)
    {
        const std::wstring key = std::wstring(kUninstallKey) + L"\\QuarnTest-Entry";
        SetText(HKEY_LOCAL_MACHINE, key, kView64, L"DisplayName", L"QuarnPC");
        SetText(HKEY_LOCAL_MACHINE, key, kView64, L"InstallLocation", location);
    }
};

TEST_F(InstallPathFinderTest, WithoutAnyRecordTheLocalApplicationDataFolderIsProposed)
{
    CInstallPathFinder finder;
    const CString result = finder.FindInstallPath();
    EXPECT_EQ(result.str(), LocalAppDataPath());
    EXPECT_EQ(result.Right(1).str(), L"\\");
}

TEST_F(InstallPathFinderTest, CandidatesInPriorityOrder)
{
    // 257 characters with a blank: quoted, too long for the installer's command line.
    const std::wstring unhandable = L"D:\\Quarn " + std::wstring(248, L'u');
    // nullptr: no such value; for the uninstall keys, no key at all.
    const struct
    {
        const char* name;
        const wchar_t* quarnPath;
        const wchar_t* destinationFolder;
        const wchar_t* msiLocation;
        const wchar_t* machineUninstall;
        const wchar_t* userUninstall;
        const wchar_t* expected;
    } cases[] = {
        {"all", L"D:\\Path", L"D:\\Dest\\Application", L"D:\\Msi", L"D:\\Machine", L"D:\\User", L"D:\\Machine"},
        {"no uninstall key", L"D:\\Path", L"D:\\Dest\\Application", L"D:\\Msi", nullptr, nullptr, L"D:\\Dest"},
        {"installed product", L"D:\\Path", nullptr, L"D:\\Msi", nullptr, nullptr, L"D:\\Msi"},
        {"path value only", L"D:\\Path", nullptr, nullptr, nullptr, nullptr, L"D:\\Path"},
        {"per-user uninstall", L"D:\\Path", L"D:\\Dest", nullptr, nullptr, L"D:\\User", L"D:\\User"},
        {"empty machine location shadows the user's", nullptr, L"D:\\Dest", nullptr, L"", L"D:\\User",
         L"D:\\Dest"},
        {"destination cut to nothing", L"D:\\Path", L"Application", nullptr, nullptr, nullptr, L"D:\\Path"},
        {"destination in any case", nullptr, L"D:\\Dest\\aPPLICATION", nullptr, nullptr, nullptr, L"D:\\Dest"},
        {"letter before Application", nullptr, L"D:\\DestXApplication", nullptr, nullptr, nullptr, L"D:\\Dest"},
        {"destination with trailing separator", nullptr, L"D:\\Dest\\Application\\", nullptr, nullptr,
         nullptr, L"D:\\Dest\\Application\\"},
        {"empty values", L"", L"", nullptr, nullptr, nullptr, L"$LAD$"},
        // Only the product's "Path" and the installed-product location are kept out of Program Files.
        {"path under Program Files", L"$PF$\\Quarn", nullptr, nullptr, nullptr, nullptr, L"$LAD$"},
        {"path in lower case", L"$pf$\\quarn", nullptr, nullptr, nullptr, nullptr, L"$LAD$"},
        {"path in 8.3 form", L"$PFS$\\Quarn", nullptr, nullptr, nullptr, nullptr, L"$LAD$"},
        {"msi location in 8.3 form, lower case", nullptr, nullptr, L"$pfs$\\quarn", nullptr, nullptr, L"$LAD$"},
        {"sibling (x86)", L"$PF$ (x86)\\Quarn", nullptr, nullptr, nullptr, nullptr, L"$LAD$"},
        {"sibling Extra", L"$PF$ Extra\\Quarn", nullptr, nullptr, nullptr, nullptr, L"$LAD$"},
        {"Program Files itself", L"$PF$", nullptr, nullptr, nullptr, nullptr, L"$LAD$"},
        {"outside Program Files", L"D:\\Program Files\\Quarn", nullptr, nullptr, nullptr, nullptr,
         L"D:\\Program Files\\Quarn"},
        // The replaced installed-product location still outranks the product's "Path".
        {"msi under Program Files", L"D:\\Path", nullptr, L"$PF$\\Quarn", nullptr, nullptr, L"$LAD$"},
        {"destination may be there", L"D:\\Path", L"$PF$\\Quarn\\Application", nullptr, nullptr, nullptr,
         L"$PF$\\Quarn"},
        {"uninstall location may be there", nullptr, nullptr, nullptr, L"$PF$\\Quarn", nullptr,
         L"$PF$\\Quarn"},
        {"a location the installer cannot be given counts as none", nullptr, L"D:\\Dest", nullptr,
         unhandable.c_str(), nullptr, L"D:\\Dest"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.quarnPath)
            SetText(HKEY_CURRENT_USER, kQuarnKey, kViewOwn, L"Path", Expand(c.quarnPath));
        if (c.destinationFolder)
            SetText(HKEY_CURRENT_USER, kBrowserKey, kViewOwn, L"DestinationFolder", Expand(c.destinationFolder));
        if (c.msiLocation)
            SetMsiLocation(Expand(c.msiLocation));
        if (c.machineUninstall)
            SetText(HKEY_LOCAL_MACHINE, kBrowserUninstallKey, kView64, L"InstallLocation",
                    Expand(c.machineUninstall));
        if (c.userUninstall)
            SetText(HKEY_CURRENT_USER, kBrowserUninstallKey, kView64, L"InstallLocation",
                    Expand(c.userUninstall));

        CInstallPathFinder finder;
        EXPECT_EQ(Narrow(finder.FindInstallPath().str()), Narrow(Expand(c.expected)));
        RemoveCreatedKeys();
    }
}

TEST_F(InstallPathFinderTest, PathValueMustFitItsBuffer)
{
    const std::wstring fits = L"D:\\" + std::wstring(252, L'p');     // 255 characters
    const std::wstring tooLong = L"D:\\" + std::wstring(253, L'p');  // 256
    // Stored as 512 bytes without a terminator: the character after them must not be a NUL, or the
    // registry would add the terminator itself.
    const std::wstring unterminated = tooLong + L"p";
    const struct
    {
        const char* name;
        const std::wstring& text;
        DWORD bytes;
        std::wstring expected;
    } cases[] = {
        {"255 characters", fits, 512, fits},
        {"256 characters", tooLong, 514, LocalAppDataPath()},
        {"256 characters, no terminator", unterminated, 512, LocalAppDataPath()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetData(HKEY_CURRENT_USER, kQuarnKey, kViewOwn, L"Path", REG_SZ, c.text.c_str(), c.bytes);
        CInstallPathFinder finder;
        EXPECT_EQ(Narrow(finder.FindInstallPath().str()), Narrow(c.expected));
        RemoveCreatedKeys();
    }
}

TEST_F(InstallPathFinderTest, PathSubKeyIsDeletedAndPathValueKept)
{
    const std::wstring subKey = std::wstring(kQuarnKey) + L"\\Path";
    SetText(HKEY_CURRENT_USER, kQuarnKey, kViewOwn, L"Path", L"D:\\Quarn");
    SetText(HKEY_CURRENT_USER, subKey, kViewOwn, L"Old", L"D:\\Old");
    SetText(HKEY_CURRENT_USER, subKey + L"\\Below", kViewOwn, L"Older", L"D:\\Older");
    SetText(HKEY_CURRENT_USER, std::wstring(kQuarnKey) + L"\\Other", kViewOwn, L"Kept", L"yes");

    CInstallPathFinder finder;
    EXPECT_EQ(finder.FindInstallPath().str(), L"D:\\Quarn");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, subKey, kViewOwn));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kQuarnKey) + L"\\Other", kViewOwn));

    // The value is read again by a second run, which also copes with the subkey already gone.
    CInstallPathFinder again;
    EXPECT_EQ(again.FindInstallPath().str(), L"D:\\Quarn");
}

TEST_F(InstallPathFinderTest, MachineUninstallKeyComesFirstWheneverItExists)
{
    const std::wstring fits = L"D:\\" + std::wstring(256, L'u');     // 259 characters
    const std::wstring tooLong = L"D:\\" + std::wstring(257, L'u');  // 260
    const struct
    {
        const char* name;
        const wchar_t* machine;  // nullptr: no key; L"-": key without the value
        const wchar_t* user;
        std::vector<std::wstring> expected;
    } cases[] = {
        {"neither", nullptr, nullptr, {}},
        {"user only", nullptr, L"D:\\User", {L"D:\\User"}},
        {"machine only", L"D:\\Machine", nullptr, {L"D:\\Machine"}},
        {"both", L"D:\\Machine", L"D:\\User", {L"D:\\Machine", L"D:\\User"}},
        {"machine key without value", L"-", L"D:\\User", {L"", L"D:\\User"}},
        {"user key without value", nullptr, L"-", {L""}},
        {"machine location of 259 characters", fits.c_str(), nullptr, {fits}},
        {"machine location of 260 characters", tooLong.c_str(), L"D:\\User", {L"", L"D:\\User"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : {std::make_pair(HKEY_LOCAL_MACHINE, c.machine),
                                  std::make_pair(HKEY_CURRENT_USER, c.user)}) {
            if (!entry.second)
                continue;
            if (std::wstring(entry.second) == L"-")
                SetText(entry.first, kBrowserUninstallKey, kView64, L"DisplayVersion", L"1.0");
            else
                SetText(entry.first, kBrowserUninstallKey, kView64, L"InstallLocation", entry.second);
        }
        std::vector<CString> locations = {L"stale"};
        CollectUninstallLocations(locations);
        std::vector<std::wstring> texts;
        for (const CString& location : locations)
            texts.push_back(location.str());
        EXPECT_EQ(texts, c.expected);
        EXPECT_EQ(FrontOrEmpty(locations).str(), c.expected.empty() ? L"" : c.expected.front());
        RemoveCreatedKeys();
    }

    // Without the key the caller's buffer is left as it was.
    DiscoveryBuffer text = L"untouched";
    EXPECT_FALSE(ReadUninstallValue(text, HKEY_LOCAL_MACHINE, L"InstallLocation"));
    EXPECT_STREQ(text, L"untouched");
}

TEST(StripApplicationSuffix, CutsTheSuffixAndTheCharacterBeforeIt)
{
    const struct
    {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"D:\\Tobrin\\Application", L"D:\\Tobrin"},
        {L"D:\\Tobrin\\APPLICATION", L"D:\\Tobrin"},
        {L"D:\\Tobrin/application", L"D:\\Tobrin"},
        {L"D:\\TobrinXApplication", L"D:\\Tobrin"},
        {L"xApplication", L""},
        {L"Application", L""},
        {L"aPPLICATION", L""},
        {L"pplication", L"pplication"},
        {L"D:\\Tobrin\\Application\\", L"D:\\Tobrin\\Application\\"},
        {L"D:\\Tobrin\\Applications", L"D:\\Tobrin\\Applications"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        CString path = c.path;
        StripApplicationSuffix(path);
        EXPECT_EQ(path.str(), c.expected) << Narrow(c.path);
    }
}

TEST(GetShortPathOrSelf, GivesTheShortFormOrThePathItself)
{
    const std::wstring programFiles = ProgramFiles();
    const CString shortForm = GetShortPathOrSelf(programFiles.c_str());
    wchar_t longForm[MAX_PATH] = {};
    GetLongPathNameW(shortForm, longForm, MAX_PATH);
    EXPECT_EQ(Lower(longForm), Lower(programFiles));
    EXPECT_EQ(shortForm.str(), ShortProgramFiles());

    // A folder that cannot be shortened stands for itself, not for "no folder".
    for (const wchar_t* path : {L"C:\\No Such Folder\\Anywhere", L""})
        EXPECT_EQ(GetShortPathOrSelf(path).str(), path);
}

TEST(GetSpecialFolderPath, FoldersWithoutAFileSystemPathGiveTheEmptyText)
{
    EXPECT_TRUE(GetSpecialFolderPath(0x7F).IsEmpty());            // no such folder
    EXPECT_TRUE(GetSpecialFolderPath(CSIDL_DRIVES).IsEmpty());    // a virtual folder
    EXPECT_FALSE(GetSpecialFolderPath(CSIDL_WINDOWS).IsEmpty());
}

}  // namespace
