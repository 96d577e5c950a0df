#include "SetupApp.h"

#include "../engine/Options.h"
#include "../engine/SetupDirectory.h"
#include "../res/resource.h"
#include "InstallLog.h"
#include "OnlyCopy.h"
#include "RestartWindows.h"
#include "SetupWnd.h"

// The one application object.
static CSetupApp theApp;

CSetupApp::CSetupApp() : m_pSetupWnd(NULL), m_bNotUnderstood(FALSE) {}

CSetupApp::~CSetupApp() {}

BOOL CSetupApp::InitInstance()
{
    // A directory or log path on the command line would otherwise take the place of the
    // program's own folder in the derivation of the setup directory.
    ResolveProcessSetupDirectory(WithoutValuedSwitches(GetCommandLineA()));
    HWND hDesktop = GetDesktopWindow();

    m_pSetupWnd = new CSetupWnd;
    m_pMainWnd = m_pSetupWnd;
    if (!AcceptSwitches())
        return FALSE;
    if (!ClaimOnlyCopy()) {
        m_nExitCode = RefuseSecondCopy(m_pSetupWnd->m_switches.bSilent);
        return FALSE;
    }
    m_pSetupWnd->m_payloadCheck.Start();
    // Without a window: the framework then runs no message loop and goes to the exit step.
    if (m_pSetupWnd->m_switches.bSilent) {
        m_nExitCode = m_pSetupWnd->RunSilentInstallation();
        return FALSE;
    }

    m_pSetupWnd->m_hIcon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDI_SETUP));

    const char* pszClass = CWnd::RegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursorA(NULL, IDC_ARROW), NULL,
                                                  m_pSetupWnd->m_hIcon);

    m_pSetupWnd->CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, pszClass, "Pelorin Setup",
                          WS_POPUP | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_MAXIMIZE, 0, 0, 0, 0, hDesktop, 0);
    m_pSetupWnd->ShowWindow(SW_SHOW);
    m_pSetupWnd->UpdateWindow();
    m_pSetupWnd->SetTimer(TIMER_START, 1);
    return TRUE;
}

int CSetupApp::ExitInstance()
{
    const bool bRestart = m_pSetupWnd && m_pSetupWnd->m_switches.bRestart;
    if (m_pSetupWnd) {
        m_pSetupWnd->DestroyWindow();
        delete m_pSetupWnd;
        m_pSetupWnd = NULL;
    }
    int nExitCode = CWinApp::ExitInstance();
    // Written before the restart, which may end the process before it returns.
    LogStepFormat("Setup ended with exit code %d", nExitCode);
    // A second copy leaves the restart to the first one.
    if ((bRestart || g_bAutorun) && !m_bNotUnderstood && !IsSecondCopy()) {
        ReleaseOnlyCopy();
        RestartWindows(EWX_REBOOT | EWX_FORCE, LogStep);
    }
    return nExitCode;
}

BOOL CSetupApp::AcceptSwitches()
{
    InstallSwitches& switches = m_pSetupWnd->m_switches;
    const char* pszCommandLine = GetCommandLineA();
    bool bUnderstood = ParseInstallSwitches(pszCommandLine, &switches);
    g_bAutorun = switches.bAutorun;
    if (switches.szLog[0]) {
        if (!StartInstallLog(switches.szLog)) {
            CString strReason;
            strReason.Format("The log file %s cannot be written.", switches.szLog);
            return Refuse(SETUP_EXIT_NOT_UNDERSTOOD, strReason);
        }
        LogStepFormat("Command line: %s", pszCommandLine);
    }
    if (!bUnderstood)
        return Refuse(SETUP_EXIT_NOT_UNDERSTOOD, switches.szError);

    // The options page offers only what the medium holds; the command line cannot ask
    // for more.
    if (switches.bOptionsGiven) {
        if ((switches.nOptions & OPTION_MANUALS) && !MediumFileReadable(MEDIUM_MANUAL_INDEX))
            return Refuse(SETUP_EXIT_ENDED_BEFORE_WORK,
                          "The switch -options= asks for the manuals, but the medium has no Docs\\Index.pdf.");
        if ((switches.nOptions & OPTION_READER) && !MediumFileReadable(MEDIUM_READER_SETUP))
            return Refuse(SETUP_EXIT_ENDED_BEFORE_WORK,
                          "The switch -options= asks for the PDF reader, but the medium has no AcroRead\\Setup.exe.");
    }
    return TRUE;
}

BOOL CSetupApp::Refuse(int nExitCode, const char* pszReason)
{
    LogStepFormat("Refused: %s", pszReason);
    if (!m_pSetupWnd->m_switches.bSilent)
        AfxMessageBox(pszReason, MB_OK | MB_ICONSTOP);
    m_nExitCode = nExitCode;
    m_bNotUnderstood = nExitCode == SETUP_EXIT_NOT_UNDERSTOOD;
    return FALSE;
}
