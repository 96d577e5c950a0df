#include "SetupApp.h"

#include "../res/resource.h"
#include "CommandLine.h"
#include "RestartWindows.h"
#include "SetupDirectory.h"
#include "SetupMessages.h"
#include "SetupWnd.h"

// The one application object.
static CSetupApp theApp;

CSetupApp::CSetupApp() : m_pSetupWnd(NULL) {}

CSetupApp::~CSetupApp() {}

BOOL CSetupApp::InitInstance()
{
    ResolveProcessSetupDirectory(GetCommandLineA());
    HWND hDesktop = GetDesktopWindow();

    m_pSetupWnd = new CSetupWnd;
    m_pMainWnd = m_pSetupWnd;
    m_pSetupWnd->m_hIcon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDI_SETUP));

    const char* pszClass = CWnd::RegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursorA(NULL, IDC_ARROW), NULL,
                                                  m_pSetupWnd->m_hIcon);

    g_bAutorun = CommandLineContains("-autorun");

    m_pSetupWnd->CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, pszClass, "Pelorin Setup",
                          WS_POPUP | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_MAXIMIZE, 0, 0, 0, 0, hDesktop, 0);
    m_pSetupWnd->ShowWindow(SW_SHOW);
    m_pSetupWnd->UpdateWindow();
    m_pSetupWnd->SetTimer(TIMER_START, 1);
    return TRUE;
}

int CSetupApp::ExitInstance()
{
    // The switches are read before anything else happens, as the setup found them.
    BOOL bRestart = CommandLineContains("-restart");
    if (m_pSetupWnd) {
        m_pSetupWnd->DestroyWindow();
        delete m_pSetupWnd;
        m_pSetupWnd = NULL;
    }
    if (bRestart || g_bAutorun)
        RestartWindows(EWX_REBOOT | EWX_FORCE);
    return CWinApp::ExitInstance();
}
