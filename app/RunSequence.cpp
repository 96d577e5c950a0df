// The installation sequence: the pages as a chain of modal dialogs, then the work.
#include <windows.h>

#include <cstdio>

#include "../res/resource.h"
#include "../ui/AgreementDlg.h"
#include "../ui/DirectoryDlg.h"
#include "../ui/MessageDlg.h"
#include "../ui/OptionsDlg.h"
#include "../ui/ProgressDlg.h"
#include "../ui/SetupDirectory.h"
#include "SetupWnd.h"

namespace {

const char DEFAULT_INSTALL_DIR[] = "C:\\Pelorin";
const char REDIST_INSTALLER[] = "axdist.exe";
const char READER_SETUP_PATH[] = "\\AcroRead\\Setup.exe";

enum SequenceState {
    STATE_WELCOME,
    STATE_AGREEMENT,
    STATE_OPTIONS,
    STATE_DIRECTORY_ENTRY,
    STATE_DIRECTORY,
    STATE_CONFIRM,
    STATE_WORK,
    STATE_ERROR,
    STATE_CLOSE,
    STATE_DONE,
};

// Anything but IDCANCEL, a failed display included, counts as the forward button.
bool WentBack(INT_PTR nResult)
{
    return nResult == IDCANCEL;
}

} // namespace

