#include "update/WorkThread.h"

KqWorkThread::KqWorkThread()
    : m_hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),    // manual reset, unsignalled
      m_hWorkEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),   // auto reset, unsignalled
      m_pThread(nullptr),
      m_bRunning(0)
{
    // Without both events every wait of the worker would fail at once: no worker is started.
    if (!m_hStopEvent || !m_hWorkEvent)
        return;

    // Started suspended, so that a handle of our own exists before the worker can end and take the
    // framework's handle with it.
    CWinThread* thread = AfxBeginThread(ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return;
    if (!DuplicateHandle(GetCurrentProcess(),
                         thread->m_hThread,
                         GetCurrentProcess(),
                         m_hWorker.Receive(),
                         SYNCHRONIZE,
                         FALSE,          // not inherited
                         0)) {
        // A worker that could not be waited for could outlive the object it uses: it is never run. The
        // thread has not executed anything yet.
        TerminateThread(thread->m_hThread, 0);
        WaitForSingleObject(thread->m_hThread, INFINITE);
        delete thread;
        return;
    }
    m_pThread = thread;
    m_pThread->ResumeThread();
}

KqWorkThread::~KqWorkThread()
{
    // An idle worker ends at once; one still inside Run may use this object until Run returns.
    WaitForWorkerExit();
    m_hStopEvent.Close();
    m_hWorkEvent.Close();
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

void KqWorkThread::WaitForWorkerExit()
{
    if (m_hStopEvent)
        SetEvent(m_hStopEvent.Get());
    WaitForWorker(INFINITE);
}

UINT KqWorkThread::ThreadProc(LPVOID param)
{
    KqWorkThread* self = static_cast<KqWorkThread*>(param);
    // Not through the virtual table: the constructors of the subclasses may still be writing it.
    self->KqWorkThread::SetRunning(1);
    int result = 0;
    for (;;) {
        // Stop comes first, so that it wins when both are signalled.
        const HANDLE events[2] = {self->m_hStopEvent.Get(), self->m_hWorkEvent.Get()};
        const DWORD signalled = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0 || signalled == WAIT_FAILED)
            break;
        if (signalled != WAIT_OBJECT_0 + 1)
            continue;
        try {
            result = self->Run();
        } catch (...) {
            // Nothing may leave a thread's entry; a failed run leaves the worker waiting for the next.
        }
    }
    self->SetRunning(0);
    return static_cast<UINT>(result);
}
