// A test program that never finishes its run, for the runner's sake: each of its ctest registrations
// passes one test and then ends the program mid-run, and passes only where the runner reports the run
// as cut short. Under Wine both ways below end the program with status 0.

#include <windows.h>

#include <gtest/gtest.h>

namespace {

DWORD WINAPI Returns(void*)
{
    return 0;
}

DWORD WINAPI Faults(void*)
{
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}

}  // namespace

// Also ends a thread of its own: once one has ended, Wine reports a later crash with status 0.
TEST(UnfinishedRun, APassingTestComesFirst)
{
    const HANDLE thread = ::CreateThread(nullptr, 0, &Returns, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(::WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    ::CloseHandle(thread);
}

TEST(UnfinishedRun, CodeUnderTestEndsTheProgram)
{
    ::ExitProcess(0);
}

TEST(UnfinishedRun, ASecondThreadCrashes)
{
    const HANDLE thread = ::CreateThread(nullptr, 0, &Faults, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}
