#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "tests/update/UpdateTestSupport.h"
#include "update/WorkThread.h"

namespace {

using updatetest::OpenWorkerThread;

// What a worker's runs leave behind; owned by the test, so it outlives the worker object.
struct Record {
    std::atomic<int> started{0};
    std::atomic<int> finished{0};
    std::atomic<bool> sawFreedMemory{false};
    CScopedHandle entered{CreateEventW(nullptr, FALSE, FALSE, nullptr)};   // one signal per run entered
    CScopedHandle release{CreateEventW(nullptr, TRUE, TRUE, nullptr)};     // runs pass while signalled
};

// How long a run works once it is released.
struct Busy {
    DWORD milliseconds = 0;
    // As a run that watches the stop does: it ends its work when the stop is signalled.
    bool endsOnStop = true;
};

// A worker whose runs can be held inside Run and which uses its own fields there, as a real subclass does.
class TestWorker : public KqWorkThread
{
public:
    explicit TestWorker(Record& record, Busy busy = {}, bool throwFirst = false)
        : m_record(record), m_busy(busy), m_bThrowFirst(throwFirst)
    {
    }

    ~TestWorker() override
    {
        DetachWorker();
        m_nCanary = 0;
    }

    int Run() override
    {
        const int run = ++m_record.started;
        SetEvent(m_record.entered.Get());
        WaitForSingleObject(m_record.release.Get(), INFINITE);
        if (m_busy.endsOnStop) {
            // Winding down after the stop takes a moment too, in which the object must still be whole.
            if (WaitForSingleObject(m_hStopEvent.Get(), m_busy.milliseconds) == WAIT_OBJECT_0)
                Sleep(kWindDownMilliseconds);
        } else {
            Sleep(m_busy.milliseconds);
        }
        if (m_nCanary != kCanary || m_strTrail.size() != static_cast<size_t>(run - 1))
            m_record.sawFreedMemory = true;
        m_strTrail += 'x';
        ++m_record.finished;
        if (m_bThrowFirst && run == 1)
            throw std::runtime_error("first run fails");
        return run;
    }

    bool HasEnded(DWORD milliseconds) const { return WaitForWorker(milliseconds); }

    // Freed memory is overwritten, so a run that reads its fields after the object went notices.
    static void operator delete(void* memory, size_t size)
    {
        std::memset(memory, 0xdd, size);
        ::operator delete(memory);
    }

private:
    static constexpr unsigned kCanary = 0xc0ffee;
    // Far within the 100 ms that destruction waits, far beyond what destruction takes when it does not.
    static constexpr DWORD kWindDownMilliseconds = 5;

    Record& m_record;
    const Busy m_busy;
    const bool m_bThrowFirst;
    unsigned m_nCanary = kCanary;
    std::string m_strTrail;
};

}  // namespace

TEST(KqWorkThread, TwoSignalsDuringOneRunGiveTwoRunsInAll)
{
    Record record;
    ResetEvent(record.release.Get());
    TestWorker worker(record);
    SetEvent(worker.m_hWorkEvent.Get());
    ASSERT_EQ(WaitForSingleObject(record.entered.Get(), kPatience), WAIT_OBJECT_0);
    SetEvent(worker.m_hWorkEvent.Get());
    SetEvent(worker.m_hWorkEvent.Get());
    SetEvent(record.release.Get());
    EXPECT_TRUE(WaitFor([&] { return record.finished == 2; }));
    // A third run would have started by now.
    Sleep(200);
    EXPECT_EQ(record.started.load(), 2);
    EXPECT_FALSE(record.sawFreedMemory);
}

TEST(KqWorkThread, StopWinsOverWorkSignalledWithIt)
{
    Record record;
    ResetEvent(record.release.Get());
    TestWorker worker(record);
    SetEvent(worker.m_hWorkEvent.Get());
    ASSERT_EQ(WaitForSingleObject(record.entered.Get(), kPatience), WAIT_OBJECT_0);
    // Both arrive while the worker is busy, so it wakes to find both signalled.
    SetEvent(worker.m_hWorkEvent.Get());
    SetEvent(worker.m_hStopEvent.Get());
    SetEvent(record.release.Get());
    EXPECT_TRUE(worker.HasEnded(kPatience));
    EXPECT_EQ(record.started.load(), 1);
    EXPECT_EQ(worker.IsRunning(), 0);
}

TEST(KqWorkThread, DestroyingAnIdleWorkerEndsItsThread)
{
    Record record;
    auto worker = std::make_unique<TestWorker>(record);
    ASSERT_TRUE(WaitFor([&] { return worker->IsRunning() == 1; }));
    const CScopedHandle thread = OpenWorkerThread(*worker);
    ASSERT_TRUE(thread);
    worker.reset();
    EXPECT_EQ(WaitForSingleObject(thread.Get(), kPatience), WAIT_OBJECT_0);
    EXPECT_EQ(record.started.load(), 0);
}

TEST(KqWorkThread, StopIsHarmlessRepeatedAndAfterTheEnd)
{
    Record record;
    TestWorker worker(record);
    ASSERT_TRUE(WaitFor([&] { return worker.IsRunning() == 1; }));
    worker.Stop();
    EXPECT_TRUE(worker.HasEnded(kPatience));
    EXPECT_EQ(worker.IsRunning(), 0);
    worker.Stop();
    worker.Stop();
    // The stop event stays signalled: a stopped worker never runs again.
    SetEvent(worker.m_hWorkEvent.Get());
    Sleep(100);
    EXPECT_EQ(record.started.load(), 0);
}

