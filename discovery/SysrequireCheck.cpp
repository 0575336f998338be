#include "discovery/SysrequireCheck.h"

#include "discovery/OSVersionInformation.h"
#include "services/FileDigest.h"

namespace {

// Major version 8, any minor version, in the file version's most significant word.
constexpr DWORD kMinimumEngineVersionMS = 0x80000;

}  // namespace

bool KqSysrequireCheck::IsBrowserSupported() const
{
    // GetFileVersion leaves both words 0 when it cannot read them, which reads as too old.
    DWORD versionMS = 0;
    DWORD versionLS = 0;
    GetFileVersion(versionMS, versionLS, L"mshtml.dll");

    // The Windows version is taken along with the engine's; no Windows version changes the answer.
    KqOSCVersionInformation os;
    os.GetOSVersion();

    const bool supported = versionMS >= kMinimumEngineVersionMS;
    return m_bOverride ? m_bOverrideResult != 0 : supported;
}
