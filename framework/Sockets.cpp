#include <winsock2.h>

#include "framework/Sockets.h"

namespace {

// The program's first thread only, as the application object.
bool g_bSocketsStarted = false;
WSADATA g_wsaData;

}  // namespace

BOOL AfxSocketInit(WSAData* data)
{
    if (!g_bSocketsStarted) {
        if (::WSAStartup(MAKEWORD(1, 1), &g_wsaData) != 0)
            return FALSE;
        if (LOBYTE(g_wsaData.wVersion) != 1 || HIBYTE(g_wsaData.wVersion) != 1) {
            ::WSACleanup();
            return FALSE;
        }
        g_bSocketsStarted = true;
    }
    if (data)
        *data = g_wsaData;
    return TRUE;
}

void AfxSocketTerm()
{
    if (!g_bSocketsStarted)
        return;
    g_bSocketsStarted = false;
    ::WSACleanup();
}
