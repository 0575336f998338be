#pragma once
// CProductDetector: finds the product's records among the Windows Installer and uninstall keys of the
// registry. A record is the product's when its name value equals one of the known product names
// exactly. The detector never reports an error: whatever cannot be read leaves its fields empty/false.
//
// Use: construct, call ReadInstallerProducts, ReadUninstallEntry, ReadUserDataProduct and
// ReadInstallerCache in exactly this order (each reads fields the earlier ones filled), then
// GetInstallLocation.

#include <windows.h>

#include <cstddef>

#include "framework/String.h"

// Characters of the path, name and value buffers that the discovery readers hand to each other.
constexpr size_t kDiscoveryBufferChars = 520;
using DiscoveryBuffer = wchar_t[kDiscoveryBufferChars];

class CProductDetector
{
public:
    CProductDetector();
    ~CProductDetector();
    CProductDetector(const CProductDetector&) = delete;
    CProductDetector& operator=(const CProductDetector&) = delete;

    // Every flag false, every text empty.
    void Reset();

    // HKEY_CLASSES_ROOT "Installer\Products": the packed product code whose "ProductName" is known.
    void ReadInstallerProducts();
    // HKEY_LOCAL_MACHINE uninstall key: the last subkey whose "DisplayName" is known, with its
    // "InstallLocation" (only while none is known yet) and its "UninstallString".
    void ReadUninstallEntry();
    // The LocalSystem user-data record of the packed code: "LocalPackage", and "InstallLocation" and
    // "UninstallString" where the uninstall entry gave none.
    void ReadUserDataProduct();
    // Windows Installer cache paths of the uninstall subkey and whether the local package exists; runs
    // whether or not anything was found before it.
    void ReadInstallerCache();

    CString GetInstallLocation() const { return m_strInstallLocation; }

    bool m_bFoundInProducts;
    CString m_strProductsKey;
    CString m_strPackedCode;
    bool m_bFoundInUninstall;
    CString m_strUninstallKey;
    CString m_strUninstallSubKey;
    bool m_bFoundInUserData;
    CString m_strUserDataKey;
    CString m_strInstallPropertiesKey;
    bool m_bLocalPackageExists;
    CString m_strUninstallString;
    CString m_strInstallLocation;
    CString m_strLocalPackage;
    CString m_strSourceHashPath;
    CString m_strInstallerCacheDir;
};

// True when some subkey of root\keyPath (64-bit view) holds a known product name in its value
// `valueName`; `subKeyName` then holds the name of the last such subkey in enumeration order.
// Otherwise false, and `subKeyName` is untouched.
bool FindProductSubKey(const wchar_t* keyPath, const wchar_t* valueName, DiscoveryBuffer& subKeyName,
                       HKEY root);

// Whether parent\subKeyName holds a known product name in the value whose name is exactly
// `valueName`; a value name differing only in letter case does not count.
bool MatchProductValue(HKEY parent, const wchar_t* subKeyName, const wchar_t* valueName);

// Whether `text` equals "Tobrin桌面版" or "QuarnPC", comparing UTF-16 code units exactly.
bool IsKnownProductName(const CString& text);

// Copies the text of HKEY_LOCAL_MACHINE\keyPath (64-bit view), value `valueName`, into `text`: at most
// 259 characters, the empty text when the value is missing or too long. When the key does not open,
// `text` is left unchanged.
void ReadHklmStringValue(DiscoveryBuffer& text, const wchar_t* keyPath, const wchar_t* valueName);
