#pragma once
// An HTTP/1.1 server for tests, inside the test process: it listens on 127.0.0.1 only, serves what a test
// scripts per request path, and records every request it receives.
//
//     quarntest::HttpTestServer server;                        // an ephemeral port; or server(47180)
//     server.Serve("/doc.json", quarntest::HttpResponse::Bytes(R"({"version":"1.0"})"));
//     auto gate = std::make_shared<quarntest::HttpGate>();
//     server.Serve("/big.exe", quarntest::HttpResponse::Bytes(body).HoldAt(4096, gate));
//     ... fetch server.Url("/big.exe") on another thread ...
//     gate->WaitReached(5000);  ...  gate->Release();
//     EXPECT_EQ(server.RequestCount("/big.exe"), 1u);
//
// Every response carries "Connection: close" and its connection ends after it. Paths that nothing serves
// get 404. The server and its responses are used from any thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quarntest {

// A point in a response body where the server holds until the test releases it. One gate serves one
// hold; a released gate lets every later hold at it pass at once.
class HttpGate
{
public:
    HttpGate() = default;
    HttpGate(const HttpGate&) = delete;
    HttpGate& operator=(const HttpGate&) = delete;

    // True once the server has sent everything before the hold and is waiting there.
    bool WaitReached(unsigned milliseconds) const;
    void Release();
    // True once the client closed its end of the connection while the server was held (the server
    // then stops sending).
    bool WaitPeerClosed(unsigned milliseconds) const;

private:
    friend class HttpTestServer;
    void MarkReached();
    void MarkPeerClosed();
    // Waits up to `milliseconds` for the release; true once released.
    bool WaitReleased(unsigned milliseconds) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_bReached = false;
    bool m_bReleased = false;
    bool m_bPeerClosed = false;
};

// What the server answers on one path. Built by chaining:
//     HttpResponse::Bytes("abc").Status(404)
//     HttpResponse::Bytes(body).AnnounceLength(10).Chunked()       // more arrives than announced
//     HttpResponse::Bytes(body).WithoutLength().CloseAt(2048)
class HttpResponse
{
public:
    static HttpResponse Bytes(std::string body);
    // The file's bytes, read from disk at every request (large files need no memory).
    static HttpResponse File(std::wstring path);

    HttpResponse& Status(int code);
    // No Content-Length header: a plain body then ends when the server closes the connection.
    HttpResponse& WithoutLength();
    // A Content-Length of `length`, whatever the body's real size.
    HttpResponse& AnnounceLength(std::uint64_t length);
    // Transfer-Encoding: chunked, one chunk per block. Sends no Content-Length unless AnnounceLength
    // asks for one.
    HttpResponse& Chunked();
    // Another header line, without line break ("X-Name: value").
    HttpResponse& Header(std::string line);
    // A request without an Authorization header is answered as a server that wants credentials answers
    // it: 401 with a Basic challenge. One that carries the header gets this response.
    HttpResponse& RequireAuthorization();
    // Bytes per send (and per chunk); 64 KiB unless set.
    HttpResponse& BlockSize(std::size_t size);

    // Things that happen once `offset` bytes of the body have been sent (an offset past the end happens
    // after the whole body, before a chunked body's last chunk).
    HttpResponse& PauseAt(std::uint64_t offset, unsigned milliseconds);
    HttpResponse& HoldAt(std::uint64_t offset, std::shared_ptr<HttpGate> gate);
    // The connection closes in order: the body ends early.
    HttpResponse& CloseAt(std::uint64_t offset);
    // The connection is reset (closed with a zero linger time): the client's next read fails. Bytes the
    // client has not read by then may be lost with it; pause before the reset to let them arrive.
    HttpResponse& ResetAt(std::uint64_t offset);

private:
    friend class HttpTestServer;
    enum class Action { Pause, Hold, Close, Reset };
    struct Event {
        std::uint64_t offset;
        Action action;
        unsigned milliseconds;
        std::shared_ptr<HttpGate> gate;
    };

    int m_status = 200;
    std::shared_ptr<const std::string> m_body = std::make_shared<const std::string>();
    std::wstring m_file;
    bool m_bSendLength = true;
    bool m_bAnnounced = false;
    std::uint64_t m_announcedLength = 0;
    bool m_bChunked = false;
    bool m_bAuthorize = false;
    std::size_t m_blockSize = 64 * 1024;
    std::vector<std::string> m_headers;
    std::vector<Event> m_events;
};

// One request as the server received it.
struct HttpRecordedRequest
{
    std::string method;
    std::string target;    // as sent, query included
    std::string path;      // the target without its query
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values without surrounding blanks
    std::string raw;       // the request line and headers as received, up to and including the blank line

    // The values of every header of that name (compared without regard to case), in order.
    std::vector<std::string> HeaderValues(const std::string& name) const;
};

class HttpTestServer
{
public:
    // Listens on 127.0.0.1 at an ephemeral port.
    HttpTestServer();
    // Listens on 127.0.0.1:port. IsListening() tells whether the port could be had.
    explicit HttpTestServer(unsigned short port);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool IsListening() const { return m_listener != kNoSocket; }
    unsigned short Port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path) const;
    std::wstring UrlW(const std::string& path) const;

    // Serves `response` at `path` (the target without its query) from now on, replacing what was there.
    void Serve(const std::string& path, HttpResponse response);
    void ServeBytes(const std::string& path, std::string body) { Serve(path, HttpResponse::Bytes(std::move(body))); }
    void ServeFile(const std::string& path, std::wstring file) { Serve(path, HttpResponse::File(std::move(file))); }
    void Remove(const std::string& path);

    std::vector<HttpRecordedRequest> Requests() const;
    std::size_t RequestCount(const std::string& path) const;
    // True once `count` requests of `path` have arrived.
    bool WaitForRequests(const std::string& path, std::size_t count, unsigned milliseconds) const;

    // Stops listening (the port is free again), ends holds, cuts open connections and joins every
    // thread. The request log stays readable.
    void Stop();

private:
    using Socket = std::uintptr_t;
    static constexpr Socket kNoSocket = ~static_cast<Socket>(0);

    void Listen(unsigned short port);
    void AcceptLoop();
    void ServeConnection(Socket client);
    // Sends the response, or as much of it as its events allow. False when the connection is to be
    // reset rather than closed in order.
    bool SendResponse(Socket client, const HttpResponse& response);
    // Waits at the gate; false when the client went away or the server is stopping.
    bool Hold(Socket client, HttpGate& gate);
    bool IsStopping() const;
    void Forget(Socket client);

    bool m_bWinsock = false;
    Socket m_listener = kNoSocket;
    unsigned short m_port = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_requestArrived;
    bool m_bStopping = false;
    std::map<std::string, HttpResponse> m_routes;
    std::vector<HttpRecordedRequest> m_requests;
    std::vector<Socket> m_open;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};

}  // namespace quarntest
