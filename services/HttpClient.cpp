#include "services/HttpClient.h"

#include <climits>
#include <ostream>

namespace {

constexpr int kConnectedStateFailed = 0x10000001;
constexpr int kInternetOpenFailed = 0x10000002;
constexpr int kOpenUrlFailed = 0x10000003;
constexpr int kStatusNotOk = 0x10000004;
constexpr int kReadFailed = 0x10000006;
constexpr int kNoContentLength = 0x10000009;
constexpr int kBodyTooLarge = 0x1000000a;
constexpr int kCancelled = 0x20000001;

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 8.0; Trident/4.0)";
// The separators are the four characters "/r/n", not line breaks, and are sent as they stand.
constexpr wchar_t kHeaders[] =
    L"Accept: */*/r/nAccept-Language: zh-cn/r/nAccept-Encoding: gzip, deflate/r/n"
    L"User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; )";
static_assert(sizeof kHeaders / sizeof kHeaders[0] - 1 == 123, "the header block is 123 characters");

constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kOpenFlags == 0x84000100, "reload, no cache write, no-cache pragma");

constexpr DWORD kReadBlock = 1024;
constexpr unsigned long long kMemoryLimitFactor = 5;

bool IsSignalled(HANDLE event)
{
    return event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// 1000 / (total / received) in double precision, truncated toward zero. A body far longer than its
// announced length would leave the range of an int; it stays at the largest value instead.
int ProgressOf(DWORD received, DWORD total)
{
    if (total == 0 || received == 0)
        return 0;
    const double progress = 1000.0 / (static_cast<double>(total) / static_cast<double>(received));
    if (progress >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(progress);
}

}  // namespace

bool CloseInternetHandle(HINTERNET& handle)
{
    if (handle == nullptr)
        return true;
    const bool closed = InternetCloseHandle(handle) != FALSE;
    handle = nullptr;
    return closed;
}

bool CHttpClient::InternetHandleTraits::Close(Handle handle)
{
    return CloseInternetHandle(handle);
}

CHttpClient::CHttpClient()
    : m_pProgress(nullptr),
      m_strUserAgent(kUserAgent),
      m_strHeaders(kHeaders),
      m_hEvent(CreateEventW(nullptr,    // default security
                            TRUE,       // manual reset
                            FALSE,      // unsignalled
                            nullptr))   // no name
{
}

CHttpClient::~CHttpClient()
{
    if (m_hEvent)
        SetEvent(m_hEvent.Get());
    m_hEvent.Close();
}

int CHttpClient::GetToStream(const CString& url, std::ostream& stream)
{
    CHttpRequest request = {0, 0, 0, m_hEvent.Get(), url};
    return ReadToStream(request, stream);
}

int CHttpClient::DownloadToFile(CFile& file, const CString& url, HANDLE cancel)
{
    CHttpRequest request = {0, 0, 0, cancel, url};
    return ReadToFile(request, file);
}

CString CHttpClient::GetErrorText(int code) const
{
    const auto found = m_mapErrorText.find(code);
    return found == m_mapErrorText.end() ? CString() : found->second;
}

int CHttpClient::Open(const CHttpRequest& request, OpenRequest& open) const
{
    const CString url = request.strUrl;
    DWORD connection = 0;
    if (!InternetGetConnectedState(&connection, 0))
        return kConnectedStateFailed;

    const DWORD access = (connection & INTERNET_CONNECTION_PROXY) ? INTERNET_OPEN_TYPE_PRECONFIG
                                                                   : INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
    open.hSession.Reset(InternetOpenW(m_strUserAgent,
                                      access,
                                      nullptr,    // no proxy name
                                      nullptr,    // no bypass list
                                      0));        // synchronous
    if (!open.hSession)
        return kInternetOpenFailed;

    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = 1;   // non-zero: point into the URL
    parts.dwUserNameLength = 1;
    parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url, 0, 0, &parts))
        return kOpenUrlFailed;
    if (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS) {
        if (!SendHttpRequest(parts, open))
            return kOpenUrlFailed;
    } else {
        // Another scheme (an ftp:// package address) is WinINet's to open. The extra Accept line that
        // InternetOpenUrlW would add is an HTTP matter.
        open.hRequest.Reset(InternetOpenUrlW(open.hSession.Get(),
                                             url,
                                             m_strHeaders,
                                             static_cast<DWORD>(m_strHeaders.GetLength()),
                                             kOpenFlags,
                                             0));         // no context
        if (!open.hRequest)
            return kOpenUrlFailed;
    }

    // Neither query answers on a handle that is not HTTP: the status is then taken for 200 and the length
    // for unknown.
    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpQueryInfoW(open.hRequest.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)
        && status != HTTP_STATUS_OK)
        return kStatusNotOk;

    DWORD length = 0;
    size = sizeof length;
    open.bHasContentLength =
        HttpQueryInfoW(open.hRequest.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)
        != FALSE;
    open.dwContentLength = open.bHasContentLength ? length : 0;
    return 0;
}

