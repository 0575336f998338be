#pragma once
// Helpers of the window tests: running the thread's messages while a test waits for windows to react.

#include <windows.h>

#include <functional>

namespace quarn_test {

// Dispatches the thread's messages (keyboard navigation included for dialogs) for `ms` milliseconds.
void PumpMessages(DWORD ms);
// Dispatches messages until `done` holds or `timeoutMs` passed; the last answer of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// A thread timer (no window) that calls `tick` from whatever message loop runs on this thread, also
// modal ones, until the object goes.
class ThreadTimer
{
public:
    ThreadTimer(UINT elapseMs, std::function<void()> tick);
    ~ThreadTimer();
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);

    UINT_PTR m_id;
    std::function<void()> m_tick;
};

}  // namespace quarn_test
