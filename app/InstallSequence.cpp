#include "InstallSequence.h"

#include "../engine/Options.h"
#include "../res/resource.h"
#include "SetupWnd.h"

namespace {

// Anything but IDCANCEL, a failed display included, counts as the forward button.
bool WentBack(INT_PTR nResult)
{
    return nResult == IDCANCEL;
}

} // namespace

CInstallSequence::CInstallSequence(CSetupWnd* pSetupWnd)
    : m_pSetupWnd(pSetupWnd),
      m_messageDlg(pSetupWnd),
      m_agreementDlg(pSetupWnd),
      m_optionsDlg(pSetupWnd),
      m_directoryDlg(pSetupWnd),
      m_bWithDirectory(FALSE),
      m_bWorkStarted(FALSE),
      m_pszError(NULL)
{
    const InstallSwitches& switches = pSetupWnd->m_switches;
    m_nStartOptions = switches.bOptionsGiven ? switches.nOptions : OPTION_APPLICATION;
    m_pszStartDir = switches.bDirGiven ? switches.szDir : DEFAULT_INSTALL_DIR;
    m_optionsDlg.m_nOptions = m_nStartOptions;
    m_optionsDlg.m_bKeepGivenOptions = switches.bOptionsGiven;
    m_messageDlg.Prepare(IDS_TITLE_WELCOME, IDS_WELCOME_TEXT, MESSAGE_OK_CANCEL);
}

SequenceState CInstallSequence::Run()
{
    SequenceState state = STATE_WELCOME;
    while (state != STATE_CLOSE && state != STATE_DONE)
        state = Step(state);
    return state;
}

SequenceState CInstallSequence::Step(SequenceState state)
{
    switch (state) {
    case STATE_WELCOME:
        return ShowWelcome();
    case STATE_AGREEMENT:
        return ShowAgreement();
    case STATE_OPTIONS:
        return ShowOptions();
    case STATE_DIRECTORY_ENTRY:
        return EnterDirectory();
    case STATE_DIRECTORY:
        return ShowChooser();
    case STATE_CONFIRM:
        return ShowConfirmation();
    case STATE_WORK:
        return DoWork();
    case STATE_ERROR:
        return ReportError();
    case STATE_CLOSE:
    case STATE_DONE:
        break;
    }
    return state;
}

SequenceState CInstallSequence::ShowWelcome()
{
    if (g_bAutorun)
        return STATE_AGREEMENT;
    return WentBack(m_messageDlg.DoModal()) ? STATE_CLOSE : STATE_AGREEMENT;
}

SequenceState CInstallSequence::ShowAgreement()
{
    m_agreementDlg.m_strText.LoadString(IDS_AGREEMENT_TEXT);
    if (g_bAutorun)
        return STATE_OPTIONS;
    return WentBack(m_agreementDlg.DoModal()) ? STATE_CLOSE : STATE_OPTIONS;
}

SequenceState CInstallSequence::ShowOptions()
{
    if (g_bAutorun) {
        m_pSetupWnd->m_nOptions = static_cast<int>(m_nStartOptions);
        m_optionsDlg.m_nOptions = m_nStartOptions;
        return STATE_DIRECTORY_ENTRY;
    }
    if (WentBack(m_optionsDlg.DoModal()))
        return STATE_AGREEMENT;
    m_pSetupWnd->m_nOptions = static_cast<int>(m_optionsDlg.m_nOptions);
    return STATE_DIRECTORY_ENTRY;
}

// The chooser starts at the default (or the command line's directory) each time it is
// reached from the options page.
SequenceState CInstallSequence::EnterDirectory()
{
    if ((m_pSetupWnd->m_nOptions & OPTION_NEEDS_DIRECTORY) == 0) {
        m_bWithDirectory = FALSE;
        return STATE_WORK;
    }
    m_directoryDlg.m_strPath = m_pszStartDir;
    return STATE_DIRECTORY;
}

SequenceState CInstallSequence::ShowChooser()
{
    return WentBack(m_directoryDlg.DoModal()) ? STATE_OPTIONS : STATE_CONFIRM;
}

SequenceState CInstallSequence::ShowConfirmation()
{
    const CString& strPath = m_directoryDlg.m_strPath;
    CString strFormat;
    strFormat.LoadString(m_pSetupWnd->DirectoryExists(strPath) ? IDS_CONFIRM_EXISTING_DIR : IDS_CONFIRM_NEW_DIR);
    CString strText;
    strText.Format(strFormat, strPath.GetString());
    m_messageDlg.Prepare(IDS_TITLE_ATTENTION, strText, MESSAGE_NEXT_BACK);
    if (WentBack(m_messageDlg.DoModal()))
        return STATE_DIRECTORY;
    m_bWithDirectory = TRUE;
    return STATE_WORK;
}

SequenceState CInstallSequence::DoWork()
{
    m_bWorkStarted = TRUE;
    m_pszError = m_pSetupWnd->DoInstallationWork(m_bWithDirectory, m_directoryDlg.m_strPath);
    return m_pszError ? STATE_ERROR : STATE_DONE;
}

SequenceState CInstallSequence::ReportError()
{
    m_pSetupWnd->DestroyProgressDialog();
    m_messageDlg.Prepare(IDS_TITLE_ERROR, m_pszError, MESSAGE_OK);
    if (!g_bAutorun)
        m_messageDlg.DoModal();
    return STATE_CLOSE;
}

