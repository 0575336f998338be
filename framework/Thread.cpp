#include "framework/Thread.h"

#include <process.h>

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::Entry(void* self)
{
    CWinThread* thread = static_cast<CWinThread*>(self);
    const UINT result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    if (thread->m_bAutoDelete)
        delete thread;
    return result;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc,
                           LPVOID param,
                           int nPriority,
                           UINT nStackSize,
                           DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    CWinThread* thread = new CWinThread(proc, param);
    unsigned id = 0;
    // Created suspended so that the object is complete before its procedure can run and delete it.
    const uintptr_t handle = _beginthreadex(lpSecurityAttrs,
                                            nStackSize,
                                            &CWinThread::Entry,
                                            thread,
                                            CREATE_SUSPENDED,
                                            &id);
    if (handle == 0) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    SetThreadPriority(thread->m_hThread, nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(thread->m_hThread);
    return thread;
}
