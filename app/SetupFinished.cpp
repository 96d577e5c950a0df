// The completion hand-over: WM_SETUP_FINISHED after a successful installation.
#include <windows.h>
#include <shellapi.h>

#include "../res/resource.h"
#include "../ui/MessageDlg.h"
#include "CommandLine.h"
#include "InstallLog.h"
#include "Options.h"
#include "RunProgram.h"
#include "SetupWnd.h"

void CSetupWnd::OnSetupFinished()
{
    DestroyProgressDialog();

    CMessageDlg messageDlg(this);
    messageDlg.m_strTitle.LoadString(IDS_TITLE_COMPLETE);
    messageDlg.m_strText.LoadString(IDS_SUPPORT_TEXT);
    messageDlg.m_bTwoButtons = FALSE;
    messageDlg.m_bNextBack = FALSE;

    if ((m_nOptions & OPTION_NEEDS_DIRECTORY) && !g_bAutorun)
        messageDlg.DoModal();
    // The folder window works in the folder it shows. Where the shell starts a process for
    // it, that process would otherwise inherit this one's current directory, the
    // installation directory, and hold it for as long as the window is open: an uninstall
    // run meanwhile could not remove the directory.
    if (m_nOptions & OPTION_NEEDS_DIRECTORY)
        ShellExecuteA(m_hWnd, NULL, m_strGroupDir, NULL, m_strGroupDir, SW_SHOWNORMAL);

    DestroyWindow();

    RunReaderSetup();
    LogStep("Installation complete");
}
