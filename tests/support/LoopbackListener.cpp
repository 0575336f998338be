#include "tests/support/LoopbackListener.h"

LoopbackListener::LoopbackListener()
{
    WSADATA data;
    m_bWinsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!m_bWinsock)
        return;
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (m_socket == INVALID_SOCKET || bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || listen(m_socket, 4) != 0
        || getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Close();
        return;
    }
    m_port = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener()
{
    Close();
    if (m_bWinsock)
        WSACleanup();
}

bool LoopbackListener::WaitPending(unsigned milliseconds) const
{
    if (m_socket == INVALID_SOCKET)
        return false;
    fd_set pending;
    FD_ZERO(&pending);
    FD_SET(m_socket, &pending);
    timeval wait = {static_cast<long>(milliseconds / 1000), static_cast<long>(milliseconds % 1000 * 1000)};
    return select(0, &pending, nullptr, nullptr, &wait) == 1;
}

SOCKET LoopbackListener::Accept() const
{
    return accept(m_socket, nullptr, nullptr);
}

void LoopbackListener::Close()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}
