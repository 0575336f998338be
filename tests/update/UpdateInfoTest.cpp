#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/Constants.h"
#include "tests/support/HttpTestServer.h"
#include "update/UpdateInfo.h"

namespace {

using quarntest::HttpResponse;
using quarntest::HttpTestServer;

const std::string kDefaultBase = g_strInstallerUrlBase;

struct Expected {
    std::string packurl;
    std::string readmeurl;
    std::string version;
    std::string md5;
    std::string minimumsupportedversion;
    std::string minimumstartupversion;
};

void ExpectValues(const CUpdateInfo& info, const Expected& expected)
{
    EXPECT_EQ(info.m_packurl, expected.packurl);
    EXPECT_EQ(info.m_readmeurl, expected.readmeurl);
    EXPECT_EQ(info.m_version, expected.version);
    EXPECT_EQ(info.m_md5, expected.md5);
    EXPECT_EQ(info.m_minimumsupportedversion, expected.minimumsupportedversion);
    EXPECT_EQ(info.m_minimumstartupversion, expected.minimumstartupversion);
}

// Reads the document the server gives at /instversion.json, as CheckUpdate does but from this server.
bool Read(CUpdateInfo& info, const HttpTestServer& server)
{
    info.Reset();
    info.m_versionDocUrl = server.Url("/instversion.json");
    return info.FetchAndParse();
}

}  // namespace

