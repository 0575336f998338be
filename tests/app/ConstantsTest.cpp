#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Constants.h"

namespace {

// Built during static initialisation like the application object, without a priority of its own: it
// must find every constant already made.
struct SeenAtStartup {
    SeenAtStartup()
        : label(g_strInstallDirLabel),
          versionUrl(g_strInstVersionUrl),
          installerBase(g_strInstallerUrlBase),
          firstName(g_strWindowsVersionNames[0]),
          singleton(g_uAppSingletonMsg)
    {
    }
    CString label;
    std::string versionUrl;
    std::string installerBase;
    std::string firstName;
    UINT singleton;
} g_seenAtStartup;

bool IsLowerHex32(const std::string& s)
{
    return s.size() == 32 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

}  // namespace

TEST(Constants, AreBuiltBeforeObjectsWithoutPriority)
{
    EXPECT_EQ(g_seenAtStartup.label, L"\u5b89\u88c5\u76ee\u5f55\uff1a");
    EXPECT_EQ(g_seenAtStartup.versionUrl, g_strDefaultInstVersionUrl);
    EXPECT_EQ(g_seenAtStartup.installerBase, g_strDefaultInstallerUrlBase);
    EXPECT_EQ(g_seenAtStartup.firstName, "Win32s");
    EXPECT_NE(g_seenAtStartup.singleton, 0u);
}

TEST(Constants, UpdateAddressesArePlainHttpWithFixedPaths)
{
    const std::string http = "http://";
    for (const std::string* url : {&g_strBetaInstVersionUrl, &g_strDefaultInstVersionUrl, &g_strDownloadUrlRoot,
                                   &g_strDefaultInstallerUrlBase})
        EXPECT_EQ(url->compare(0, http.size(), http), 0) << *url;
    auto endsWith = [](const std::string& s, const std::string& tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    };
    EXPECT_TRUE(endsWith(g_strInstVersionUrl, "/download/instversion.json"));
    EXPECT_TRUE(endsWith(g_strBetaInstVersionUrl, "/download/beta_instversion.json"));
    EXPECT_TRUE(endsWith(g_strDownloadUrlRoot, "/download"));
    EXPECT_TRUE(endsWith(g_strInstallerUrlBase, "/quarn/exe/quarn"));
}

TEST(Constants, RegisteredMessagesMatchTheirNames)
{
    // Any process on the desktop that registers the same name gets the same number.
    EXPECT_EQ(g_uAppSingletonMsg, RegisterWindowMessageW(L"APP_SINGLETON{3ADDC7E7-20C5-495F-BD45-71A89D973E84}"));
    EXPECT_NE(g_uAppSingletonMsg, g_uAppSingletonMsg2);
    EXPECT_NE(g_uAppMenuMsg, g_uAppMenuMsg2);
    for (UINT msg : {UINT(g_uAppMenuMsg), UINT(g_uNotificationMsg), UINT(g_uAppBarMsg), UINT(g_uNotifyMsg),
                     UINT(g_uUpdateMsg), UINT(g_uResponseMsg)})
        EXPECT_GE(msg, 0xC000u);
}

TEST(Constants, UnreadGroupsHoldTheirLiterals)
{
    EXPECT_EQ(g_strWindowsVersionNames[18], "WindowsServer2012R2");
    EXPECT_EQ(g_strAccountFields[5], g_strAccountFields[8]);  // "usermoney" twice, two objects
    EXPECT_NE(&g_strAccountFields[5], &g_strAccountFields[8]);
    EXPECT_TRUE(IsLowerHex32(g_strHeaderNames[2]));
    EXPECT_TRUE(IsLowerHex32(g_strHeaderNames[3]));
    EXPECT_TRUE(g_strHeaderNames[4].empty());
    EXPECT_TRUE(g_strActionLogWords[2].empty());
    EXPECT_EQ(g_strSemicolonSeparator, L"; ");
    EXPECT_EQ(g_strInstallDirLabel.GetAt(4), L'\uff1a');  // full-width colon, not ':'
}
