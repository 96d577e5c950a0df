#include "SetupWnd.h"

#include <objbase.h>

BOOL g_bAutorun = FALSE;

CSetupWnd::CSetupWnd()
    : m_hIcon(NULL), m_pArchivePos(NULL), m_pArchiveEnd(NULL), m_szDocsDir(), m_szMacrosDir(), m_szExamplesDir(), m_nOptions(0)
{
    // The shell-link objects of the shortcuts are created on this thread.
    CoInitialize(NULL);
    m_pProgressDlg = NULL;
    m_bInstallDone = FALSE;
}

CSetupWnd::~CSetupWnd() {}

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
        OnPaint();
        *pResult = 0;
        return TRUE;
    case WM_QUERYDRAGICON:
        *pResult = reinterpret_cast<LRESULT>(m_hIcon);
        return TRUE;
    case WM_TIMER:
        RunSequence(wParam);
        return FALSE;
    }
    return FALSE;
}
