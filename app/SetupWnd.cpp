#include "SetupWnd.h"

#include <objbase.h>

#include "../ui/Backdrop.h"
#include "../ui/ProgressDlg.h"
#include "../ui/SetupMessages.h"

BOOL g_bAutorun = FALSE;

CSetupWnd::CSetupWnd()
    : m_hIcon(NULL), m_pArchivePos(NULL), m_pArchiveEnd(NULL), m_szDocsDir(), m_szMacrosDir(), m_szExamplesDir(), m_nOptions(0)
{
    // The shell-link objects of the shortcuts are created on this thread.
    CoInitialize(NULL);
    m_pProgressDlg = NULL;
    m_bInstallDone = FALSE;
    ParseInstallSwitches("", &m_switches);
}

CSetupWnd::~CSetupWnd() {}

// The hand-over runs before the message table; the message then goes on to the default
// processing like every other.
LRESULT CSetupWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETUP_FINISHED)
        OnSetupFinished();
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CSetupWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM, LRESULT* pResult)
{
    switch (message) {
    case WM_PAINT:
        PaintBackdrop(m_hWnd, m_hIcon);
        *pResult = 0;
        return TRUE;
    case WM_QUERYDRAGICON:
        *pResult = reinterpret_cast<LRESULT>(m_hIcon);
        return TRUE;
    case WM_TIMER:
        RunSequence(wParam);
        // The timer message still gets the default processing afterwards, which does
        // nothing for it: the sequence has stopped the timer by then.
        return FALSE;
    }
    return FALSE;
}

void CSetupWnd::SendProgressTick()
{
    if (m_pProgressDlg && m_pProgressDlg->m_hWnd)
        ::SendMessageA(m_pProgressDlg->m_hWnd, WM_TIMER, TIMER_PROGRESS, 0);
}
