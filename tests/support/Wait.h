#pragma once
// Waiting in tests for something another thread or process does.

#include <windows.h>

// Milliseconds to wait for something that happens at once in a healthy run: long enough for a loaded
// machine, short enough that a hang fails the test rather than the whole run.
constexpr DWORD kPatience = 20000;

// Polls `predicate` every millisecond; false when it has not held within `milliseconds`.
template <class Predicate>
bool WaitFor(Predicate predicate, DWORD milliseconds = kPatience)
{
    const DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(1);
    }
    return true;
}
