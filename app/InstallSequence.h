// CInstallSequence: one run of the installation sequence, the pages as a chain of modal
// dialogs and then the work, as a state machine with a named step for each state.
#pragma once

#include "../ui/AgreementDlg.h"
#include "../ui/DirectoryDlg.h"
#include "../ui/MessageDlg.h"
#include "../ui/OptionsDlg.h"

class CSetupWnd;

const char DEFAULT_INSTALL_DIR[] = "C:\\Pelorin";

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

// The pages are kept for the whole run, so that each keeps its values from one display to
// the next. Each step returns the state that follows.
class CInstallSequence {
public:
    explicit CInstallSequence(CSetupWnd* pSetupWnd);
    CInstallSequence(const CInstallSequence&) = delete;
    CInstallSequence& operator=(const CInstallSequence&) = delete;

    // Runs the states until the sequence closes (cancelled or failed) or is done.
    SequenceState Run();
    BOOL WorkStarted() const { return m_bWorkStarted; }

private:
    SequenceState Step(SequenceState state);
    SequenceState ShowWelcome();
    SequenceState ShowAgreement();
    SequenceState ShowOptions();
    SequenceState EnterDirectory();
    SequenceState ShowChooser();
    SequenceState ShowConfirmation();
    SequenceState DoWork();
    SequenceState ReportError();

    CSetupWnd* m_pSetupWnd;
    CMessageDlg m_messageDlg;
    CAgreementDlg m_agreementDlg;
    COptionsDlg m_optionsDlg;
    CDirectoryDlg m_directoryDlg;
    // Where the options page and the chooser start: the command line's choice, or the default.
    UINT m_nStartOptions;
    const char* m_pszStartDir;
    BOOL m_bWithDirectory;
    BOOL m_bWorkStarted;
    // The failing step's message.
    const char* m_pszError;
};

