// The installation sequence: the pages as a chain of modal dialogs, then the work.
#include <windows.h>

#include "../engine/IsWin9x.h"
#include "../engine/Options.h"
#include "../engine/SetupDirectory.h"
#include "../res/resource.h"
#include "../ui/AgreementDlg.h"
#include "../ui/DirectoryDlg.h"
#include "../ui/MessageDlg.h"
#include "../ui/OptionsDlg.h"
#include "../ui/ProgressDlg.h"
#include "../ui/SetupMessages.h"
#include "InstallLog.h"
#include "RunProgram.h"
#include "SetupWnd.h"

namespace {

const char DEFAULT_INSTALL_DIR[] = "C:\\Pelorin";
const char REDIST_INSTALLER[] = "axdist.exe";

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

// String 3, the one message of a directory that cannot be prepared, whatever the cause.
// It lives as long as the process, like the engine's messages.
const char* LoadDirectoryError()
{
    static CString s_strText;
    s_strText.LoadString(IDS_ERR_CREATE_DIR);
    return s_strText;
}

// Anything but IDCANCEL, a failed display included, counts as the forward button.
bool WentBack(INT_PTR nResult)
{
    return nResult == IDCANCEL;
}

} // namespace

void CSetupWnd::RunSequence(UINT_PTR nIDEvent)
{
    KillTimer(nIDEvent);

    CMessageDlg messageDlg(this);
    CAgreementDlg agreementDlg(this);
    COptionsDlg optionsDlg(this);
    CDirectoryDlg directoryDlg(this);
    // The options given on the command line are where the page starts.
    const UINT nStartOptions = m_switches.bOptionsGiven ? m_switches.nOptions : OPTION_APPLICATION;
    optionsDlg.m_nOptions = nStartOptions;
    optionsDlg.m_bKeepGivenOptions = m_switches.bOptionsGiven;
    const char* pszStartDir = m_switches.bDirGiven ? m_switches.szDir : DEFAULT_INSTALL_DIR;

    messageDlg.m_strTitle.LoadString(IDS_TITLE_WELCOME);
    messageDlg.m_strText.LoadString(IDS_WELCOME_TEXT);
    messageDlg.m_bTwoButtons = TRUE;
    messageDlg.m_bNextBack = FALSE;

    BOOL bWithDirectory = FALSE;
    BOOL bWorkStarted = FALSE;
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
                m_nOptions = static_cast<int>(nStartOptions);
                optionsDlg.m_nOptions = nStartOptions;
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
                directoryDlg.m_strPath = pszStartDir;
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

        case STATE_WORK: {
            bWorkStarted = TRUE;
            const char* pszError = DoInstallationWork(bWithDirectory, directoryDlg.m_strPath);
            if (pszError) {
                messageDlg.m_strText = pszError;
                state = STATE_ERROR;
            } else {
                state = STATE_DONE;
            }
            break;
        }

        case STATE_ERROR:
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

    if (state == STATE_CLOSE) {
        if (!bWorkStarted)
            LogStep("Ended by the user before any work");
        DestroyWindow();
    }
}

// The step's message, logged as the failure it is.
const char* CSetupWnd::WorkFailed(const char* pszMessage)
{
    LogStepFormat("Installation failed: %s", pszMessage);
    return pszMessage;
}

// The first failing step ends the work; its message is the result.
const char* CSetupWnd::DoInstallationWork(BOOL bWithDirectory, const char* pszPath)
{
    if (bWithDirectory) {
        if (!m_switches.bSilent) {
            m_pProgressDlg = new CProgressDlg(this);
            // A progress dialog without its window would never post the hand-over, and the
            // disabled backdrop would stay up with no way out: the work then goes on as
            // when no progress dialog is needed.
            if (!m_pProgressDlg->Create(IDD_PROGRESS, this))
                DestroyProgressDialog();
        }
        if (PrepareInstallDir(pszPath, m_nOptions) != 0)
            return WorkFailed(LoadDirectoryError());
        LogStepFormat("Prepared the installation directory %s", pszPath);
    }

    const char* pszError = NULL;
    if (m_nOptions & OPTION_APPLICATION) {
        pszError = ExtractPayload();
        if (pszError)
            return WorkFailed(pszError);
        LogStep("Unpacked the application's files");
    }

    // The redistributable installer is the one the extraction has just written into the
    // installation directory. Without a directory the current directory is where the
    // setup was started, and a file of that name there is not ours to run or delete.
    if (bWithDirectory) {
        if (IsWin9x())
            LogStep(RunProgramAndWait(REDIST_INSTALLER) ? "Ran the redistributable installer axdist.exe"
                                                        : "The redistributable installer axdist.exe did not start");
        if (DeleteFileA(REDIST_INSTALLER))
            LogStep("Deleted axdist.exe");
    }

    if (m_nOptions & OPTION_MANUALS) {
        pszError = CopyManuals();
        if (pszError)
            return WorkFailed(pszError);
        LogStep("Copied the manuals");
    }

    if (m_nOptions & OPTION_NEEDS_DIRECTORY) {
        pszError = CreateShortcuts(pszPath, m_nOptions);
        if (pszError)
            return WorkFailed(pszError);
        LogStep("Created the program group, the shortcuts and the uninstall entry");
    }

    if (m_nOptions & OPTION_READER) {
        // Where the setup directory cannot be resolved there is no reader installer to run.
        char szReaderSetup[SETUP_DIR_PATH_SIZE];
        if (GetMediumFile(MEDIUM_READER_SETUP, szReaderSetup, sizeof szReaderSetup))
            m_strReaderSetup = szReaderSetup;
    }

    m_bInstallDone = TRUE;
    // Without a progress dialog nobody else posts the hand-over; an installation without
    // a window has none to post it to, and hands over by itself.
    if (!m_pProgressDlg && !m_switches.bSilent)
        PostMessage(WM_SETUP_FINISHED);
    return NULL;
}

int CSetupWnd::RunSilentInstallation()
{
    // -autorun installs the application alone; without it the default is the options
    // page's: the application, and the manuals when the medium has them.
    if (m_switches.bOptionsGiven)
        m_nOptions = m_switches.nOptions;
    else if (g_bAutorun || !MediumFileReadable(MEDIUM_MANUAL_INDEX))
        m_nOptions = OPTION_APPLICATION;
    else
        m_nOptions = OPTION_APPLICATION | OPTION_MANUALS;
    const char* pszDir = m_switches.bDirGiven ? m_switches.szDir : DEFAULT_INSTALL_DIR;

    if (DoInstallationWork((m_nOptions & OPTION_NEEDS_DIRECTORY) != 0, pszDir))
        return SETUP_EXIT_FAILED;
    RunReaderSetup();
    LogStep("Installation complete");
    return SETUP_EXIT_INSTALLED;
}

void CSetupWnd::RunReaderSetup()
{
    if (!(m_nOptions & OPTION_READER) || m_strReaderSetup.IsEmpty())
        return;
    if (RunProgramAndWait(m_strReaderSetup))
        LogStepFormat("Ran the PDF reader's installer %s", m_strReaderSetup.GetString());
    else
        LogStepFormat("The PDF reader's installer %s did not start", m_strReaderSetup.GetString());
}

void CSetupWnd::DestroyProgressDialog()
{
    if (!m_pProgressDlg)
        return;
    m_pProgressDlg->DestroyWindow();
    delete m_pProgressDlg;
    m_pProgressDlg = NULL;
}
