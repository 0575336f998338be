#include "tests/framework/WindowTestSupport.h"

#include <map>

namespace quarn_test {

namespace {

void DispatchOne(MSG& msg)
{
    const HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && ::IsDialogMessageW(root, &msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

std::map<UINT_PTR, ThreadTimer*>& Timers()
{
    static std::map<UINT_PTR, ThreadTimer*> timers;
    return timers;
}

}  // namespace

void PumpMessages(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchOne(msg);
        if (done())
            return true;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed < 10 ? timeoutMs - elapsed : 10,
                                    QS_ALLINPUT);
    }
}

ThreadTimer::ThreadTimer(UINT elapseMs, std::function<void()> tick)
    : m_id(::SetTimer(nullptr, 0, elapseMs, &ThreadTimer::OnTimer)), m_tick(std::move(tick))
{
    Timers()[m_id] = this;
}

ThreadTimer::~ThreadTimer()
{
    ::KillTimer(nullptr, m_id);
    Timers().erase(m_id);
}

void CALLBACK ThreadTimer::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto it = Timers().find(id);
    if (it != Timers().end())
        it->second->m_tick();
}

}  // namespace quarn_test
