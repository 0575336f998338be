#include "update/UpdateInfo.h"

#include <sstream>
#include <stdexcept>

#include "app/Constants.h"
#include "json/JsonObjectFunctions.h"
#include "services/HttpClient.h"
#include "services/TextConvert.h"

namespace {

// The JSON library refuses a top-level array with a type error. An array is no more a version
// document than a bare string or number is, and those read as an empty object: so does the array.
void ParseDocument(const std::string& text, JsonObject& document)
{
    try {
        JsonParseToObject(text, document);
    } catch (const std::runtime_error&) {
        document.clear();
    }
}

}  // namespace

bool HttpGetString(std::string& out, const std::string& url)
{
    std::ostringstream stream;
    CHttpClient client;
    const int code = client.GetToStream(Utf8ToCString(url), stream);
    out = stream.str();
    return code == 0;
}

CUpdateInfo::CUpdateInfo()
{
    Reset();
}

void CUpdateInfo::Reset()
{
    m_strVersion.Empty();
    m_strMd5.Empty();
    m_strPackUrl.Empty();
    m_packurl.clear();
    m_readmeurl.clear();
    m_version.clear();
    m_md5.clear();
    m_versionDocUrl = g_strInstVersionUrl;
}

bool CUpdateInfo::FetchAndParse()
{
    const std::string url = m_versionDocUrl;
    std::string response;
    const bool fetched = HttpGetString(response, url);
    if (fetched) {
        JsonObject document;
        ParseDocument(response, document);
        m_packurl = JsonGetString(document, g_strKeyPackUrl);
        m_readmeurl = JsonGetString(document, g_strKeyReadmeUrl);
        m_version = JsonGetString(document, g_strKeyVersion);
        m_md5 = JsonGetString(document, g_strKeyMd5);
        m_minimumsupportedversion = JsonGetString(document, g_strKeyMinimumSupportedVersion);
        m_minimumstartupversion = JsonGetString(document, g_strKeyMinimumStartupVersion);
        FillDefaultUrls();
    } else {
        // A partial body is no document: nothing of it is kept.
        m_packurl.clear();
        m_readmeurl.clear();
        m_version.clear();
        m_md5.clear();
        m_minimumstartupversion.clear();
        m_minimumsupportedversion.clear();
    }
    m_strPackUrl = Utf8ToCString(m_packurl);
    m_strMd5 = Utf8ToCString(m_md5);
    m_strVersion = Utf8ToCString(m_version);
    return fetched;
}

bool CUpdateInfo::FillDefaultUrls()
{
    if (m_packurl.empty()) {
        std::ostringstream path;
        path << "/quarn_" << m_version << ".exe";
        m_packurl = g_strInstallerUrlBase + path.str();
    }
    if (m_readmeurl.empty()) {
        std::ostringstream path;
        path << "/quarn_" << m_version << ".readme";
        m_readmeurl = g_strInstallerUrlBase + path.str();
    }
    return true;
}
