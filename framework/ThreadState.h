#pragma once
// The framework's state of each thread.

#include <windows.h>

// The thread's current message record: the message that a framework message loop of this thread (a
// modal dialog's loop, CWinApp::Run) retrieved last and is processing or has processed. All zero while
// no such loop has retrieved a message on the thread. Nested loops share it: after a nested dialog
// returns it holds that dialog's last message until the outer loop retrieves the next one.
MSG* AfxGetCurrentMessage();
