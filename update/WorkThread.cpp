#include "update/WorkThread.h"

struct KqWorkThread::Shared
{
    explicit Shared(KqWorkThread* owner)
        : m_hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),    // manual reset, unsignalled
          m_hWorkEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),   // auto reset, unsignalled
          m_pOwner(owner)
    {
    }

    // Runs the owner's Run once, unless the owner has gone; false then. The lifetime lock is held from
    // the test of m_pOwner until Run lets go of the object (DetachRun) or returns, so the owner cannot
    // be freed under a run that still uses it.
    bool RunOwner(int& result)
    {
        AcquireSRWLockExclusive(&m_lifetime);
        if (!m_pOwner) {
            ReleaseSRWLockExclusive(&m_lifetime);
            return false;
        }
        m_bRunHoldsOwner = true;
        try {
            result = m_pOwner->Run();
        } catch (...) {
            // Nothing may leave a thread's entry; a failed run leaves the worker waiting for the next.
        }
        ReleaseOwner();
        return true;
    }

    // On the worker: the run in progress no longer needs the owner.
    void ReleaseOwner()
    {
        if (!m_bRunHoldsOwner)
            return;
        m_bRunHoldsOwner = false;
        ReleaseSRWLockExclusive(&m_lifetime);
    }

    CScopedHandle m_hStopEvent;
    CScopedHandle m_hWorkEvent;
    std::atomic<BYTE> m_bRunning{0};

    // An SRW lock rather than a mutex object: it cannot fail, so nothing is thrown on the worker's
    // entry, and it needs no release of its own.
    SRWLOCK m_lifetime = SRWLOCK_INIT;
    KqWorkThread* m_pOwner;         // under m_lifetime; NULL once the owner let the worker go
    bool m_bRunHoldsOwner = false;  // the worker's own: it holds m_lifetime for the run in progress
};

KqWorkThread::KqWorkThread()
    : m_pShared(std::make_shared<Shared>(this)),
      m_hStopEvent(m_pShared->m_hStopEvent),
      m_hWorkEvent(m_pShared->m_hWorkEvent),
      m_pThread(nullptr),
      m_bRunning(m_pShared->m_bRunning)
{
    // Without both events every wait of the worker would fail at once: no worker is started.
    if (!m_hStopEvent || !m_hWorkEvent)
        return;

    std::unique_ptr<std::shared_ptr<Shared>> handed(new std::shared_ptr<Shared>(m_pShared));
    // Started suspended, so that a handle of our own exists before the worker can end and take the
    // framework's handle with it.
    CWinThread* thread = AfxBeginThread(ThreadProc, handed.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return;
    if (!DuplicateHandle(GetCurrentProcess(),
                         thread->m_hThread,
                         GetCurrentProcess(),
                         m_hWorker.Receive(),
                         SYNCHRONIZE,
                         FALSE,          // not inherited
                         0)) {
        // A worker that could not be waited for is never run. The thread has not executed anything yet,
        // so its parameter is still ours.
        TerminateThread(thread->m_hThread, 0);
        WaitForSingleObject(thread->m_hThread, INFINITE);
        delete thread;
        return;
    }
    handed.release();
    m_pThread = thread;
    m_pThread->ResumeThread();
}

KqWorkThread::~KqWorkThread()
{
    DetachWorker();
    KqWorkThread::Stop();
}

BYTE KqWorkThread::IsRunning()
{
    return m_bRunning.load();
}

void KqWorkThread::SetRunning(BYTE running)
{
    m_bRunning.store(running);
}

void KqWorkThread::Stop()
{
    if (m_hStopEvent)
        SetEvent(m_hStopEvent.Get());
    WaitForWorker(100);
}

bool KqWorkThread::WaitForWorker(DWORD milliseconds) const
{
    return !m_hWorker || WaitForSingleObject(m_hWorker.Get(), milliseconds) == WAIT_OBJECT_0;
}

void KqWorkThread::DetachRun()
{
    m_pShared->ReleaseOwner();
}

void KqWorkThread::DetachWorker()
{
    // No run starts after this anyway; signalled first, the stop lets a run that watches it end within
    // the bound below, whichever destructor calls this.
    if (m_hStopEvent)
        SetEvent(m_hStopEvent.Get());
    // A run that still holds the object has kLetGoMilliseconds to return or let go of it. Waiting longer
    // would let a blocked run hang its owner's thread; not waiting would let it use a destroyed object.
    // Neither is sound, so a run that keeps the object past the bound ends the process, through the
    // crash filter, which leaves a dump of where it was.
    const DWORD start = GetTickCount();
    while (!TryAcquireSRWLockExclusive(&m_pShared->m_lifetime)) {
        if (GetTickCount() - start >= kLetGoMilliseconds)
            __builtin_trap();
        Sleep(1);
    }
    m_pShared->m_pOwner = nullptr;
    ReleaseSRWLockExclusive(&m_pShared->m_lifetime);
}

UINT KqWorkThread::ThreadProc(LPVOID param)
{
    // The worker's share of the block, let go of when the procedure returns.
    const std::unique_ptr<std::shared_ptr<Shared>> share(static_cast<std::shared_ptr<Shared>*>(param));
    Shared* const shared = share->get();
    // Not through the virtual table: the constructors of the subclasses may still be writing it.
    shared->m_bRunning.store(1);
    int result = 0;
    for (;;) {
        // Stop comes first, so that it wins when both are signalled.
        const HANDLE events[2] = {shared->m_hStopEvent.Get(), shared->m_hWorkEvent.Get()};
        const DWORD signalled = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0 || signalled == WAIT_FAILED)
            break;
        if (signalled != WAIT_OBJECT_0 + 1)
            continue;
        if (!shared->RunOwner(result))
            break;   // the owner is being destroyed: its stop follows
    }
    AcquireSRWLockExclusive(&shared->m_lifetime);
    if (shared->m_pOwner)
        shared->m_pOwner->SetRunning(0);
    else
        shared->m_bRunning.store(0);
    ReleaseSRWLockExclusive(&shared->m_lifetime);
    return static_cast<UINT>(result);
}
