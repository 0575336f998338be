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
// - An exception that leaves Run ends that run only; the worker goes on waiting for work.
// - The object is destroyed on another thread than its worker (the worker cannot wait for itself).
//
// Lifetime. The events and the running flag live in a block that the object and its worker own together
// (m_hStopEvent, m_hWorkEvent and m_bRunning are references into it), so the worker may outlive the
// object: the block, and with it the events, goes when the last of the two lets go of it. The worker
// calls Run through the object, and only while the object is alive; from the start of that call the
// object cannot finish its destruction until Run either returns or calls DetachRun(). Destruction waits
// for that at most kLetGoMilliseconds (100 ms), so what a subclass must do:
// - A Run that uses the object's fields returns within that bound once it is asked to end (its own
//   cancellation, or the stop event), and the subclass's destructor calls DetachWorker() first, before
//   any field goes: no run starts afterwards, and the run in progress has returned.
// - A Run that may block for longer (a transfer) keeps what it touches in a block of its own, takes a
//   strong reference to it first and then calls DetachRun(); from there on it must not touch the object
//   (its fields, its virtual table). Its destructor is then bounded by its own waits.
// A run that still holds the object when the bound runs out has broken this contract: the process ends
// there (through the unhandled-exception filter, so a crash dump shows the run), rather than let the
// run go on in an object that is being destroyed.

#include <windows.h>

#include <atomic>
#include <memory>

#include "framework/Thread.h"
#include "services/ScopedHandle.h"

class KqWorkThread
{
public:
    KqWorkThread();
    // Lets the worker go (DetachWorker: the stop event, then up to 100 ms for a run to let go of the
    // object) and waits up to 100 ms for the worker to end.
    virtual ~KqWorkThread();
    KqWorkThread(const KqWorkThread&) = delete;
    KqWorkThread& operator=(const KqWorkThread&) = delete;

    // The unit of work, on the worker thread only. Its result becomes the thread's exit code when it is
    // the last one.
    virtual int Run() = 0;
    virtual BYTE IsRunning();
    // Called by the worker only: 1 when its wait loop starts (directly, as the object may still be under
    // construction then), 0 through the virtual table when the loop ends while the object is alive.
    virtual void SetRunning(BYTE running);
    virtual void Stop();

    // The worker's procedure; `param` is a heap-allocated std::shared_ptr to the shared block, which the
    // procedure takes over.
    static UINT ThreadProc(LPVOID param);

private:
    struct Shared;
    std::shared_ptr<Shared> m_pShared;   // first: the references below point into it

public:
    CScopedHandle& m_hStopEvent;       // manual-reset, never reset
    CScopedHandle& m_hWorkEvent;       // auto-reset: one remembered signal
    // The framework's thread object. It deletes itself, and closes its handle, when the worker ends, so
    // it is not to be used once the worker may have ended; WaitForWorker serves instead.
    CWinThread* m_pThread;
    std::atomic<BYTE>& m_bRunning;

protected:
    // Waits up to `milliseconds` (INFINITE allowed) for the worker thread to end. True once it has ended,
    // or when there never was one.
    bool WaitForWorker(DWORD milliseconds) const;

    // Called by Run, on the worker, once it has taken what it needs from the object: the object may be
    // destroyed from then on while the run goes on. Harmless when repeated.
    void DetachRun();

    // How long destruction waits for a run to return or let go of the object.
    static constexpr DWORD kLetGoMilliseconds = 100;

    // Called by the owner's thread: signals the stop event; no run starts after it returns, and a run
    // that still holds the object has returned or called DetachRun. Waits for that at most
    // kLetGoMilliseconds, then ends the process (see Lifetime above). Harmless when repeated.
    void DetachWorker();

private:
    // A handle of the object's own to the worker thread, valid after the worker ended.
    CScopedHandle m_hWorker;
};
