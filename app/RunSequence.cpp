// The installation sequence (its pages in CInstallSequence) and the work it leads to, with
// or without the pages.
#include <windows.h>

#include "../engine/Engine.h"
#include "../engine/IsWin9x.h"
#include "../engine/Options.h"
#include "../engine/SetupDirectory.h"
#include "../res/resource.h"
#include "../ui/ProgressDlg.h"
#include "../ui/SetupMessages.h"
#include "InstallLog.h"
#include "InstallSequence.h"
#include "RunProgram.h"
#include "SetupWnd.h"

namespace {

const char REDIST_INSTALLER[] = "axdist.exe";

// String 3, the one message of a directory that cannot be prepared, whatever the cause.
// It lives as long as the process, like the engine's messages.
const char* LoadDirectoryError()
{
    static CString s_strText;
    s_strText.LoadString(IDS_ERR_CREATE_DIR);
    return s_strText;
}

} // namespace

void CSetupWnd::RunSequence(UINT_PTR nIDEvent)
{
    KillTimer(nIDEvent);
    CInstallSequence sequence(this);
    if (sequence.Run() == STATE_CLOSE) {
        if (!sequence.WorkStarted())
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
        if (!m_switches.bSilent)
            OpenProgressDialog();
        // Nothing is written from a payload that is not whole: not even the directory.
        if ((m_nOptions & OPTION_APPLICATION) && !PayloadIsSound())
            return WorkFailed(DECOMPRESSION_ERROR);
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

    // Without a directory the current directory is where the setup was started, and a
    // file of the redistributable's name there is not ours to run or delete.
    if (bWithDirectory)
        RunRedistributable();

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

BOOL CSetupWnd::PayloadIsSound()
{
    struct Waiting {
        static void Tick(void* pWnd) { static_cast<CSetupWnd*>(pWnd)->SendProgressTick(); }
    };
    if (m_payloadCheck.Result(Waiting::Tick, this) != PAYLOAD_CHECK_DAMAGED)
        return TRUE;
    LogStep("The payload does not match the checksum written with it: Setup.exe is damaged");
    return FALSE;
}

void CSetupWnd::OpenProgressDialog()
{
    m_pProgressDlg = new CProgressDlg(this);
    // A progress dialog without its window would never post the hand-over, and the
    // disabled backdrop would stay up with no way out: the work then goes on as when no
    // progress dialog is needed.
    if (!m_pProgressDlg->Create(IDD_PROGRESS, this))
        DestroyProgressDialog();
}

// The redistributable installer is the one the extraction has just written into the
// installation directory, the current directory: run on Windows 95/98, and never left.
void CSetupWnd::RunRedistributable()
{
    if (IsWin9x())
        LogStep(RunProgramAndWait(REDIST_INSTALLER) ? "Ran the redistributable installer axdist.exe"
                                                    : "The redistributable installer axdist.exe did not start");
    if (DeleteFileA(REDIST_INSTALLER))
        LogStep("Deleted axdist.exe");
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
