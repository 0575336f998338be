#pragma once
// The version document of the update server: a JSON object of which six string members are read,
// "packurl", "readmeurl", "version", "md5", "minimumsupportedversion" and "minimumstartupversion". A
// member of any other type than string reads as empty, except an object member, which reads as its
// compact JSON text; keys match exactly, letter case included.

#include <string>

#include "framework/String.h"

// HTTP GET of `url` (UTF-8) into `out`. True when the transfer succeeded; `out` holds whatever arrived
// either way, so a failed transfer may leave part of a body there. Not cancellable.
bool HttpGetString(std::string& out, const std::string& url);

// What one reading of the version document gave. Use: construct, Reset, FetchAndParse, then the three
// getters, which give empty texts after a failed fetch.
class CUpdateInfo
{
public:
    CUpdateInfo();

    // Empties every value but the two minimum versions and points m_versionDocUrl at the version
    // document (g_strInstVersionUrl).
    void Reset();

    // Fetches m_versionDocUrl and reads it. False when the fetch failed: then all six values are empty.
    // A body that arrived whole but holds no object (empty, malformed, a bare value or an array) reads
    // as an empty object: true, with empty values and the default URLs made with an empty version.
    bool FetchAndParse();

    // Fills m_packurl and m_readmeurl, where empty, with g_strInstallerUrlBase + "/quarn_" + version +
    // ".exe" / ".readme". Always true.
    bool FillDefaultUrls();

    CString GetMd5() const { return m_strMd5; }
    CString GetVersion() const { return m_strVersion; }
    CString GetPackUrl() const { return m_strPackUrl; }

    // Wide copies of m_md5, m_version and m_packurl, made at the end of every FetchAndParse.
    CString m_strMd5;
    CString m_strVersion;
    CString m_strPackUrl;
    std::string m_versionDocUrl;
    std::string m_md5;
    std::string m_packurl;
    std::string m_version;
    std::string m_readmeurl;
    std::string m_minimumsupportedversion;
    std::string m_minimumstartupversion;
};
