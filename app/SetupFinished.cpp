// The completion hand-over: WM_SETUP_FINISHED after a successful installation.
#include <windows.h>
#include <shellapi.h>

#include "../engine/Options.h"
#include "../res/resource.h"
#include "../ui/MessageDlg.h"
#include "InstallLog.h"
#include "RunProgram.h"
#include "SetupWnd.h"

namespace {

// The Windows directory, which no installation or uninstallation removes; empty when it
// cannot be had.
void FetchWindowsDirectory(char (&szDir)[MAX_PATH])
{
    UINT nLength = GetWindowsDirectoryA(szDir, sizeof szDir);
    if (nLength == 0 || nLength >= sizeof szDir)
        szDir[0] = '\0';
}

} // namespace

// Where the shell starts a process for the folder window, that process works in the
// directory it is given, or else inherits this one's current directory, the installation
// directory, and holds it for as long as the window is open: an uninstall run meanwhile
// could not remove it. Nor can that process work in the group's folder, which the
// uninstaller removes as well; the Windows directory is one nothing removes.
void CSetupWnd::OpenGroupFolder()
{
    char szWorkDir[MAX_PATH];
    FetchWindowsDirectory(szWorkDir);
    ShellExecuteA(m_hWnd, NULL, m_strGroupDir, NULL, szWorkDir[0] ? szWorkDir : NULL, SW_SHOWNORMAL);
}

void CSetupWnd::OnSetupFinished()
{
    DestroyProgressDialog();

    CMessageDlg messageDlg(this);
    messageDlg.Prepare(IDS_TITLE_COMPLETE, IDS_SUPPORT_TEXT, MESSAGE_OK);

    if ((m_nOptions & OPTION_NEEDS_DIRECTORY) && !g_bAutorun)
        messageDlg.DoModal();
    if (m_nOptions & OPTION_NEEDS_DIRECTORY)
        OpenGroupFolder();

    DestroyWindow();

    RunReaderSetup();
    LogStep("Installation complete");
}
