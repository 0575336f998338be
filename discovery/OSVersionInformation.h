#pragma once
// KqOSCVersionInformation: the Windows version as one number, (major << 16) | minor, on Windows NT
// platforms; 0 on any other platform. Used as an automatic object: construct, GetOSVersion, read.

#include <windows.h>

class KqOSCVersionInformation
{
public:
    KqOSCVersionInformation() = default;
    virtual ~KqOSCVersionInformation() = default;

    // Fills m_dwVersion from GetVersionExW, asking first with the extended structure and then with the
    // plain one. FALSE, with m_dwVersion unchanged, only when Windows answers neither.
    BOOL GetOSVersion();

    DWORD m_dwVersion = 0;
};

// (low 16 bits of the major version) << 16 | (low 16 bits of the minor version) for
// VER_PLATFORM_WIN32_NT; 0 for any other platform.
DWORD MakeOSVersionNumber(const OSVERSIONINFOW& info);
