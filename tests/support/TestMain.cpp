// Entry point of every Windows test program. Wine takes TMP and TEMP from its registry, not from the
// Unix environment, so the runner hands each program its own temporary folder in QUARN_TEST_TMP and
// the program adopts it here; processes it starts inherit it.

#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    wchar_t temp[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"QUARN_TEST_TMP", temp, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        SetEnvironmentVariableW(L"TMP", temp);
        SetEnvironmentVariableW(L"TEMP", temp);
    }
    // A crashing test must end, not wait on an error box nobody will close.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
