// The installation sequence: the pages as a chain of modal dialogs, then the work.
#include <windows.h>

#include "../res/resource.h"
#include "../ui/AgreementDlg.h"
#include "../ui/DirectoryDlg.h"
#include "../ui/MessageDlg.h"
#include "../ui/OptionsDlg.h"
#include "../ui/ProgressDlg.h"
#include "CommandLine.h"
#include "IsWin9x.h"
#include "Options.h"
#include "RunProgram.h"
#include "SetupDirectory.h"
#include "SetupMessages.h"
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
    optionsDlg.m_nOptions = OPTION_APPLICATION;

    messageDlg.m_strTitle.LoadString(IDS_TITLE_WELCOME);
    messageDlg.m_strText.LoadString(IDS_WELCOME_TEXT);
    messageDlg.m_bTwoButtons = TRUE;
    messageDlg.m_bNextBack = FALSE;

    BOOL bWithDirectory = FALSE;
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

        case STATE_WORK: {
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

    if (state == STATE_CLOSE)
        DestroyWindow();
}

// The first failing step ends the work; its message is the result.
const char* CSetupWnd::DoInstallationWork(BOOL bWithDirectory, const char* pszPath)
{
    if (bWithDirectory) {
        m_pProgressDlg = new CProgressDlg(this);
        // A progress dialog without its window would never post the hand-over, and the
        // disabled backdrop would stay up with no way out: the work then goes on as when
        // no progress dialog is needed.
        if (!m_pProgressDlg->Create(IDD_PROGRESS, this))
            DestroyProgressDialog();
        if (PrepareInstallDir(pszPath, m_nOptions) != 0)
            return LoadDirectoryError();
    }

    const char* pszError = NULL;
    if (m_nOptions & OPTION_APPLICATION) {
        pszError = ExtractPayload();
        if (pszError)
            return pszError;
    }

    // The redistributable installer is the one the extraction has just written into the
    // installation directory. Without a directory the current directory is where the
    // setup was started, and a file of that name there is not ours to run or delete.
    if (bWithDirectory) {
        if (IsWin9x())
            RunProgramAndWait(REDIST_INSTALLER);
        DeleteFileA(REDIST_INSTALLER);
    }

    if (m_nOptions & OPTION_MANUALS) {
        pszError = CopyManuals();
        if (pszError)
            return pszError;
    }

    if (m_nOptions & OPTION_NEEDS_DIRECTORY) {
        pszError = CreateShortcuts(pszPath, m_nOptions);
        if (pszError)
            return pszError;
    }

    if (m_nOptions & OPTION_READER) {
        // Where the setup directory cannot be resolved there is no reader installer to run.
        char szReaderSetup[SETUP_DIR_PATH_SIZE];
        if (GetMediumFile(MEDIUM_READER_SETUP, szReaderSetup, sizeof szReaderSetup))
            m_strReaderSetup = szReaderSetup;
    }

    m_bInstallDone = TRUE;
    // Without a progress dialog nobody else posts the hand-over.
    if (!m_pProgressDlg)
        PostMessage(WM_SETUP_FINISHED);
    return NULL;
}

void CSetupWnd::DestroyProgressDialog()
{
    if (!m_pProgressDlg)
        return;
    m_pProgressDlg->DestroyWindow();
    delete m_pProgressDlg;
    m_pProgressDlg = NULL;
}
