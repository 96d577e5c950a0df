// A thread of the program's own that runs one function, and is waited for before the object
// that started it goes. Plain Win32 threads: no run-time library's thread support is linked.
#pragma once

#include <windows.h>

#include "Handles.h"

class CWorkerThread {
public:
    typedef DWORD(WINAPI* ThreadFunction)(LPVOID pParameter);

    CWorkerThread() {}
    // A thread still running is waited for: what it works on belongs to the owner.
    ~CWorkerThread() { Wait(INFINITE); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts pfnRun(pParameter) on a new thread at the given priority; false when no thread
    // could be had (the caller then does the work itself).
    bool Start(ThreadFunction pfnRun, void* pParameter, int nPriority = THREAD_PRIORITY_NORMAL)
    {
        Wait(INFINITE);
        // Windows 95 and 98 want somewhere to put the thread's identifier.
        DWORD dwThreadId = 0;
        m_thread.Reset(CreateThread(NULL, 0, pfnRun, pParameter, 0, &dwThreadId));
        if (!m_thread.IsValid())
            return false;
        if (nPriority != THREAD_PRIORITY_NORMAL)
            SetThreadPriority(m_thread, nPriority);
        return true;
    }

    bool IsStarted() const { return m_thread.IsValid(); }

    // Waits up to dwMilliseconds for the thread to end; true when it has ended (or none was
    // started), and the handle is then let go.
    bool Wait(DWORD dwMilliseconds)
    {
        if (!m_thread.IsValid())
            return true;
        if (WaitForSingleObject(m_thread, dwMilliseconds) != WAIT_OBJECT_0)
            return false;
        m_thread.Reset();
        return true;
    }

    // The processors of the system.
    static DWORD ProcessorCount()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwNumberOfProcessors ? info.dwNumberOfProcessors : 1;
    }

private:
    CHandle m_thread;
};
