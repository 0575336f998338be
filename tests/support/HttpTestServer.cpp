#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "tests/support/HttpTestServer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quarntest {

namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
// Holds and pauses look at the server's state this often, so a stopping server never waits on them long.
constexpr unsigned kPollMs = 20;

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

HttpRecordedRequest ParseHead(const std::string& head)
{
    HttpRecordedRequest request;
    request.raw = head;
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < head.size()) {
        const std::size_t lineEnd = head.find("\r\n", lineStart);
        if (lineEnd == std::string::npos || lineEnd == lineStart)
            break;
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (first) {
            first = false;
            const std::size_t a = line.find(' ');
            const std::size_t b = line.find(' ', a == std::string::npos ? a : a + 1);
            request.method = line.substr(0, a);
            if (a != std::string::npos)
                request.target = line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
            if (b != std::string::npos)
                request.version = line.substr(b + 1);
            request.path = request.target.substr(0, request.target.find('?'));
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            request.headers.emplace_back(Trim(line), std::string());
        else
            request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
    return request;
}

bool SendAll(SOCKET socket, const char* data, std::size_t size)
{
    while (size > 0) {
        const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 20));
        const int sent = send(socket, data, chunk, 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The bytes of a body, from memory or read from a file in order.
class BodyReader
{
public:
    BodyReader(const std::shared_ptr<const std::string>& body, const std::wstring& file) : m_body(body)
    {
        if (file.empty()) {
            m_size = body->size();
            return;
        }
        m_file = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size = {};
        if (m_file != INVALID_HANDLE_VALUE && GetFileSizeEx(m_file, &size))
            m_size = static_cast<std::uint64_t>(size.QuadPart);
    }
    ~BodyReader()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
    }
    BodyReader(const BodyReader&) = delete;
    BodyReader& operator=(const BodyReader&) = delete;

    std::uint64_t Size() const { return m_size; }

    // Reads the next `count` bytes into `buffer`; false when they cannot be had.
    bool Read(char* buffer, std::size_t count)
    {
        if (m_file == INVALID_HANDLE_VALUE) {
            if (m_position + count > m_body->size())
                return false;
            std::copy_n(m_body->data() + m_position, count, buffer);
            m_position += count;
            return true;
        }
        while (count > 0) {
            DWORD read = 0;
            if (!ReadFile(m_file, buffer, static_cast<DWORD>(count), &read, nullptr) || read == 0)
                return false;
            buffer += read;
            count -= read;
            m_position += read;
        }
        return true;
    }

private:
    std::shared_ptr<const std::string> m_body;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
};

}  // namespace

// HttpGate

bool HttpGate::WaitReached(unsigned milliseconds) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_bReached; });
}

void HttpGate::Release()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bReleased = true;
    }
    m_changed.notify_all();
}

bool HttpGate::WaitPeerClosed(unsigned milliseconds) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_bPeerClosed; });
}

void HttpGate::MarkReached()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bReached = true;
    }
    m_changed.notify_all();
}

void HttpGate::MarkPeerClosed()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bPeerClosed = true;
    }
    m_changed.notify_all();
}

bool HttpGate::WaitReleased(unsigned milliseconds) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_bReleased; });
}

// HttpResponse

HttpResponse HttpResponse::Bytes(std::string body)
{
    HttpResponse response;
    response.m_body = std::make_shared<const std::string>(std::move(body));
    return response;
}

HttpResponse HttpResponse::File(std::wstring path)
{
    HttpResponse response;
    response.m_file = std::move(path);
    return response;
}

HttpResponse& HttpResponse::Status(int code)
{
    m_status = code;
    return *this;
}

HttpResponse& HttpResponse::WithoutLength()
{
    m_bSendLength = false;
    return *this;
}

HttpResponse& HttpResponse::AnnounceLength(std::uint64_t length)
{
    m_bAnnounced = true;
    m_announcedLength = length;
    return *this;
}

HttpResponse& HttpResponse::Chunked()
{
    m_bChunked = true;
    return *this;
}

HttpResponse& HttpResponse::Header(std::string line)
{
    m_headers.push_back(std::move(line));
    return *this;
}

HttpResponse& HttpResponse::RequireAuthorization()
{
    m_bAuthorize = true;
    return *this;
}

