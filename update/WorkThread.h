#pragma once
// KqWorkThread: owns one background thread, the worker, that runs Run() once for each signal of the work
// event until the stop event ends it.
//
// - The constructor starts the worker at once. Until work is signalled the worker touches only the two
//   events and the running flag, so work is signalled only once the whole object is built.
// - SetEvent(m_hWorkEvent.Get()) asks for one run. The work event is auto-reset: a signal given while
//   Run executes starts exactly one more run after it, and several such signals collapse into one.
// - The stop event is seen between runs only, and wins over pending work: a run that has not started
//   when the stop is signalled never starts. A run in progress is not interrupted; a subclass that must
//   end its work early brings its own cancellation. The stop event is never reset.
// - Stop() signals the stop event and waits up to 100 ms for the worker to end. It is harmless when
//   repeated and after the worker has ended.
// - Lifetime. The worker uses the object (its events, its running flag, its virtual table) until its
//   thread ends, so the destructor, after signalling the stop event, waits for the worker to end
//   before anything goes: an idle worker ends at once; a worker still inside Run is waited for, without
//   a limit, until Run returns. That keeps this base valid. The fields of a subclass are destroyed before
//   this destructor runs, so a subclass whose Run uses its own fields calls WaitForWorkerExit() in its
//   destructor, after its own bounded waits (and after making its Run end, by its cancellation), so
//   that the worker has left Run for good before any of those fields goes.
// - The object is destroyed on another thread than its worker (the worker cannot wait for itself).
// - An exception that leaves Run ends that run only; the worker goes on waiting for work.

#include <windows.h>

#include <atomic>

#include "framework/Thread.h"
#include "services/ScopedHandle.h"

class KqWorkThread
{
public:
    KqWorkThread();
    virtual ~KqWorkThread();
    KqWorkThread(const KqWorkThread&) = delete;
    KqWorkThread& operator=(const KqWorkThread&) = delete;

    // The unit of work, on the worker thread only. Its result becomes the thread's exit code when it is
    // the last one.
    virtual int Run() = 0;
    virtual BYTE IsRunning();
    // Called by the worker only: 1 when its wait loop starts (this class's own, as the object may still
    // be under construction then), 0 through the virtual table when the loop ends.
    virtual void SetRunning(BYTE running);
    virtual void Stop();

    // The worker's procedure; `param` is the object.
    static UINT ThreadProc(LPVOID param);

    CScopedHandle m_hStopEvent;        // manual-reset, never reset
    CScopedHandle m_hWorkEvent;        // auto-reset: one remembered signal
    // The framework's thread object. It deletes itself, and closes its handle, when the worker ends, so
    // it is not to be used once the worker may have ended; WaitForWorker serves instead.
    CWinThread* m_pThread;
    std::atomic<BYTE> m_bRunning;

protected:
    // Waits up to `milliseconds` (INFINITE allowed) for the worker thread to end. True once it has ended,
    // or when there never was one.
    bool WaitForWorker(DWORD milliseconds) const;

    // Signals the stop event and waits, without a limit, until the worker thread has ended: afterwards
    // the worker neither is inside Run nor will ever enter it. For subclass destructors, see above.
    void WaitForWorkerExit();

private:
    // A handle of the object's own to the worker thread, valid after the worker ended.
    CScopedHandle m_hWorker;
};
