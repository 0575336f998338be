#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "framework/File.h"

namespace {

std::string ReadAll(const wchar_t* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CString TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return CString(dir) + name;
}

}  // namespace

TEST(CFile, CreateTruncatesAndWrites)
{
    const CString path = TempPath(L"cfile.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        file.Write("0123456789", 10);
    }
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
    file.Write("ab", 2);
    file.Close();
    EXPECT_EQ(ReadAll(path), "ab");
    DeleteFileW(path);
}

TEST(CFile, OpenFailureIsReportedByResult)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(TempPath(L"no\\such\\folder\\x.bin"), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_EQ(file.m_hFile, INVALID_HANDLE_VALUE);
}

TEST(CFile, WriteFailureThrows)
{
    const CString path = TempPath(L"readonly.bin");
    { std::ofstream(path.GetString()) << "x"; }
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead));
    EXPECT_THROW(file.Write("y", 1), CFileException);
    file.Close();
    DeleteFileW(path);
}

TEST(CFile, TestsWriteToTheirOwnTemporaryFolder)
{
    // The runner gives every test program a folder of its own; a shared one would let two programs
    // fight over the same installer file.
    EXPECT_NE(TempPath(L"").Find(L"test_framework"), -1) << TempPath(L"").GetString();
}
