#include <gtest/gtest.h>

#include "framework/String.h"

TEST(CString, FormatTakesExplicitWideAndNarrowStrings)
{
    CString s;
    s.Format(L"%ls0x%x\u3002", L"\u5b89\u88c5\u6587\u4ef6\u9a8c\u8bc1\u5931\u8d25", 0x10000008);
    EXPECT_EQ(s, CString(L"\u5b89\u88c5\u6587\u4ef6\u9a8c\u8bc1\u5931\u8d250x10000008\u3002"));

    s.Format(L"%hs-%d", "abc", -5);
    EXPECT_EQ(s, L"abc--5");

    // Output longer than the first buffer still comes out whole.
    const CString longText(L'x', 5000);
    s.Format(L"[%ls]", longText.GetString());
    EXPECT_EQ(s.GetLength(), 5002);
    s.AppendFormat(L"%02x", 0xab);
    EXPECT_EQ(s.Right(3), L"]ab");
}

TEST(CString, ComparisonsAndPieces)
{
    EXPECT_EQ(CString(L"ABCdef").CompareNoCase(L"abcDEF"), 0);
    EXPECT_NE(CString(L"QuarnPC").Compare(L"quarnpc"), 0);
    EXPECT_TRUE(CString(nullptr).IsEmpty());

    const CString path(L"C:\\Apps\\Tool\\");
    EXPECT_EQ(path.Left(3), L"C:\\");
    EXPECT_EQ(path.Right(5), L"Tool\\");
    EXPECT_EQ(path.Mid(3, 4), L"Apps");
    EXPECT_EQ(path.Right(100), path);
    EXPECT_EQ(path.Left(-1), L"");
    EXPECT_EQ(path.ReverseFind(L'\\'), 12);
    EXPECT_EQ(path.Find(L"Tool"), 8);
    EXPECT_EQ(path.Find(L'x'), -1);
}

TEST(CString, BufferAccessTakesTextUpToTheFirstNul)
{
    CString s;
    wchar_t* p = s.GetBuffer(10);
    wcscpy(p, L"abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"abc");
    EXPECT_EQ(s.GetLength(), 3);
}