TEST(KqWorkThread, DestroyingDuringARunWaitsUntilTheRunHasLeft)
{
    Record record;
    // The run works until destruction signals the stop, which it has to heed within the bound.
    auto worker = std::make_unique<TestWorker>(record, Busy{kPatience});
    SetEvent(worker->m_hWorkEvent.Get());
    ASSERT_EQ(WaitForSingleObject(record.entered.Get(), kPatience), WAIT_OBJECT_0);
    const CScopedHandle thread = OpenWorkerThread(*worker);
    worker.reset();
    EXPECT_EQ(record.finished.load(), 1) << "destroyed before the run had left";
    EXPECT_FALSE(record.sawFreedMemory);
    EXPECT_EQ(WaitForSingleObject(thread.Get(), kPatience), WAIT_OBJECT_0);
}

TEST(KqWorkThreadDeathTest, ARunThatKeepsItsObjectPastTheBoundEndsTheProcess)
{
    // Rather than waiting for it without a limit, or letting it go on in a destroyed object.
    EXPECT_DEATH(
        {
            Record record;
            auto worker = std::make_unique<TestWorker>(record, Busy{60000, false});
            SetEvent(worker->m_hWorkEvent.Get());
            WaitForSingleObject(record.entered.Get(), kPatience);
            worker.reset();
            std::fputs("destroyed\n", stderr);
        },
        "");
}

TEST(KqWorkThread, AnExceptionLeavingRunEndsThatRunOnly)
{
    Record record;
    TestWorker worker(record, Busy{}, true);
    SetEvent(worker.m_hWorkEvent.Get());
    ASSERT_TRUE(WaitFor([&] { return record.finished == 1; }));
    SetEvent(worker.m_hWorkEvent.Get());
    EXPECT_TRUE(WaitFor([&] { return record.finished == 2; }));
    EXPECT_EQ(worker.IsRunning(), 1);
}

namespace {

// What a detaching worker's runs use: held by the run itself, so it outlives the object.
struct RunState {
    std::atomic<int> finished{0};
    CScopedHandle entered{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    CScopedHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// A worker whose run takes its state, lets go of the object and then blocks, as a transfer does.
class DetachingWorker : public KqWorkThread
{
public:
    explicit DetachingWorker(std::shared_ptr<RunState> state) : m_pState(std::move(state)) {}
    ~DetachingWorker() override { DetachWorker(); }

    int Run() override
    {
        const std::shared_ptr<RunState> state = m_pState;
        DetachRun();
        SetEvent(state->entered.Get());
        WaitForSingleObject(state->release.Get(), INFINITE);
        return ++state->finished;
    }

    using KqWorkThread::DetachWorker;

    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* memory, size_t size) { updatetest::KeepFreed(memory, size); }

private:
    std::shared_ptr<RunState> m_pState;
};

}  // namespace

TEST(KqWorkThread, ARunThatLetGoOfItsObjectOutlivesIt)
{
    auto state = std::make_shared<RunState>();
    auto worker = std::make_unique<DetachingWorker>(state);
    SetEvent(worker->m_hWorkEvent.Get());
    ASSERT_EQ(WaitForSingleObject(state->entered.Get(), kPatience), WAIT_OBJECT_0);
    const CScopedHandle thread = OpenWorkerThread(*worker);

    const DWORD start = GetTickCount();
    worker.reset();
    // The stop's 100 ms; far above, a destructor that waited for the run.
    EXPECT_LT(GetTickCount() - start, 5000u);
    ASSERT_NE(updatetest::g_freed.memory, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // The run ends; the worker finds the stop on its own events and leaves without the object.
    SetEvent(state->release.Get());
    EXPECT_EQ(WaitForSingleObject(thread.Get(), kPatience), WAIT_OBJECT_0);
    EXPECT_EQ(state->finished.load(), 1);
    EXPECT_TRUE(updatetest::g_freed.IsUntouched());
    updatetest::g_freed.Free();
}

TEST(KqWorkThread, OnceTheWorkerIsLetGoNoRunStarts)
{
    using updatetest::CCallHold;
    // Before the worker starts, so that its waits go through the hold.
    CCallHold::PatchAll();
    auto state = std::make_shared<RunState>();
    SetEvent(state->release.Get());
    DetachingWorker worker(state);
    ASSERT_TRUE(WaitFor([&] { return worker.IsRunning() == 1; }));
    const CScopedHandle thread = OpenWorkerThread(worker);
    // The worker wakes for work and is held there, before it reaches its object; meanwhile the owner
    // lets it go.
    CCallHold woken(CCallHold::kWaitForMultipleObjectsReturn, 1, CCallHold::kHold, worker.m_pThread->m_nThreadID);
    SetEvent(worker.m_hWorkEvent.Get());
    ASSERT_TRUE(woken.WaitReached());
    worker.DetachWorker();
    woken.Release();
    // It finds its object gone and ends instead of running.
    EXPECT_EQ(WaitForSingleObject(thread.Get(), kPatience), WAIT_OBJECT_0);
    EXPECT_EQ(state->finished.load(), 0);
    EXPECT_EQ(worker.IsRunning(), 0);
}
