#pragma once
// CInstallPathFinder: the folder to propose for installation. It gathers candidates from the product's
// and the browser's per-user keys, the browser's uninstall entry, the installed-product records and
// the local application-data folder, replaces those under Program Files, deletes the subkey "Path" of
// HKEY_CURRENT_USER\Software\quarn\quarn, and returns the first non-empty candidate. Folders come back
// as the registry holds them; only the last resort, local application data + "\QuarnBrowser\", is
// guaranteed a trailing backslash. It never reports an error.

#include <windows.h>

#include <vector>

#include "discovery/ProductDetector.h"
#include "framework/String.h"

class CInstallPathFinder
{
public:
    CInstallPathFinder() = default;
    ~CInstallPathFinder() = default;
    CInstallPathFinder(const CInstallPathFinder&) = delete;
    CInstallPathFinder& operator=(const CInstallPathFinder&) = delete;

    // Runs every step once; call once per object, on the thread that created it. Priority: uninstall
    // location, destination folder, installed-product location, product "Path", local application data;
    // the first that is not empty and can be handed to the installer (MakeFolderArgument), else empty.
    CString FindInstallPath();

private:
    void ReadQuarnPath();
    void ReadMsiInstallLocation();
    void ReadDestinationFolder();
    void ReadUninstallLocation();
    void MakeLocalAppDataPath();
    void AvoidProgramFiles();

    CString m_strResult;
    CString m_strQuarnPath;
    CString m_strMsiLocation;
    CString m_strDestinationFolder;
    CString m_strUninstallLocation;
    CString m_strLocalAppDataPath;
};

// Cuts a trailing "Application" (any letter case) together with the one character before it; a path
// that is just "Application" becomes empty. Other paths are left as they are.
void StripApplicationSuffix(CString& path);

// Reads `valueName` of the browser's uninstall key under `root` (64-bit view) into `text`, which the
// caller zero-fills: at most 259 characters, the empty text when the value is missing or too long.
// TRUE when the key opened, FALSE (and `text` untouched) when it did not.
BOOL ReadUninstallValue(DiscoveryBuffer& text, HKEY root, const wchar_t* valueName);

// Replaces `locations` with the "InstallLocation" of the machine-wide uninstall key when that key
// exists (even when the value is missing), then that of the per-user key when it exists.
void CollectUninstallLocations(std::vector<CString>& locations);

// The first element, or the empty text.
CString FrontOrEmpty(const std::vector<CString>& list);

// The file-system path of a shell special folder (a CSIDL number); empty when there is none.
CString GetSpecialFolderPath(int csidl);
CString GetLocalAppDataFolder();
CString GetProgramFilesFolder();

// The 8.3 form of an existing path (at most 259 characters); the path itself when Windows cannot give
// one, so that a failed lookup never stands for "no folder".
CString GetShortPathOrSelf(const CString& path);
