#include "discovery/ProductDetector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "discovery/RegKey.h"
#include "tests/discovery/RegistryScratch.h"

namespace {

std::wstring WindowsFolder()
{
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

std::wstring Join(const std::wstring& a, const std::wstring& b)
{
    return a + L"\\" + b;
}

class ProductDetectorTest : public RegistryScratch
{
protected:
    // An uninstall entry of the machine, as the product's installer writes it.
    void AddUninstallEntry(const std::wstring& subKey, const wchar_t* displayName, const wchar_t* location,
                           const wchar_t* uninstall)
    {
        const std::wstring key = Join(kUninstallKey, subKey);
        SetText(HKEY_LOCAL_MACHINE, key, kView64, L"DisplayName", displayName);
        if (location)
            SetText(HKEY_LOCAL_MACHINE, key, kView64, L"InstallLocation", location);
        if (uninstall)
            SetText(HKEY_LOCAL_MACHINE, key, kView64, L"UninstallString", uninstall);
    }

    // A Windows Installer product: its "Installer\Products" record and its LocalSystem user data.
    void AddInstallerProduct(const std::wstring& packedCode, const wchar_t* location, const wchar_t* uninstall,
                             const std::wstring& localPackage)
    {
        SetText(HKEY_CLASSES_ROOT, Join(kProductsKey, packedCode), kView64, L"ProductName", L"QuarnPC");
        const std::wstring properties = Join(Join(kUserDataProducts, packedCode), L"InstallProperties");
        SetText(HKEY_LOCAL_MACHINE, properties, kView64, L"DisplayName", kTobrinName);
        SetText(HKEY_LOCAL_MACHINE, properties, kView64, L"LocalPackage", localPackage);
        if (location)
            SetText(HKEY_LOCAL_MACHINE, properties, kView64, L"InstallLocation", location);
        if (uninstall)
            SetText(HKEY_LOCAL_MACHINE, properties, kView64, L"UninstallString", uninstall);
    }

    void RunAll(CProductDetector& detector)
    {
        detector.ReadInstallerProducts();
        detector.ReadUninstallEntry();
        detector.ReadUserDataProduct();
        detector.ReadInstallerCache();
    }
};

TEST_F(ProductDetectorTest, NoRecordsLeavesEverythingClearedButTheCachePaths)
{
    // Wine's own uninstall entries and installer products carry none of the product's names.
    CProductDetector detector;
    RunAll(detector);
    EXPECT_FALSE(detector.m_bFoundInProducts);
    EXPECT_FALSE(detector.m_bFoundInUninstall);
    EXPECT_FALSE(detector.m_bFoundInUserData);
    EXPECT_FALSE(detector.m_bLocalPackageExists);
    EXPECT_TRUE(detector.GetInstallLocation().IsEmpty());
    EXPECT_TRUE(detector.m_strUninstallString.IsEmpty());
    EXPECT_TRUE(detector.m_strPackedCode.IsEmpty());
    EXPECT_EQ(detector.m_strInstallerCacheDir.str(), WindowsFolder() + L"\\Installer\\");
    EXPECT_EQ(detector.m_strSourceHashPath.str(), WindowsFolder() + L"\\Installer\\SourceHash");
}

TEST_F(ProductDetectorTest, LaterUninstallEntryInEnumerationOrderWins)
{
    AddUninstallEntry(L"QuarnTest-B", L"QuarnPC", L"D:\\Second", L"second.exe /u");
    AddUninstallEntry(L"QuarnTest-A", kTobrinName, L"D:\\First", L"first.exe /u");

    // The registry decides the order; whichever of the two it lists later is the one reported.
    const std::vector<std::wstring> names = SubKeyNames(HKEY_LOCAL_MACHINE, kUninstallKey, kView64);
    const auto a = std::find(names.begin(), names.end(), L"QuarnTest-A");
    const auto b = std::find(names.begin(), names.end(), L"QuarnTest-B");
    ASSERT_TRUE(a != names.end() && b != names.end());
    const bool bLater = b > a;

    CProductDetector detector;
    RunAll(detector);
    const std::wstring subKey = bLater ? L"QuarnTest-B" : L"QuarnTest-A";
    EXPECT_TRUE(detector.m_bFoundInUninstall);
    EXPECT_EQ(detector.m_strUninstallSubKey.str(), subKey);
    EXPECT_EQ(detector.m_strUninstallKey.str(), Join(kUninstallKey, subKey));
    EXPECT_EQ(detector.GetInstallLocation().str(), bLater ? L"D:\\Second" : L"D:\\First");
    EXPECT_EQ(detector.m_strUninstallString.str(), bLater ? L"second.exe /u" : L"first.exe /u");
    EXPECT_EQ(detector.m_strInstallerCacheDir.str(), WindowsFolder() + L"\\Installer\\" + subKey);
    EXPECT_EQ(detector.m_strSourceHashPath.str(), WindowsFolder() + L"\\Installer\\SourceHash" + subKey);
}

TEST_F(ProductDetectorTest, OnlyTheExactValueNameAndProductNameMatch)
{
    const wchar_t kParent[] = L"SOFTWARE\\QuarnTestMatch";
    // Unterminated values are given a byte count that stops short of a non-NUL character: the registry
    // adds the terminator itself when the character after the data is a NUL.
    const wchar_t quarnNoTerminator[] = L"QuarnPCzz";
    const wchar_t quarnHalf[] = L"Quarnzz";
    const std::wstring tooLong(300, L'Q');
    const struct
    {
        const wchar_t* subKey;
        const wchar_t* valueName;
        DWORD type;
        const void* data;
        DWORD bytes;  // 0: a terminated text
        bool known;
    } cases[] = {
        {L"Exact", L"DisplayName", REG_SZ, L"QuarnPC", 0, true},
        {L"Tobrin", L"DisplayName", REG_SZ, kTobrinName, 0, true},
        {L"Expand", L"DisplayName", REG_EXPAND_SZ, L"QuarnPC", 0, true},
        {L"NoTerminator", L"DisplayName", REG_SZ, quarnNoTerminator, 7 * sizeof(wchar_t), true},
        {L"Upper", L"DisplayName", REG_SZ, L"QUARNPC", 0, false},
        {L"Lower", L"DisplayName", REG_SZ, L"quarnpc", 0, false},
        {L"TrailingBlank", L"DisplayName", REG_SZ, L"QuarnPC ", 0, false},
        {L"TobrinBlank", L"DisplayName", REG_SZ, L"Tobrin\u684C\u9762\u7248 ", 0, false},
        {L"Empty", L"DisplayName", REG_SZ, L"", 0, false},
        {L"LowerName", L"displayname", REG_SZ, L"QuarnPC", 0, false},
        {L"OtherName", L"ProductName", REG_SZ, L"QuarnPC", 0, false},
        {L"TooLong", L"DisplayName", REG_SZ, tooLong.c_str(), 0, false},
        // A short unterminated value must not borrow the rest of the name from an earlier value.
        {L"Stale", L"DisplayName", REG_SZ, quarnHalf, 5 * sizeof(wchar_t), false},
    };
    for (const auto& c : cases) {
        const std::wstring key = Join(kParent, c.subKey);
        if (std::wstring(c.subKey) == L"Stale")
            SetText(HKEY_CURRENT_USER, key, kViewOwn, L"Comment", L"xxxxxPC");
        const DWORD bytes = c.bytes ? c.bytes
                                    : static_cast<DWORD>((wcslen(static_cast<const wchar_t*>(c.data)) + 1) *
                                                         sizeof(wchar_t));
        SetData(HKEY_CURRENT_USER, key, kViewOwn, c.valueName, c.type, c.data, bytes);
    }
    SetText(HKEY_CURRENT_USER, Join(kParent, L"NoValues\\Below"), kViewOwn, L"DisplayName", L"QuarnPC");

    CScopedRegKey parent;
    ASSERT_EQ(OpenRegKey(parent, HKEY_CURRENT_USER, kParent, KEY_READ), ERROR_SUCCESS);
    for (const auto& c : cases)
        EXPECT_EQ(MatchProductValue(parent.Get(), c.subKey, L"DisplayName"), c.known) << Narrow(c.subKey);
    EXPECT_FALSE(MatchProductValue(parent.Get(), L"NoValues", L"DisplayName"));
    EXPECT_FALSE(MatchProductValue(parent.Get(), L"Missing", L"DisplayName"));
}

TEST_F(ProductDetectorTest, UserDataFillsWhatTheUninstallEntryLacks)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring package = std::wstring(temp) + L"quarn.msi";
    std::ofstream(package.c_str()) << "msi";

    const struct
    {
        const char* name;
        const wchar_t* uninstallLocation;  // nullptr: no value
        const wchar_t* uninstallCommand;
        const wchar_t* expectedLocation;
        const wchar_t* expectedCommand;
    } cases[] = {
        {"empty location", L"", L"entry.exe /u", L"D:\\UserData", L"entry.exe /u"},
        {"no location", nullptr, L"entry.exe /u", L"D:\\UserData", L"entry.exe /u"},
        {"both from the entry", L"D:\\Entry", L"entry.exe /u", L"D:\\Entry", L"entry.exe /u"},
        {"no command", L"D:\\Entry", nullptr, L"D:\\Entry", L"msiexec /x {code}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AddInstallerProduct(L"QuarnTestCode", L"D:\\UserData", L"msiexec /x {code}", package);
        AddUninstallEntry(L"QuarnTest-Entry", L"QuarnPC", c.uninstallLocation, c.uninstallCommand);

        CProductDetector detector;
        RunAll(detector);
        EXPECT_TRUE(detector.m_bFoundInProducts);
        EXPECT_TRUE(detector.m_bFoundInUninstall);
        EXPECT_TRUE(detector.m_bFoundInUserData);
        EXPECT_TRUE(detector.m_bLocalPackageExists);
        EXPECT_EQ(detector.GetInstallLocation().str(), c.expectedLocation);
        EXPECT_EQ(detector.m_strUninstallString.str(), c.expectedCommand);
        RemoveCreatedKeys();
    }
    DeleteFileW(package.c_str());
}

TEST_F(ProductDetectorTest, ProductKnownOnlyToWindowsInstaller)
{
    AddInstallerProduct(L"QuarnTestCode", L"D:\\Msi Only", L"msiexec /x {code}", L"C:\\no\\such\\package.msi");

    CProductDetector detector;
    RunAll(detector);
    EXPECT_TRUE(detector.m_bFoundInProducts);
    EXPECT_FALSE(detector.m_bFoundInUninstall);
    EXPECT_TRUE(detector.m_bFoundInUserData);
    EXPECT_EQ(detector.m_strPackedCode.str(), L"QuarnTestCode");
    EXPECT_EQ(detector.m_strProductsKey.str(), L"Installer\\Products\\QuarnTestCode");
    EXPECT_EQ(detector.m_strUserDataKey.str(), Join(kUserDataProducts, L"QuarnTestCode"));
    EXPECT_EQ(detector.m_strInstallPropertiesKey.str(),
              Join(Join(kUserDataProducts, L"QuarnTestCode"), L"InstallProperties"));
    EXPECT_EQ(detector.GetInstallLocation().str(), L"D:\\Msi Only");
    EXPECT_EQ(detector.m_strUninstallString.str(), L"msiexec /x {code}");
    EXPECT_EQ(detector.m_strLocalPackage.str(), L"C:\\no\\such\\package.msi");
    EXPECT_FALSE(detector.m_bLocalPackageExists);
    EXPECT_EQ(detector.m_strInstallerCacheDir.str(), WindowsFolder() + L"\\Installer\\");
    EXPECT_EQ(detector.m_strSourceHashPath.str(), WindowsFolder() + L"\\Installer\\SourceHash");

    // Without its "Installer\Products" record there is no packed code, and the user data are searched
    // all the same, one level up: a name stored in a packed-code key itself is found.
    RemoveCreatedKeys();
    const std::wstring codeKey = Join(kUserDataProducts, L"QuarnTestCode");
    SetText(HKEY_LOCAL_MACHINE, codeKey, kView64, L"DisplayName", L"QuarnPC");
    SetText(HKEY_LOCAL_MACHINE, codeKey, kView64, L"InstallLocation", L"D:\\Code Level");
    CProductDetector noCode;
    RunAll(noCode);
    EXPECT_EQ(noCode.GetInstallLocation().str(), L"D:\\Code Level");
}

TEST_F(ProductDetectorTest, ReadHklmStringValueBounds)
{
    const std::wstring key = Join(kUninstallKey, L"QuarnTest-Values");
    const std::wstring fits(259, L'a');
    const std::wstring full(260, L'b');
    const std::wstring longer(261, L'c');  // stored without its last character and without a terminator
    SetText(HKEY_LOCAL_MACHINE, key, kView64, L"Fits", fits);
    SetText(HKEY_LOCAL_MACHINE, key, kView64, L"TooLong", full);
    SetData(HKEY_LOCAL_MACHINE, key, kView64, L"Unterminated", REG_SZ, longer.c_str(), 520);
    SetText(HKEY_LOCAL_MACHINE, key, kView64, L"Empty", L"");

    const struct
    {
        const wchar_t* value;
        std::wstring expected;
    } cases[] = {
        {L"Fits", fits}, {L"TooLong", L""}, {L"Unterminated", L""}, {L"Empty", L""}, {L"Missing", L""},
    };
    for (const auto& c : cases) {
        DiscoveryBuffer text;
        std::fill(std::begin(text), std::end(text), L'#');
        text[kDiscoveryBufferChars - 1] = L'\0';
        ReadHklmStringValue(text, key.c_str(), c.value);
        EXPECT_EQ(std::wstring(text), c.expected) << Narrow(c.value);
    }

    // A key that does not open leaves the caller's text as it was.
    DiscoveryBuffer text = L"untouched";
    ReadHklmStringValue(text, Join(kUninstallKey, L"QuarnTest-Missing").c_str(), L"Fits");
    EXPECT_STREQ(text, L"untouched");
}

TEST_F(ProductDetectorTest, FindProductSubKeyLeavesTheNameUntouchedWithoutAMatch)
{
    SetText(HKEY_LOCAL_MACHINE, Join(kUninstallKey, L"QuarnTest-Other"), kView64, L"DisplayName", L"Other");
    for (const wchar_t* path : {kUninstallKey, L"SOFTWARE\\QuarnTest\\Missing"}) {
        DiscoveryBuffer name = L"untouched";
        EXPECT_FALSE(FindProductSubKey(path, L"DisplayName", name, HKEY_LOCAL_MACHINE));
        EXPECT_STREQ(name, L"untouched");
    }
}

}  // namespace