// With the name given as the application, CreateProcess completes a bare name from the
// current directory only and never searches the path.
void RunProgramAndWait(const char* pszProgram)
{
    char szCommandLine[MAX_PATH];
    lstrcpynA(szCommandLine, pszProgram, sizeof szCommandLine);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(pszProgram, szCommandLine, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void CSetupWnd::RunSequence(UINT_PTR nIDEvent)
{
    KillTimer(nIDEvent);

    CMessageDlg messageDlg(this);
    CAgreementDlg agreementDlg(this);
    COptionsDlg optionsDlg(this);
    CDirectoryDlg directoryDlg(this);
    optionsDlg.m_nOptions = OPTION_APPLICATION;

    messageDlg.m_strTitle.LoadString(IDS_TITLE_WELCOME);
    messageDlg.m_strText.LoadString(IDS_WELCOME_TEXT);
    messageDlg.m_bTwoButtons = TRUE;
    messageDlg.m_bNextBack = FALSE;

    BOOL bWithDirectory = FALSE;
    const char* pszError = NULL;
    SequenceState state = STATE_WELCOME;
    while (state != STATE_CLOSE && state != STATE_DONE) {
        switch (state) {
        case STATE_WELCOME:
            if (g_bAutorun)
                state = STATE_AGREEMENT;
            else
                state = WentBack(messageDlg.DoModal()) ? STATE_CLOSE : STATE_AGREEMENT;
            break;

        case STATE_AGREEMENT:
            agreementDlg.m_strText.LoadString(IDS_AGREEMENT_TEXT);
            if (g_bAutorun)
                state = STATE_OPTIONS;
            else
                state = WentBack(agreementDlg.DoModal()) ? STATE_CLOSE : STATE_OPTIONS;
            break;

        case STATE_OPTIONS:
            if (g_bAutorun) {
                m_nOptions = OPTION_APPLICATION;
                optionsDlg.m_nOptions = OPTION_APPLICATION;
                state = STATE_DIRECTORY_ENTRY;
            } else if (WentBack(optionsDlg.DoModal())) {
                state = STATE_AGREEMENT;
            } else {
                m_nOptions = static_cast<int>(optionsDlg.m_nOptions);
                state = STATE_DIRECTORY_ENTRY;
            }
            break;

        case STATE_DIRECTORY_ENTRY:
            if ((m_nOptions & OPTION_NEEDS_DIRECTORY) == 0) {
                bWithDirectory = FALSE;
                state = STATE_WORK;
            } else {
                directoryDlg.m_strPath = DEFAULT_INSTALL_DIR;
                state = STATE_DIRECTORY;
            }
            break;

        case STATE_DIRECTORY:
            state = WentBack(directoryDlg.DoModal()) ? STATE_OPTIONS : STATE_CONFIRM;
            break;

        case STATE_CONFIRM: {
            CString strFormat;
            strFormat.LoadString(DirectoryExists(directoryDlg.m_strPath) ? IDS_CONFIRM_EXISTING_DIR
                                                                         : IDS_CONFIRM_NEW_DIR);
            messageDlg.m_strText.Format(strFormat, directoryDlg.m_strPath.GetString());
            messageDlg.m_strTitle.LoadString(IDS_TITLE_ATTENTION);
            messageDlg.m_bTwoButtons = TRUE;
            messageDlg.m_bNextBack = TRUE;
            if (WentBack(messageDlg.DoModal())) {
                state = STATE_DIRECTORY;
            } else {
                bWithDirectory = TRUE;
                state = STATE_WORK;
            }
            break;
        }

        case STATE_WORK:
            state = DoInstallationWork(bWithDirectory, directoryDlg.m_strPath, messageDlg.m_strText, &pszError)
                        ? STATE_DONE
                        : STATE_ERROR;
            break;

        case STATE_ERROR:
            // A failed directory preparation has left string 3 in the text already.
            if (pszError)
                messageDlg.m_strText = pszError;
            DestroyProgressDialog();
            messageDlg.m_strTitle.LoadString(IDS_TITLE_ERROR);
            messageDlg.m_bTwoButtons = FALSE;
            messageDlg.m_bNextBack = FALSE;
            if (!g_bAutorun)
                messageDlg.DoModal();
            state = STATE_CLOSE;
            break;

        case STATE_CLOSE:
        case STATE_DONE:
            break;
        }
    }

    if (state == STATE_CLOSE)
        DestroyWindow();
}

// The work, in order; the first failing step ends it. On failure *ppszError is the
// step's message, or NULL when the directory could not be prepared (the message text
// then holds string 3 already).
BOOL CSetupWnd::DoInstallationWork(BOOL bWithDirectory, const char* pszPath, CString& strMessageText,
                                   const char** ppszError)
{
    *ppszError = NULL;
    if (bWithDirectory) {
        m_pProgressDlg = new CProgressDlg(this);
        m_pProgressDlg->Create(IDD_PROGRESS, this);
        strMessageText.LoadString(IDS_ERR_CREATE_DIR);
        if (PrepareInstallDir(pszPath, m_nOptions) != 0)
            return FALSE;
    }

    if ((m_nOptions & OPTION_APPLICATION) && (*ppszError = ExtractPayload()) != NULL)
        return FALSE;

    // The redistributable installer is the one the extraction has just written into the
    // installation directory. Without a directory the current directory is where the
    // setup was started, and a file of that name there is not ours to run or delete.
    if (bWithDirectory) {
        if (IsWin9x())
            RunProgramAndWait(REDIST_INSTALLER);
        DeleteFileA(REDIST_INSTALLER);
    }

    if ((m_nOptions & OPTION_MANUALS) && (*ppszError = CopyManuals()) != NULL)
        return FALSE;

    if ((m_nOptions & OPTION_NEEDS_DIRECTORY) && (*ppszError = CreateShortcuts(pszPath, m_nOptions)) != NULL)
        return FALSE;

    if (m_nOptions & OPTION_READER) {
        // Where the setup directory cannot be resolved there is no reader installer to run.
        char szReaderSetup[SETUP_DIR_PATH_SIZE];
        if (GetSetupDirectoryFile(GetCommandLineA(), READER_SETUP_PATH, szReaderSetup, sizeof szReaderSetup))
            m_strReaderSetup = szReaderSetup;
    }

    m_bInstallDone = TRUE;
    if ((m_nOptions & OPTION_NEEDS_DIRECTORY) == 0)
        PostMessage(WM_SETUP_FINISHED);
    return TRUE;
}

void CSetupWnd::DestroyProgressDialog()
{
    if (!m_pProgressDlg)
        return;
    m_pProgressDlg->DestroyWindow();
    delete m_pProgressDlg;
    m_pProgressDlg = NULL;
}
