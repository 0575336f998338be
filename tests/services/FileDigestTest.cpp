#include <gtest/gtest.h>

#include <string>

#include "services/FileDigest.h"
#include "tests/services/TestFiles.h"

namespace {

struct Md5Case {
    std::string content;
    const wchar_t* digest;
};

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + 7) % 251);
    return bytes;
}

}  // namespace

TEST(GetFileMd5, MatchesKnownDigests)
{
    // RFC 1321's test suite, then contents that span several read blocks.
    const Md5Case cases[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", L"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(1000000, 'a'), L"7707d6ae4e027c70eea2a935c2296f21"},
        {Pattern(3 * 1024 * 1024 + 7), L"35bb59964e60f3085da9f9d04d484b87"},
    };
    const CString path = TempPath(L"md5.bin");
    for (const Md5Case& c : cases) {
        WriteBytes(path, c.content);
        CString out;
        EXPECT_TRUE(GetFileMd5(path, out)) << c.content.size() << " bytes";
        EXPECT_EQ(out, c.digest) << c.content.size() << " bytes";
    }
    DeleteFileW(path);
}

TEST(GetFileMd5, AppendsToTheCallersText)
{
    const CString path = TempPath(L"md5-append.bin");
    WriteBytes(path, "abc");
    CString out(L"digest=");
    EXPECT_TRUE(GetFileMd5(path, out));
    EXPECT_EQ(out, L"digest=900150983cd24fb0d6963f7d28e17f72");
    DeleteFileW(path);
}

TEST(GetFileMd5, UnreadableFilesLeaveTheTextUnchanged)
{
    const CString locked = TempPath(L"md5-locked.bin");
    WriteBytes(locked, "abc");
    HANDLE exclusive = CreateFileW(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);

    const CString paths[] = {
        TempPath(L"no-such-file.bin"),
        TempPath(L"no-such-folder\\file.bin"),
        TempPath(L""),  // a folder, not a file
        locked,         // opened by someone else without sharing
    };
    for (const CString& path : paths) {
        CString out(L"kept");
        EXPECT_FALSE(GetFileMd5(path, out)) << path.GetString();
        EXPECT_EQ(out, L"kept") << path.GetString();
    }
    CloseHandle(exclusive);
    DeleteFileW(locked);
}

TEST(GetFileVersion, ReadsTheFixedFileVersion)
{
    DWORD ms = 1, ls = 1;
    ASSERT_TRUE(GetFileVersion(ms, ls, BesideTest(L"services_versioned_helper.exe")));
    EXPECT_EQ(ms, (8u << 16) | 0u);
    EXPECT_EQ(ls, (6001u << 16) | 18702u);
}

TEST(GetFileVersion, FilesWithoutVersionInformationGiveFalseAndZero)
{
    const CString text = TempPath(L"plain.txt");
    WriteBytes(text, "no version here");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);

    const CString files[] = {
        self,  // a program built without a version block
        text,
        TempPath(L"missing.dll"),
    };
    for (const CString& file : files) {
        DWORD ms = 1, ls = 1;
        EXPECT_FALSE(GetFileVersion(ms, ls, file)) << file.GetString();
        EXPECT_EQ(ms, 0u);
        EXPECT_EQ(ls, 0u);
    }
    DeleteFileW(text);
}

TEST(GetFileVersion, FindsBareModuleNamesBySearchRules)
{
    DWORD ms = 0, ls = 0;
    EXPECT_TRUE(GetFileVersion(ms, ls, L"kernel32.dll"));
    EXPECT_GE(HIWORD(ms), 5u);
}
