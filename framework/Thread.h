#pragma once
// CWinThread and AfxBeginThread: a worker thread whose framework object deletes itself, and closes
// its thread handle, when the thread procedure returns. Whoever must wait for the thread after it may
// have ended keeps a duplicate of m_hThread of its own.

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread
{
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    static unsigned __stdcall Entry(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts proc(param) on a new thread. dwCreateFlags may hold CREATE_SUSPENDED; the caller then starts
// the thread with ResumeThread. Returns NULL when the thread cannot be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc,
                           LPVOID param,
                           int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
