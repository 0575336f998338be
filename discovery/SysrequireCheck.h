#pragma once
// KqSysrequireCheck: whether the browser rendering engine, the system's mshtml.dll, is version 8 or
// later. Used as an automatic object; the program's own start-up check leaves the override off.

#include <windows.h>

class KqSysrequireCheck
{
public:
    // While `bOverride` is non-zero, IsBrowserSupported answers `bOverrideResult`, whatever the engine.
    explicit KqSysrequireCheck(BYTE bOverride = 0, BYTE bOverrideResult = 0)
        : m_bOverride(bOverride), m_bOverrideResult(bOverrideResult)
    {
    }
    virtual ~KqSysrequireCheck() = default;

    // True when the file version of "mshtml.dll", found by the system's search order for libraries,
    // has a major version of 8 or more. A missing file or one without version information fails.
    bool IsBrowserSupported() const;

    BYTE m_bOverride;
    BYTE m_bOverrideResult;
};
