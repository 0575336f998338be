#include "discovery/InstallPathFinder.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <initializer_list>
#include <memory>

#include "discovery/RegKey.h"
#include "services/Process.h"

namespace {

const wchar_t kQuarnKey[] = L"SOFTWARE\\quarn\\quarn";
const wchar_t kBrowserKey[] = L"SOFTWARE\\QuarnBrowser";
const wchar_t kBrowserUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuarnBrowser";
const wchar_t kLocalAppDataSubFolder[] = L"\\QuarnBrowser\\";

// The uninstall entry lives in the 64-bit view on 64-bit Windows, and this is a 32-bit program.
constexpr REGSAM kRead64 = KEY_READ | KEY_WOW64_64KEY;
constexpr size_t kUninstallValueChars = 260;  // 520 bytes

struct PidlFree
{
    void operator()(ITEMIDLIST* pidl) const { ILFree(pidl); }
};

// Reads a value of a per-user key in the program's own registry view into a 512-byte buffer. False,
// with `text` untouched, when the key does not open.
bool ReadUserText(const wchar_t* keyPath, const wchar_t* valueName, CString& text)
{
    CScopedRegKey key;
    if (OpenRegKey(key, HKEY_CURRENT_USER, keyPath, KEY_READ) != ERROR_SUCCESS)
        return false;
    wchar_t value[256];  // 512 bytes
    QueryRegText(key.Get(), valueName, value);
    text = value;
    return true;
}

// A prefix test on characters alone: "C:\Program Files Extra" lies under "C:\Program Files" too.
bool StartsWithFolder(const CString& path, const CString& folder)
{
    return path.Left(folder.GetLength()).CompareNoCase(folder) == 0;
}

// Removes the subkey "Path" with everything below it; the value "Path" that ReadQuarnPath read stays.
void DeletePathSubKey()
{
    CScopedRegKey key;
    if (OpenRegKey(key,
                   HKEY_CURRENT_USER,
                   L"Software\\quarn\\quarn",
                   KEY_READ | KEY_WOW64_64KEY | KEY_CREATE_SUB_KEY | KEY_SET_VALUE) == ERROR_SUCCESS)
        SHDeleteKeyW(key.Get(), L"Path");
}

}  // namespace

CString CInstallPathFinder::FindInstallPath()
{
    ReadQuarnPath();
    ReadMsiInstallLocation();
    ReadDestinationFolder();
    ReadUninstallLocation();
    MakeLocalAppDataPath();
    AvoidProgramFiles();
    DeletePathSubKey();

    // A folder too long to be handed to the installer counts as absent: the next one is proposed, and
    // when none is left the installer chooses for itself.
    CString handed;
    m_strResult.Empty();
    for (const CString* candidate : {&m_strUninstallLocation, &m_strDestinationFolder, &m_strMsiLocation,
                                     &m_strQuarnPath, &m_strLocalAppDataPath}) {
        if (!candidate->IsEmpty() && MakeFolderArgument(*candidate, handed)) {
            m_strResult = *candidate;
            break;
        }
    }
    return m_strResult;
}

void CInstallPathFinder::ReadQuarnPath()
{
    ReadUserText(kQuarnKey, L"Path", m_strQuarnPath);
}

void CInstallPathFinder::ReadMsiInstallLocation()
{
    CProductDetector detector;
    detector.ReadInstallerProducts();
    detector.ReadUninstallEntry();
    detector.ReadUserDataProduct();
    detector.ReadInstallerCache();
    m_strMsiLocation = detector.GetInstallLocation();
}

void CInstallPathFinder::ReadDestinationFolder()
{
    if (ReadUserText(kBrowserKey, L"DestinationFolder", m_strDestinationFolder))
        StripApplicationSuffix(m_strDestinationFolder);
}

void CInstallPathFinder::ReadUninstallLocation()
{
    std::vector<CString> locations;
    CollectUninstallLocations(locations);
    m_strUninstallLocation = FrontOrEmpty(locations);
}

void CInstallPathFinder::MakeLocalAppDataPath()
{
    m_strLocalAppDataPath = GetLocalAppDataFolder() + kLocalAppDataSubFolder;
}

void CInstallPathFinder::AvoidProgramFiles()
{
    // An empty Program Files folder is a prefix of everything, so when it cannot be found every
    // candidate counts as lying under it.
    const CString longForm = GetProgramFilesFolder();
    const CString shortForm = GetShortPathOrSelf(longForm);
    for (CString* candidate : {&m_strQuarnPath, &m_strMsiLocation}) {
        if (!candidate->IsEmpty() &&
            (StartsWithFolder(*candidate, shortForm) || StartsWithFolder(*candidate, longForm)))
            *candidate = m_strLocalAppDataPath;
    }
}

void StripApplicationSuffix(CString& path)
{
    static const wchar_t kSuffix[] = L"Application";
    const int suffixLength = static_cast<int>(wcslen(kSuffix));
    const int length = path.GetLength();
    if (length < suffixLength || _wcsicmp(path.GetString() + (length - suffixLength), kSuffix) != 0)
        return;
    // The character before the suffix goes too: it is taken to be the separator.
    path.Truncate(length > suffixLength ? length - suffixLength - 1 : 0);
}

BOOL ReadUninstallValue(DiscoveryBuffer& text, HKEY root, const wchar_t* valueName)
{
    CScopedRegKey key;
    if (OpenRegKey(key, root, kBrowserUninstallKey, kRead64) != ERROR_SUCCESS)
        return FALSE;
    QueryRegText(key.Get(), valueName, text, kUninstallValueChars);
    return TRUE;
}

void CollectUninstallLocations(std::vector<CString>& locations)
{
    locations.clear();
    locations.reserve(5);
    // The machine-wide entry comes first whenever its key exists, even without a location in it.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        DiscoveryBuffer text = {};
        if (ReadUninstallValue(text, root, L"InstallLocation"))
            locations.push_back(text);
    }
}

CString FrontOrEmpty(const std::vector<CString>& list)
{
    return list.empty() ? CString() : list.front();
}

CString GetSpecialFolderPath(int csidl)
{
    ITEMIDLIST* raw = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &raw)) || !raw)
        return CString();
    const std::unique_ptr<ITEMIDLIST, PidlFree> pidl(raw);
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(pidl.get(), path))
        return CString();
    return path;
}

CString GetLocalAppDataFolder()
{
    return GetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
}

CString GetProgramFilesFolder()
{
    return GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
}

CString GetShortPathOrSelf(const CString& path)
{
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return path;
    return shortPath;
}