TEST(CUpdateInfo, ReadsTheSixStringMembersAndFillsTheDefaults)
{
    struct Case {
        const char* name;
        std::string body;
        Expected expected;
    };
    const Case cases[] = {
        {"every member, others ignored",
         R"({"packurl":"http://dl.example/p.exe","readmeurl":"http://dl.example/r.txt","version":"3.1.4",)"
         R"("md5":"0123456789abcdefFEDCBA9876543210","minimumsupportedversion":"2.0",)"
         R"("minimumstartupversion":"2.5","channel":"beta","size":12})",
         {"http://dl.example/p.exe", "http://dl.example/r.txt", "3.1.4", "0123456789abcdefFEDCBA9876543210", "2.0",
          "2.5"}},
        {"no packurl or readmeurl: both from the version",
         R"({"version":"1.2","md5":"x"})",
         {kDefaultBase + "/quarn_1.2.exe", kDefaultBase + "/quarn_1.2.readme", "1.2", "x", "", ""}},
        {"empty packurl and readmeurl count as absent",
         R"({"packurl":"","readmeurl":"","version":"7"})",
         {kDefaultBase + "/quarn_7.exe", kDefaultBase + "/quarn_7.readme", "7", "", "", ""}},
        {"a number-valued version reads as empty",
         R"({"version":1.5})",
         {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
        {"an object-valued md5 reads as its compact text",
         R"({"md5": { "b" : 2 , "a" : "x" }, "packurl":"http://h/p"})",
         {"http://h/p", kDefaultBase + "/quarn_.readme", "", R"({"a":"x","b":2})", "", ""}},
        {"keys match with their letter case",
         R"({"MD5":"abc","Version":"1","PackUrl":"http://h/p"})",
         {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
        {"booleans, null and arrays read as empty",
         R"({"version":true,"md5":null,"packurl":["http://h/p"]})",
         {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
        {"a top-level array is no document",
         R"([{"version":"1.0","md5":"abc"}])",
         {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
        {"malformed text", R"({"version":"1.0",)", {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
        {"a bare string", R"("1.0")", {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
        {"an empty body", "", {kDefaultBase + "/quarn_.exe", kDefaultBase + "/quarn_.readme", "", "", "", ""}},
    };
    HttpTestServer server;
    ASSERT_TRUE(server.IsListening());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.ServeBytes("/instversion.json", c.body);
        CUpdateInfo info;
        EXPECT_TRUE(Read(info, server));
        ExpectValues(info, c.expected);
        EXPECT_EQ(info.GetPackUrl(), CString(std::wstring(c.expected.packurl.begin(), c.expected.packurl.end())));
        EXPECT_EQ(info.GetMd5(), CString(std::wstring(c.expected.md5.begin(), c.expected.md5.end())));
        EXPECT_EQ(info.GetVersion(), CString(std::wstring(c.expected.version.begin(), c.expected.version.end())));
    }
}

TEST(CUpdateInfo, TheWideCopiesAreDecodedFromUtf8)
{
    HttpTestServer server;
    // "版本 2" and a path with "下载".
    server.ServeBytes("/instversion.json",
                      "{\"version\":\"\xe7\x89\x88\xe6\x9c\xac 2\",\"packurl\":\"http://h/\xe4\xb8\x8b\xe8\xbd\xbd.exe\","
                      "\"md5\":\"AbC\"}");
    CUpdateInfo info;
    ASSERT_TRUE(Read(info, server));
    EXPECT_EQ(info.GetVersion(), L"\u7248\u672c 2");
    EXPECT_EQ(info.GetPackUrl(), L"http://h/\u4e0b\u8f7d.exe");
    EXPECT_EQ(info.GetMd5(), L"AbC");
}

TEST(CUpdateInfo, AFailedFetchLeavesEveryValueEmpty)
{
    const std::string document = R"({"version":"1.0","md5":"abc","packurl":"http://h/p","readmeurl":"http://h/r",)"
                                 R"("minimumsupportedversion":"0.9","minimumstartupversion":"0.8"})";
    struct Case {
        const char* name;
        HttpResponse response;
    };
    const Case cases[] = {
        {"status 404 with a document as its body", HttpResponse::Bytes(document).Status(404)},
        {"no Content-Length", HttpResponse::Bytes(document).WithoutLength()},
        // More than five times the announced length: the part that arrived is no document.
        {"a body far longer than announced",
         HttpResponse::Bytes(document + std::string(200, ' ')).AnnounceLength(20).Chunked()},
    };
    HttpTestServer server;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Values of an earlier successful read go too, the minimum versions included.
        server.ServeBytes("/instversion.json", document);
        CUpdateInfo info;
        ASSERT_TRUE(Read(info, server));
        ASSERT_EQ(info.m_minimumstartupversion, "0.8");

        server.Serve("/instversion.json", c.response);
        EXPECT_FALSE(info.FetchAndParse());
        ExpectValues(info, Expected{});
        EXPECT_TRUE(info.GetMd5().IsEmpty());
        EXPECT_TRUE(info.GetVersion().IsEmpty());
        EXPECT_TRUE(info.GetPackUrl().IsEmpty());
    }

    const std::string refused = server.Url("/instversion.json");
    server.Stop();
    CUpdateInfo info;
    info.m_versionDocUrl = refused;
    EXPECT_FALSE(info.FetchAndParse());
    ExpectValues(info, Expected{});
}

TEST(CUpdateInfo, ResetPointsAtTheVersionDocumentAndKeepsTheMinimumVersions)
{
    HttpTestServer server;
    server.ServeBytes("/instversion.json", R"({"version":"1.0","md5":"abc","minimumsupportedversion":"0.9",)"
                                           R"("minimumstartupversion":"0.8"})");
    CUpdateInfo info;
    EXPECT_EQ(info.m_versionDocUrl, g_strInstVersionUrl);
    ASSERT_TRUE(Read(info, server));
    info.Reset();
    EXPECT_EQ(info.m_versionDocUrl, g_strInstVersionUrl);
    ExpectValues(info, {"", "", "", "", "0.9", "0.8"});
    EXPECT_TRUE(info.GetMd5().IsEmpty());
    EXPECT_TRUE(info.GetPackUrl().IsEmpty());
}

TEST(HttpGetString, GivesTheBodyAndTellsSuccessByTheResultCode)
{
    HttpTestServer server;
    const std::string binary("a\0b\r\n\xff", 6);
    server.ServeBytes("/bytes", binary);
    server.Serve("/long", HttpResponse::Bytes(std::string(100, 'z')).AnnounceLength(10).Chunked());
    server.Serve("/missing", HttpResponse::Bytes("gone").Status(404));

    std::string out = "old";
    EXPECT_TRUE(HttpGetString(out, server.Url("/bytes")));
    EXPECT_EQ(out, binary);

    // What arrived before the limit stays in the text even though the call failed.
    EXPECT_FALSE(HttpGetString(out, server.Url("/long")));
    EXPECT_GT(out.size(), 50u);
    EXPECT_EQ(out, std::string(out.size(), 'z'));

    EXPECT_FALSE(HttpGetString(out, server.Url("/missing")));
    EXPECT_EQ(out, "");
}
