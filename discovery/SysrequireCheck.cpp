#include "discovery/SysrequireCheck.h"

#include "services/FileDigest.h"

namespace {

// Major version 8, any minor version, in the file version's most significant word.
constexpr DWORD kMinimumEngineVersionMS = 0x80000;

}  // namespace

bool KqSysrequireCheck::IsBrowserSupported() const
{
    if (m_bOverride)
        return m_bOverrideResult != 0;
    // GetFileVersion leaves both words 0 when it cannot read them, which reads as too old.
    DWORD versionMS = 0;
    DWORD versionLS = 0;
    GetFileVersion(versionMS, versionLS, L"mshtml.dll");
    return versionMS >= kMinimumEngineVersionMS;
}
