// The nesting bound keeps the parser's recursion within a small stack. The deepest document the parser
// reads in full, with more nesting below it that the bound cuts off, is parsed, written, copied and
// destroyed on a thread whose stack is a fraction of what the program's own threads get: half of the
// 1 MiB a Windows main thread commonly has, and under the sanitizers (whose frames are about three
// times larger) 2 MiB, a quarter of a Linux main thread's.

#include <gtest/gtest.h>

#include <string>

#include "json/JsonParser.h"
#include "json/JsonWriter.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace {

struct DeepParse
{
    std::string text;
    std::string written;
};

void ParseWriteCopy(DeepParse& work)
{
    const JsonValue value = JsonDeserialize(work.text);
    const JsonValue copy(value);
    work.written = JsonSerialize(copy);
}

#ifdef _WIN32
const SIZE_T StackBytes = 512 * 1024;

DWORD WINAPI ParseThread(LPVOID param)
{
    ParseWriteCopy(*static_cast<DeepParse*>(param));
    return 0;
}

// A stack overflow on the thread ends the whole test program, which fails the test.
bool RunOnSmallStack(DeepParse& work)
{
    HANDLE thread = CreateThread(nullptr, StackBytes, ParseThread, &work, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                 nullptr);
    if (thread == nullptr) {
        return false;
    }
    const bool ended = WaitForSingleObject(thread, INFINITE) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}
#else
const size_t StackBytes = 2 * 1024 * 1024;

void* ParseThread(void* param)
{
    ParseWriteCopy(*static_cast<DeepParse*>(param));
    return nullptr;
}

bool RunOnSmallStack(DeepParse& work)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return false;
    }
    pthread_t thread;
    const bool started = pthread_attr_setstacksize(&attributes, StackBytes) == 0 &&
                         pthread_create(&thread, &attributes, ParseThread, &work) == 0;
    pthread_attr_destroy(&attributes);
    return started && pthread_join(thread, nullptr) == 0;
}
#endif

} // namespace

TEST(JsonDepth, DeepestDocumentFitsASmallStack)
{
    // Objects take the most stack per level (value, nested reader, container and object reader); an
    // object and an array make two levels.
    const int pairs = g_nJsonMaxDepth / 2;
    DeepParse work;
    for (int i = 0; i < pairs + 50; ++i) {
        work.text += "{\"key\":[0,";
    }
    for (int i = 0; i < pairs + 50; ++i) {
        work.text += "]}";
    }
    // The last array read in full is at the bound; the object inside it is cut off and dropped.
    std::string expected;
    for (int i = 0; i < pairs - 1; ++i) {
        expected += "{\"key\":[0,";
    }
    expected += "{\"key\":[0";
    for (int i = 0; i < pairs; ++i) {
        expected += "]}";
    }

    ASSERT_TRUE(RunOnSmallStack(work));
    EXPECT_EQ(work.written, expected);
}
