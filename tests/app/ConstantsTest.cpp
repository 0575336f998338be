#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Constants.h"

namespace {

// Stands for the application object, which has no priority, while it reads the constants. Given the
// last priority there is, it is built before every object without one, whatever the link order: so it
// finds the constants made only when their own priority puts them ahead of all such objects.
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
} g_seenAtStartup __attribute__((init_priority(65534)));

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
    // Any process on the desktop that registers the same name gets the same number, so a name off by one
    // character is a message that no other program shares.
    const struct
    {
        const RegisteredMessage& constant;
        const wchar_t* name;
    } cases[] = {
        {g_uAppSingletonMsg, L"APP_SINGLETON{3ADDC7E7-20C5-495F-BD45-71A89D973E84}"},
        {g_uAppMenuMsg, L"APP_MENU{DBD873C2-9D90-4321-BC98-DEEB8269D07A}"},
        {g_uAppSingletonMsg2, L"APP_SINGLETON{C798026B-2E31-40FB-B7FF-48C6A0112505}"},
        {g_uNotificationMsg, L"NOTIFICATION{3B1973B3-D737-4F4E-9BE6-1CDBF8D71F15}"},
        {g_uAppMenuMsg2, L"APP_MENU{61046F45-D42C-4EDC-A203-E69F74917286}"},
        {g_uAppBarMsg, L"APPBARMSG_{33AD6010-4ED2-4E74-866D-497786213094}"},
        {g_uNotifyMsg, L"NOTIFY_{46141CCB-FEE0-4376-8652-F166E27B8F3A}"},
        {g_uUpdateMsg, L"UPDATE{F3426B79-52AD-462A-B998-C4776196F226}"},
        {g_uResponseMsg, L"RESPONSE{67975390-C878-4743-AA3C-5829FD72A3AB}"},
    };
    for (const auto& c : cases) {
        const UINT registered = RegisterWindowMessageW(c.name);
        EXPECT_GE(registered, 0xC000u) << "registration failed";
        EXPECT_EQ(UINT(c.constant), registered) << c.name;
    }
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
