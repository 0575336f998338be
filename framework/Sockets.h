#pragma once
// The framework's start of Windows Sockets.

#include <windows.h>

// <winsock2.h>'s WSADATA; that header must come before <windows.h>, which callers have included already.
struct WSAData;

// Starts Windows Sockets version 1.1 once per process; later calls only report success. FALSE when the
// library does not start or cannot give version 1.1. `data`, when given, receives the library's
// description from the start that succeeded.
BOOL AfxSocketInit(WSAData* data = nullptr);

// Ends what AfxSocketInit started, once; nothing when it started nothing. The framework's entry
// routine calls it at exit.
void AfxSocketTerm();
