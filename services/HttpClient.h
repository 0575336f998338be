#pragma once
// CHttpClient: one synchronous HTTP GET through WinINet, delivered into an output byte stream or into a
// file the caller has opened. A client is made for one transfer, as a local object, on one thread.
//
// Result codes (0 is success):
//   0x10000001  the system reports no Internet connection (InternetGetConnectedState)
//   0x10000002  no Internet handle (InternetOpenW)
//   0x10000003  the URL cannot be opened: a scheme WinINet does not know, host unknown, connection
//               refused, login refused, no response
//   0x10000004  the response status is not 200 (when it can be read)
//   0x10000006  a read failed (InternetReadFile)
//   0x10000009  memory transfer only: the response has no readable Content-Length
//   0x1000000a  memory transfer only: more than five times the Content-Length arrived
//   0x20000001  the cancel event was found signalled before a read
//
// What the server receives: the agent string as User-Agent, the no-cache pragma (every request goes to
// the origin and nothing is cached), and the header block, which holds the four characters "/r/n" rather
// than line breaks and so forms the one Accept line, carrying the whole block. No Accept-Encoding is
// sent and the body is taken as it arrives. Redirects are followed, with WinINet's default time-outs. A
// user name and password in the URL answer the server's challenge for credentials.
//
// A URL of another scheme WinINet opens (ftp://) has neither status nor length: the memory transfer ends
// with 0x10000009 and the file transfer reads to the end.

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <iosfwd>
#include <map>

#include "framework/File.h"
#include "framework/String.h"
#include "services/ScopedHandle.h"

// The record of one transfer.
struct CHttpRequest
{
    DWORD dwReceived;   // bytes received so far (file transfer only)
    DWORD dwTotal;      // the Content-Length, 0 when unknown
    DWORD dwElapsed;    // ms since the read loop began as last measured; 10 while nothing was measured
    HANDLE hCancel;     // tested before each read; may be NULL for a file transfer
    CString strUrl;
};

class CHttpClient
{
public:
    CHttpClient();
    // Signals and closes the client's own event.
    ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    // Fetches `url` into `stream`. The response needs a Content-Length; the body is read to the end of the
    // data, stopping with 0x1000000a once more than five times that length has arrived. Cancelled only by
    // the client's own event, which nothing signals while the transfer runs. Bytes read before a failure
    // stay in the stream.
    int GetToStream(const CString& url, std::ostream& stream);

    // Fetches `url` into `file`, open for writing; the caller closes it. A missing Content-Length is no
    // failure and no size limit applies. `cancel` (may be NULL) is tested before every read, so a signal
    // ends the transfer with 0x20000001 after the current read: the connection and the status query
    // always run first. Progress goes to m_pProgress when set. A failed write is not turned into a
    // code: the file's CFileException passes to the caller after the WinINet handles are closed.
    int DownloadToFile(CFile& file, const CString& url, HANDLE cancel);

    // The text for a result code: none is known, so always the empty string.
    CString GetErrorText(int code) const;

    // Per-mille progress of a file transfer, set by the caller before it and written by the transferring
    // thread, one atomic store per block: 0 while the Content-Length is unknown, 1000.0 / (total /
    // received) truncated (above 1000 when more arrives than announced), exactly 1000 once the end of the
    // data is reached. NULL: no progress is published.
    std::atomic<int>* m_pProgress;

protected:
    int ReadToStream(CHttpRequest& request, std::ostream& stream);
    int ReadToFile(CHttpRequest& request, CFile& file);
    // Stores the progress of the finished record (received equal to total): always 1000.
    void FinishProgress(const CHttpRequest& request);

private:
    struct InternetHandleTraits
    {
        using Handle = HINTERNET;
        static Handle Null() { return nullptr; }
        static bool IsValid(Handle handle) { return handle != nullptr; }
        static bool Close(Handle handle);
    };
    using CScopedInternetHandle = CScopedHandleT<InternetHandleTraits>;

    // The handles of one opened request, declared in the order of opening so that they close in reverse:
    // request first, the Internet handle last.
    struct OpenRequest
    {
        CScopedInternetHandle hSession;
        CScopedInternetHandle hConnection;
        CScopedInternetHandle hRequest;
        DWORD dwContentLength = 0;
        bool bHasContentLength = false;
    };

    // The opening common to both transfers: connected state, Internet handle, request, status and length.
    // 0 when the body can be read.
    int Open(const CHttpRequest& request, OpenRequest& open) const;
    // Connects, opens and sends the GET of an http or https URL; false when any step fails.
    bool SendHttpRequest(const URL_COMPONENTSW& parts, OpenRequest& open) const;
    void PublishProgress(const CHttpRequest& request);

    CString m_strUserAgent;
    CString m_strHeaders;
    std::map<int, CString> m_mapErrorText;
    CScopedHandle m_hEvent;
};

// Closes a non-null WinINet handle and sets the variable to NULL. False only when the close failed.
bool CloseInternetHandle(HINTERNET& handle);
