#include "discovery/OSVersionInformation.h"
#include "discovery/SysrequireCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "services/FileDigest.h"

namespace {

TEST(KqOSCVersionInformation, HoldsTheVersionWindowsReports)
{
    OSVERSIONINFOW reported = {};
    reported.dwOSVersionInfoSize = sizeof reported;
    ASSERT_TRUE(GetVersionExW(&reported));
    ASSERT_EQ(reported.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));

    KqOSCVersionInformation version;
    ASSERT_TRUE(version.GetOSVersion());
    EXPECT_EQ(HIWORD(version.m_dwVersion), reported.dwMajorVersion);
    EXPECT_EQ(LOWORD(version.m_dwVersion), reported.dwMinorVersion);
}

TEST(MakeOSVersionNumber, NtPlatformsOnly)
{
    const struct
    {
        DWORD platform;
        DWORD major;
        DWORD minor;
        DWORD expected;
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 6, 2, 0x00060002},
        {VER_PLATFORM_WIN32_NT, 10, 0, 0x000A0000},
        {VER_PLATFORM_WIN32_NT, 0x10006, 0xFFFF0001, 0x00060001},  // only the low 16 bits count
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0},
        {VER_PLATFORM_WIN32s, 3, 1, 0},
    };
    for (const auto& c : cases) {
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof info;
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        EXPECT_EQ(MakeOSVersionNumber(info), c.expected) << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST(KqSysrequireCheck, OverrideAnswersWhateverTheEngine)
{
    const struct
    {
        BYTE override;
        BYTE result;
        bool expected;
    } cases[] = {{1, 1, true}, {1, 0, false}, {0x80, 0x02, true}};
    for (const auto& c : cases)
        EXPECT_EQ(KqSysrequireCheck(c.override, c.result).IsBrowserSupported(), c.expected)
            << int(c.override) << " " << int(c.result);
}

// The browser-engine cases run in copies of this program that sit beside a stand-in mshtml.dll and
// prefer it to Wine's own (WINEDLLOVERRIDES=mshtml=n); QUARN_MSHTML_VERSION names the stand-in's
// version ("none" for one without a version block), QUARN_MSHTML_SUPPORTED the expected answer.
TEST(KqSysrequireCheck, EngineVersionDecides)
{
    const char* version = std::getenv("QUARN_MSHTML_VERSION");
    const char* supported = std::getenv("QUARN_MSHTML_SUPPORTED");
    if (!version || !supported)
        GTEST_SKIP() << "runs beside a stand-in mshtml.dll only";

    // First make sure the stand-in is the file the check reads, not Wine's own engine.
    DWORD versionMS = 0;
    DWORD versionLS = 0;
    const bool hasVersion = GetFileVersion(versionMS, versionLS, L"mshtml.dll");
    if (std::string(version) == "none") {
        ASSERT_FALSE(hasVersion);
    } else {
        ASSERT_TRUE(hasVersion);
        const std::string read = std::to_string(HIWORD(versionMS)) + "." + std::to_string(LOWORD(versionMS));
        ASSERT_EQ(read, version);
        ASSERT_EQ(versionLS, MAKELONG(18702, 6001));
    }

    EXPECT_EQ(KqSysrequireCheck().IsBrowserSupported(), std::string(supported) == "1");
    // The override still wins over the file.
    EXPECT_FALSE(KqSysrequireCheck(1, 0).IsBrowserSupported());
    EXPECT_TRUE(KqSysrequireCheck(1, 1).IsBrowserSupported());
}

}  // namespace