HttpResponse& HttpResponse::BlockSize(std::size_t size)
{
    m_blockSize = std::max<std::size_t>(size, 1);
    return *this;
}

HttpResponse& HttpResponse::PauseAt(std::uint64_t offset, unsigned milliseconds)
{
    m_events.push_back({offset, Action::Pause, milliseconds, nullptr});
    return *this;
}

HttpResponse& HttpResponse::HoldAt(std::uint64_t offset, std::shared_ptr<HttpGate> gate)
{
    m_events.push_back({offset, Action::Hold, 0, std::move(gate)});
    return *this;
}

HttpResponse& HttpResponse::ResetAt(std::uint64_t offset)
{
    m_events.push_back({offset, Action::Reset, 0, nullptr});
    return *this;
}

HttpResponse& HttpResponse::CloseAt(std::uint64_t offset)
{
    m_events.push_back({offset, Action::Close, 0, nullptr});
    return *this;
}


// HttpRecordedRequest

std::vector<std::string> HttpRecordedRequest::HeaderValues(const std::string& name) const
{
    std::vector<std::string> values;
    for (const auto& header : headers) {
        if (EqualNoCase(header.first, name))
            values.push_back(header.second);
    }
    return values;
}

// HttpTestServer

HttpTestServer::HttpTestServer()
{
    Listen(0);
}

HttpTestServer::HttpTestServer(unsigned short port)
{
    Listen(port);
}

HttpTestServer::~HttpTestServer()
{
    Stop();
    if (m_bWinsock)
        WSACleanup();
}

void HttpTestServer::Listen(unsigned short port)
{
    WSADATA data;
    m_bWinsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!m_bWinsock)
        return;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return;
    if (port != 0) {
        // A fixed port is taken again by the next test program while connections of the last one are
        // still in TIME_WAIT.
        const BOOL reuse = TRUE;
        setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || listen(listener, SOMAXCONN) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return;
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread(&HttpTestServer::AcceptLoop, this);
}

std::string HttpTestServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::wstring HttpTestServer::UrlW(const std::string& path) const
{
    const std::string url = Url(path);
    return std::wstring(url.begin(), url.end());
}

void HttpTestServer::Serve(const std::string& path, HttpResponse response)
{
    std::stable_sort(response.m_events.begin(), response.m_events.end(),
                     [](const HttpResponse::Event& a, const HttpResponse::Event& b) { return a.offset < b.offset; });
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes[path] = std::move(response);
}

void HttpTestServer::Remove(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes.erase(path);
}

std::vector<HttpRecordedRequest> HttpTestServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::size_t HttpTestServer::RequestCount(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(m_requests.begin(), m_requests.end(),
                                                  [&](const HttpRecordedRequest& r) { return r.path == path; }));
}

bool HttpTestServer::WaitForRequests(const std::string& path, std::size_t count, unsigned milliseconds) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_requestArrived.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
        return static_cast<std::size_t>(std::count_if(m_requests.begin(), m_requests.end(),
                                                      [&](const HttpRecordedRequest& r) { return r.path == path; }))
            >= count;
    });
}

void HttpTestServer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
        for (Socket open : m_open)
            shutdown(static_cast<SOCKET>(open), SD_BOTH);
    }
    if (m_acceptor.joinable())
        m_acceptor.join();
    if (m_listener != kNoSocket) {
        closesocket(static_cast<SOCKET>(m_listener));
        m_listener = kNoSocket;
    }
    // The acceptor has ended: no connection thread is added any more.
    for (std::thread& connection : m_connections)
        connection.join();
    m_connections.clear();
}

bool HttpTestServer::IsStopping() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bStopping;
}

void HttpTestServer::AcceptLoop()
{
    const SOCKET listener = static_cast<SOCKET>(m_listener);
    while (!IsStopping()) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener, &ready);
        timeval wait = {0, static_cast<long>(kPollMs * 1000)};
        if (select(0, &ready, nullptr, nullptr, &wait) <= 0)
            continue;
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bStopping) {
            closesocket(client);
            break;
        }
        m_open.push_back(client);
        m_connections.emplace_back(&HttpTestServer::ServeConnection, this, client);
    }
}

void HttpTestServer::Forget(Socket client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open.erase(std::remove(m_open.begin(), m_open.end(), client), m_open.end());
}

