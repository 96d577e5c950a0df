// What the benchmark programs share: a stopwatch, the process's memory counters, and the
// setup window and progress dialog made the way the setup program makes them.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "app/SetupWnd.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "res/resource.h"
#include "ui/ProgressDlg.h"
#include "ui/SetupMessages.h"

namespace bench {

class CStopwatch {
public:
    CStopwatch()
    {
        QueryPerformanceFrequency(&m_frequency);
        Restart();
    }
    void Restart() { QueryPerformanceCounter(&m_start); }
    double Seconds() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
    LARGE_INTEGER m_start;
};

struct MemoryFigures {
    SIZE_T nWorkingSet;
    SIZE_T nPeakWorkingSet;
    SIZE_T nPrivate;      // PagefileUsage: committed private memory
    SIZE_T nPeakPrivate;  // PeakPagefileUsage
};

inline MemoryFigures ReadMemoryFigures()
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    MemoryFigures figures = {counters.WorkingSetSize, counters.PeakWorkingSetSize, counters.PagefileUsage,
                             counters.PeakPagefileUsage};
    return figures;
}

// The setup window as the setup program makes it at start-up: the full-screen backdrop,
// shown and painted at once.
inline BOOL CreateSetupWindow(CSetupWnd& wnd)
{
    wnd.m_hIcon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_SETUP));
    const char* pszClass =
        CWnd::RegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursorA(NULL, IDC_ARROW), NULL, wnd.m_hIcon);
    if (!wnd.CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, pszClass, "Pelorin Setup",
                      WS_POPUP | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_MAXIMIZE, 0, 0, 0, 0,
                      GetDesktopWindow(), 0))
        return FALSE;
    wnd.ShowWindow(SW_SHOW);
    wnd.UpdateWindow();
    return TRUE;
}

// The progress dialog as the installation sequence makes it before the work starts.
inline CProgressDlg* CreateProgressDialog(CSetupWnd& wnd)
{
    CProgressDlg* pDialog = new CProgressDlg(&wnd);
    if (!pDialog->Create(IDD_PROGRESS, &wnd)) {
        delete pDialog;
        return NULL;
    }
    wnd.m_pProgressDlg = pDialog;
    return pDialog;
}

inline void DestroyProgressDialog(CSetupWnd& wnd)
{
    if (!wnd.m_pProgressDlg)
        return;
    wnd.m_pProgressDlg->DestroyWindow();
    delete wnd.m_pProgressDlg;
    wnd.m_pProgressDlg = NULL;
}

// Handles whatever is waiting in this thread's queue (paints, mostly), without waiting.
inline void DispatchPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace bench
