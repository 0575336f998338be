#include "discovery/ProductDetector.h"

#include <shlwapi.h>
#include <strsafe.h>

#include <cwchar>
#include <initializer_list>

#include "discovery/RegKey.h"

namespace {

const wchar_t kInstallerProductsKey[] = L"Installer\\Products";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kUserDataProductsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products";

// The product's own names, in the order they are tried.
const wchar_t* const kKnownProductNames[] = {
    L"Tobrin\u684C\u9762\u7248",  // Tobrin桌面版
    L"QuarnPC",
};

// The records live in the 64-bit view on 64-bit Windows, and this is a 32-bit program.
constexpr REGSAM kRead64 = KEY_READ | KEY_WOW64_64KEY;

// Name buffers sized by the registry's limits on names: 255 characters for a key, 16,383 for a value.
// A name at the very limit leaves no room for its terminator; its enumeration fails and it is skipped.
constexpr DWORD kSubKeyNameChars = 255;
constexpr DWORD kValueNameChars = 0x3FFF;
constexpr size_t kProductNameChars = 255;

// Values are read through 520-byte buffers: at most 259 characters.
constexpr size_t kValueBufferChars = 260;

// A fresh buffer for every read, so a read whose key does not open gives the empty text rather than
// the text of the read before it.
CString ReadHklmText(const wchar_t* keyPath, const wchar_t* valueName)
{
    DiscoveryBuffer text = {};
    ReadHklmStringValue(text, keyPath, valueName);
    return text;
}

}  // namespace

CProductDetector::CProductDetector()
{
    Reset();
}

CProductDetector::~CProductDetector() = default;

void CProductDetector::Reset()
{
    m_bFoundInProducts = false;
    m_bFoundInUninstall = false;
    m_bFoundInUserData = false;
    m_bLocalPackageExists = false;
    for (CString* text : {&m_strProductsKey, &m_strPackedCode, &m_strUninstallKey, &m_strUninstallSubKey,
                          &m_strUserDataKey, &m_strInstallPropertiesKey, &m_strUninstallString,
                          &m_strInstallLocation, &m_strLocalPackage, &m_strSourceHashPath,
                          &m_strInstallerCacheDir})
        text->Empty();
}

void CProductDetector::ReadInstallerProducts()
{
    DiscoveryBuffer subKey = {};
    m_bFoundInProducts = FindProductSubKey(kInstallerProductsKey, L"ProductName", subKey, HKEY_CLASSES_ROOT);
    if (!m_bFoundInProducts)
        return;
    m_strPackedCode = subKey;
    m_strProductsKey = CString(kInstallerProductsKey) + L"\\" + m_strPackedCode;
}

void CProductDetector::ReadUninstallEntry()
{
    DiscoveryBuffer subKey = {};
    m_bFoundInUninstall = FindProductSubKey(kUninstallKey, L"DisplayName", subKey, HKEY_LOCAL_MACHINE);
    if (!m_bFoundInUninstall)
        return;
    m_strUninstallSubKey = subKey;
    m_strUninstallKey = CString(kUninstallKey) + L"\\" + m_strUninstallSubKey;

    if (m_strInstallLocation.IsEmpty())
        m_strInstallLocation = ReadHklmText(m_strUninstallKey, L"InstallLocation");
    m_strUninstallString = ReadHklmText(m_strUninstallKey, L"UninstallString");
}

void CProductDetector::ReadUserDataProduct()
{
    // Without a packed code the path ends in its separator and the search runs all the same.
    const CString userDataKey = CString(kUserDataProductsKey) + L"\\" + m_strPackedCode;
    DiscoveryBuffer subKey = {};
    m_bFoundInUserData = FindProductSubKey(userDataKey, L"DisplayName", subKey, HKEY_LOCAL_MACHINE);
    if (!m_bFoundInUserData)
        return;
    m_strUserDataKey = userDataKey;
    m_strInstallPropertiesKey = userDataKey + L"\\" + subKey;

    m_strLocalPackage = ReadHklmText(m_strInstallPropertiesKey, L"LocalPackage");
    if (m_strInstallLocation.IsEmpty())
        m_strInstallLocation = ReadHklmText(m_strInstallPropertiesKey, L"InstallLocation");
    if (m_strUninstallString.IsEmpty())
        m_strUninstallString = ReadHklmText(m_strInstallPropertiesKey, L"UninstallString");
}

void CProductDetector::ReadInstallerCache()
{
    DiscoveryBuffer windows = {};
    GetWindowsDirectoryW(windows, kDiscoveryBufferChars);
    const CString folder = CString(windows) + L"\\Installer" + L"\\";
    m_strInstallerCacheDir = folder + m_strUninstallSubKey;
    m_strSourceHashPath = folder + L"SourceHash" + m_strUninstallSubKey;
    m_bLocalPackageExists = PathFileExistsW(m_strLocalPackage) == TRUE;
}

bool FindProductSubKey(const wchar_t* keyPath, const wchar_t* valueName, DiscoveryBuffer& subKeyName,
                       HKEY root)
{
    CScopedRegKey key;
    if (OpenRegKey(key, root, keyPath, kRead64) != ERROR_SUCCESS)
        return false;

    DWORD subKeys = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        subKeys = 0;

    // Every subkey is examined, so of several matches the last one in enumeration order is kept.
    bool found = false;
    wchar_t name[kSubKeyNameChars];
    for (DWORD index = 0; index < subKeys; ++index) {
        DWORD nameChars = kSubKeyNameChars;
        if (RegEnumKeyExW(key.Get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        if (MatchProductValue(key.Get(), name, valueName)) {
            StringCchCopyW(subKeyName, kDiscoveryBufferChars, name);
            found = true;
        }
    }
    return found;
}

bool MatchProductValue(HKEY parent, const wchar_t* subKeyName, const wchar_t* valueName)
{
    CScopedRegKey key;
    if (OpenRegKey(key, parent, subKeyName, kRead64) != ERROR_SUCCESS)
        return false;

    DWORD values = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;

    // The names are enumerated rather than the value read by name because the registry would find
    // the value under any letter case, and only the exact name counts.
    wchar_t candidate[kProductNameChars] = {};
    wchar_t name[kValueNameChars];
    for (DWORD index = 0; index < values; ++index) {
        DWORD nameChars = kValueNameChars;
        if (RegEnumValueW(key.Get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        if (wcscmp(name, valueName) == 0) {
            QueryRegText(key.Get(), name, candidate);
            break;
        }
    }
    return IsKnownProductName(candidate);
}

bool IsKnownProductName(const CString& text)
{
    // std::wstring's comparison sees the whole text, so a NUL inside it cannot shorten it to a match.
    for (const wchar_t* known : kKnownProductNames) {
        if (text.str() == known)
            return true;
    }
    return false;
}

void ReadHklmStringValue(DiscoveryBuffer& text, const wchar_t* keyPath, const wchar_t* valueName)
{
    CScopedRegKey key;
    if (OpenRegKey(key, HKEY_LOCAL_MACHINE, keyPath, kRead64) != ERROR_SUCCESS)
        return;
    QueryRegText(key.Get(), valueName, text, kValueBufferChars);
}
