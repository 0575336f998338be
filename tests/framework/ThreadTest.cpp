#include <gtest/gtest.h>

#include <atomic>

#include "framework/Thread.h"

namespace {

struct Probe {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> runs{0};
    ~Probe() { CloseHandle(release); }
};

UINT Work(LPVOID param)
{
    Probe* probe = static_cast<Probe*>(param);
    WaitForSingleObject(probe->release, INFINITE);
    ++probe->runs;
    return 42;
}

}  // namespace

TEST(AfxBeginThread, RunsTheProcedureAndDeletesItself)
{
    Probe probe;
    CWinThread* thread = AfxBeginThread(Work, &probe, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    HANDLE own = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &own, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    thread->ResumeThread();
    SetEvent(probe.release);
    ASSERT_EQ(WaitForSingleObject(own, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(own, &code);
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(probe.runs, 1);
    CloseHandle(own);
}
