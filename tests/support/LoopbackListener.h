#pragma once
// A TCP socket listening on 127.0.0.1, at a port the system picks, for peers that are not HTTP servers:
// the test accepts a waiting connection itself, or never does.

#include <winsock2.h>

class LoopbackListener
{
public:
    LoopbackListener();
    // Closes the socket, which resets a connection still waiting to be accepted.
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    bool IsListening() const { return m_socket != INVALID_SOCKET; }
    unsigned short Port() const { return m_port; }
    // True once a connection waits to be accepted, within `milliseconds`.
    bool WaitPending(unsigned milliseconds) const;
    // The waiting connection; INVALID_SOCKET when none could be accepted.
    SOCKET Accept() const;
    void Close();

private:
    bool m_bWinsock = false;
    SOCKET m_socket = INVALID_SOCKET;
    unsigned short m_port = 0;
};
