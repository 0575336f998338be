#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "services/Folders.h"
#include "services/Process.h"
#include "services/TextConvert.h"
#include "tests/services/TestFiles.h"

namespace {

// The helper program records the command line it was started with in cmdline.txt of the temporary folder
// it shares with this test.
std::wstring WaitForRecordedCommandLine()
{
    const CString recorded = TempPath(L"cmdline.txt");
    // Under Wine the renamed file can still refuse to open for a moment after it appears; every record
    // holds at least the blank, so an empty read means "not yet".
    std::string bytes;
    for (int waited = 0; waited < 10000 && bytes.empty(); waited += 10) {
        if (FileExists(recorded))
            bytes = ReadBytes(recorded);
        if (bytes.empty())
            Sleep(10);
    }
    DeleteFileW(recorded);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool IsFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(RunProgram, GivesTheProgramOneBlankAndTheArgumentTextUnchanged)
{
    const CString helper = BesideTest(L"services_versioned_helper.exe");
    const std::wstring arguments[] = {
        L"",
        L"\"C:\\Program Files\\Quarn App\"",
        L"D:\\Apps\\Tool",
        L"\"D:\\\u4e2d\u6587 \u76ee\u5f55\"",
        std::wstring(258, L'x'),
    };
    DeleteFileW(TempPath(L"cmdline.txt"));
    for (const std::wstring& argument : arguments) {
        ASSERT_TRUE(RunProgram(helper, argument.c_str())) << argument.size() << " characters";
        EXPECT_EQ(WaitForRecordedCommandLine(), L" " + argument);
    }
}

TEST(RunProgram, RefusesWhatItCannotStart)
{
    const CString helper = BesideTest(L"services_versioned_helper.exe");
    // 259 characters do not fit beside the blank and the terminator: refused, not cut.
    EXPECT_FALSE(RunProgram(helper, std::wstring(259, L'x').c_str()));
    EXPECT_FALSE(RunProgram(TempPath(L"no-such-program.exe"), L"x"));
    Sleep(200);
    EXPECT_FALSE(FileExists(TempPath(L"cmdline.txt")));
}

TEST(AppDataFolder, IsTheShortLocalAppDataFolderWithQuarnAndCreatedOnce)
{
    const CString local = GetLocalAppDataShortPath();
    ASSERT_FALSE(local.IsEmpty());
    EXPECT_TRUE(IsFolder(local));
    EXPECT_NE(local.Right(1), L"\\");
    const bool existed = IsFolder(local + L"\\quarn");

    const CString first = CreateAppDataFolder();
    const CString second = CreateAppDataFolder();
    EXPECT_EQ(first, local + L"\\quarn");
    EXPECT_EQ(second, first);
    EXPECT_TRUE(IsFolder(first));
    if (!existed)
        RemoveDirectoryW(first);
}

TEST(MakeSurePathExists, CreatesTheFoldersUpToTheLastBackslash)
{
    const CString root = TempPath(L"mkpath");
    struct Case {
        CString path;
        BOOL result;
        CString created;     // must exist afterwards (empty: nothing to check)
        CString notCreated;  // must not exist afterwards
    };
    const Case cases[] = {
        {root + L"\\a\\b\\c\\", TRUE, root + L"\\a\\b\\c", L""},
        {root + L"\\d\\e\\f", TRUE, root + L"\\d\\e", root + L"\\d\\e\\f"},
        {root + L"\\a\\b\\c\\", TRUE, root + L"\\a\\b\\c", L""},  // already there
        {root + L"\\long\\" + CString(L'y', 300) + L"\\", FALSE, L"", root + L"\\long"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeSurePathExists(c.path), c.result) << c.path.GetString();
        if (!c.created.IsEmpty()) {
            EXPECT_TRUE(IsFolder(c.created)) << c.created.GetString();
        }
        if (!c.notCreated.IsEmpty()) {
            EXPECT_FALSE(FileExists(c.notCreated)) << c.notCreated.GetString();
        }
    }
    for (const wchar_t* folder : {L"\\a\\b\\c", L"\\a\\b", L"\\a", L"\\d\\e", L"\\d", L""})
        RemoveDirectoryW(root + folder);
}

TEST(Utf8ToCString, ConvertsUpToTheFirstNul)
{
    const struct {
        std::string utf8;
        std::wstring wide;
    } cases[] = {
        {"", L""},
        {"version", L"version"},
        {std::string("ab\0cd", 5), L"ab"},
        {"\xe6\x97\xa0\xe6\xb3\x95\xe8\xaf\xbb\xe5\x8f\x96", L"\u65e0\u6cd5\u8bfb\u53d6"},
        {"\xf0\x9f\x98\x80", L"\xd83d\xde00"},  // outside the basic plane: a surrogate pair
        {"a\xff" "b", L"a\xfffd" "b"},          // invalid UTF-8: the replacement character
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToCString(c.utf8).str(), c.wide) << c.utf8;
}

TEST(CStringToAnsi, ConvertsToTheAnsiCodePageUpToTheFirstNul)
{
    EXPECT_EQ(CStringToAnsi(L""), "");
    EXPECT_EQ(CStringToAnsi(L"C:\\Temp\\quarn_install.exe"), "C:\\Temp\\quarn_install.exe");
    EXPECT_EQ(CStringToAnsi(CString(L"ab\0cd", 5)), "ab");
    // Chinese text survives in the Chinese code page; elsewhere each character becomes the default one.
    const std::string chinese = CStringToAnsi(L"\u4e2d\u6587");
    if (GetACP() == 936) {
        EXPECT_EQ(chinese, "\xd6\xd0\xce\xc4");
    } else {
        EXPECT_EQ(chinese, "??");
    }
}