// Built from its parts rather than through InternetOpenUrlW, which would add an Accept line of its own
// ahead of the one the header block forms.
bool CHttpClient::SendHttpRequest(const URL_COMPONENTSW& parts, OpenRequest& open) const
{
    if (parts.dwHostNameLength == 0)
        return false;
    const CString host(parts.lpszHostName, static_cast<int>(parts.dwHostNameLength));
    // Given to the connection, a user name and password answer the server's challenge as InternetOpenUrlW
    // would have them answer it.
    const CString user(parts.lpszUserName, static_cast<int>(parts.dwUserNameLength));
    const CString password(parts.lpszPassword, static_cast<int>(parts.dwPasswordLength));
    CString object = CString(parts.lpszUrlPath, static_cast<int>(parts.dwUrlPathLength))
                   + CString(parts.lpszExtraInfo, static_cast<int>(parts.dwExtraInfoLength));
    if (object.IsEmpty())
        object = L"/";

    open.hConnection.Reset(InternetConnectW(open.hSession.Get(),
                                            host,
                                            parts.nPort,
                                            user.IsEmpty() ? nullptr : user.GetString(),
                                            password.IsEmpty() ? nullptr : password.GetString(),
                                            INTERNET_SERVICE_HTTP,
                                            0,
                                            0));          // no context
    if (!open.hConnection)
        return false;
    const DWORD flags = kOpenFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    open.hRequest.Reset(HttpOpenRequestW(open.hConnection.Get(),
                                         L"GET",
                                         object,
                                         nullptr,         // HTTP/1.1
                                         nullptr,         // no referrer
                                         nullptr,         // no accept types: the header block brings the Accept line
                                         flags,
                                         0));             // no context
    return open.hRequest
        && HttpSendRequestW(open.hRequest.Get(),
                            m_strHeaders,
                            static_cast<DWORD>(m_strHeaders.GetLength()),
                            nullptr,                      // no body
                            0);
}

int CHttpClient::ReadToStream(CHttpRequest& request, std::ostream& stream)
{
    OpenRequest open;
    const int opened = Open(request, open);
    if (opened != 0)
        return opened;

    int result = open.bHasContentLength ? 0 : kNoContentLength;
    if (open.dwContentLength == 0)
        return result;

    // In 64 bits: five times a length near 4 GiB does not fit in 32.
    const unsigned long long limit = kMemoryLimitFactor * open.dwContentLength;
    unsigned long long received = 0;
    char block[kReadBlock];
    for (;;) {
        if (IsSignalled(request.hCancel)) {
            result = kCancelled;
            break;
        }
        DWORD read = 0;
        if (!InternetReadFile(open.hRequest.Get(), block, kReadBlock, &read)) {
            result = kReadFailed;
            break;
        }
        if (read == 0)
            break;
        stream.write(block, static_cast<std::streamsize>(read));
        received += read;
        if (received > limit) {
            result = kBodyTooLarge;
            break;
        }
    }
    return result;
}

int CHttpClient::ReadToFile(CHttpRequest& request, CFile& file)
{
    OpenRequest open;
    const int opened = Open(request, open);
    if (opened != 0)
        return opened;

    int result = 0;
    const DWORD total = open.dwContentLength;
    DWORD elapsed = 10;
    const DWORD start = GetTickCount();
    DWORD received = 0;
    char block[kReadBlock];
    for (;;) {
        if (IsSignalled(request.hCancel)) {
            result = kCancelled;
            break;
        }
        DWORD read = 0;
        if (!InternetReadFile(open.hRequest.Get(), block, kReadBlock, &read)) {
            result = kReadFailed;
            break;
        }
        if (read == 0) {
            request.dwReceived = total;
            request.dwTotal = total;
            request.dwElapsed = elapsed;
            FinishProgress(request);
            break;
        }
        file.Write(block, read);
        received += read;
        request.dwReceived = received;
        request.dwTotal = total;
        request.dwElapsed = elapsed;
        PublishProgress(request);
        elapsed = GetTickCount() - start;
        if (elapsed == 0)
            elapsed = 10;
    }
    return result;
}

void CHttpClient::PublishProgress(const CHttpRequest& request)
{
    if (m_pProgress)
        m_pProgress->store(ProgressOf(request.dwReceived, request.dwTotal));
}

void CHttpClient::FinishProgress(const CHttpRequest& request)
{
    if (!m_pProgress)
        return;
    // Received equals total here, also when both are 0 because the length was never known.
    m_pProgress->store(request.dwReceived == request.dwTotal ? 1000 : ProgressOf(request.dwReceived, request.dwTotal));
}
