#include "discovery/OSVersionInformation.h"

BOOL KqOSCVersionInformation::GetOSVersion()
{
    // OSVERSIONINFOEXW begins with OSVERSIONINFOW, so systems that know only the shorter structure
    // are asked again in the same memory with the shorter size.
    OSVERSIONINFOEXW info = {};
    OSVERSIONINFOW* plain = reinterpret_cast<OSVERSIONINFOW*>(&info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW(plain)) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(plain))
            return FALSE;
    }
    m_dwVersion = MakeOSVersionNumber(*plain);
    return TRUE;
}

DWORD MakeOSVersionNumber(const OSVERSIONINFOW& info)
{
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return 0;
    return (info.dwMajorVersion & 0xFFFF) << 16 | (info.dwMinorVersion & 0xFFFF);
}