void HttpTestServer::ServeConnection(Socket socket)
{
    const SOCKET client = static_cast<SOCKET>(socket);
    std::string head;
    char buffer[4096];
    std::size_t end = std::string::npos;
    while ((end = head.find("\r\n\r\n")) == std::string::npos && head.size() < kMaxHead) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(received));
    }
    if (end == std::string::npos) {
        Forget(socket);
        closesocket(client);
        return;
    }
    head.resize(end + 4);

    HttpRecordedRequest request = ParseHead(head);
    HttpResponse response = HttpResponse::Bytes("not found").Status(404);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto route = m_routes.find(request.path);
        if (route != m_routes.end())
            response = route->second;
        if (response.m_bAuthorize && request.HeaderValues("Authorization").empty())
            response = HttpResponse::Bytes("credentials wanted")
                           .Status(401)
                           .Header("WWW-Authenticate: Basic realm=\"quarn\"");
        m_requests.push_back(std::move(request));
    }
    m_requestArrived.notify_all();

    const bool orderly = SendResponse(socket, response);
    Forget(socket);
    if (orderly) {
        shutdown(client, SD_SEND);
    } else {
        // A zero linger time makes the close send a reset instead of the orderly end.
        const linger abort = {1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    }
    closesocket(client);
}

bool HttpTestServer::SendResponse(Socket socket, const HttpResponse& response)
{
    const SOCKET client = static_cast<SOCKET>(socket);
    BodyReader body(response.m_body, response.m_file);

    std::string head = "HTTP/1.1 " + std::to_string(response.m_status) + " " + ReasonPhrase(response.m_status) + "\r\n";
    if (response.m_bAnnounced)
        head += "Content-Length: " + std::to_string(response.m_announcedLength) + "\r\n";
    else if (response.m_bSendLength && !response.m_bChunked)
        head += "Content-Length: " + std::to_string(body.Size()) + "\r\n";
    if (response.m_bChunked)
        head += "Transfer-Encoding: chunked\r\n";
    head += "Connection: close\r\n";
    for (const std::string& line : response.m_headers)
        head += line + "\r\n";
    head += "\r\n";
    if (!SendAll(client, head.data(), head.size()))
        return true;

    std::vector<char> block(response.m_blockSize);
    std::uint64_t sent = 0;
    auto sendUpTo = [&](std::uint64_t limit) {
        while (sent < limit) {
            const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(limit - sent, block.size()));
            if (!body.Read(block.data(), count))
                return false;
            if (response.m_bChunked) {
                char size[32];
                std::snprintf(size, sizeof size, "%zx\r\n", count);
                if (!SendAll(client, size, std::char_traits<char>::length(size)))
                    return false;
            }
            if (!SendAll(client, block.data(), count))
                return false;
            if (response.m_bChunked && !SendAll(client, "\r\n", 2))
                return false;
            sent += count;
        }
        return true;
    };

    for (const HttpResponse::Event& event : response.m_events) {
        if (!sendUpTo(std::min(event.offset, body.Size())))
            return true;
        switch (event.action) {
        case HttpResponse::Action::Pause:
            for (unsigned waited = 0; waited < event.milliseconds && !IsStopping(); waited += kPollMs)
                Sleep(std::min(kPollMs, event.milliseconds - waited));
            break;
        case HttpResponse::Action::Hold:
            if (event.gate && !Hold(socket, *event.gate))
                return true;
            break;
        case HttpResponse::Action::Close:
            return true;
        case HttpResponse::Action::Reset:
            return false;
        }
    }
    if (sendUpTo(body.Size()) && response.m_bChunked)
        SendAll(client, "0\r\n\r\n", 5);
    return true;
}

bool HttpTestServer::Hold(Socket socket, HttpGate& gate)
{
    const SOCKET client = static_cast<SOCKET>(socket);
    gate.MarkReached();
    for (;;) {
        if (gate.WaitReleased(kPollMs))
            return true;
        if (IsStopping())
            return false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        timeval now = {0, 0};
        if (select(0, &readable, nullptr, nullptr, &now) > 0) {
            char sink[512];
            if (recv(client, sink, sizeof sink, 0) <= 0) {
                gate.MarkPeerClosed();
                return false;
            }
            // Anything else the client sends during a response is not wanted: dropped.
        }
    }
}

}  // namespace quarntest
