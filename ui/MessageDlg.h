// CMessageDlg: the setup's general message window (welcome, directory confirmation,
// error, completion): a title, a centred body text and one or two buttons.
#pragma once

#include "../framework/Dialog.h"

// The buttons a message shows.
enum MessageButtons {
    MESSAGE_OK,         // "OK" alone
    MESSAGE_OK_CANCEL,  // "OK" and "Cancel"
    MESSAGE_NEXT_BACK,  // "Next >>>" and "<<< Back"
};

class CMessageDlg : public CDialog {
public:
    explicit CMessageDlg(CWnd* pParentWnd);
    ~CMessageDlg() override;

    // Sets the four values below for the next display: the title from the string table,
    // the text as given or from the string table, and the buttons.
    void Prepare(UINT nIDTitle, const char* pszText, MessageButtons buttons);
    void Prepare(UINT nIDTitle, UINT nIDText, MessageButtons buttons);

    // Read afresh by every run of DoModal.
    CString m_strText;
    CString m_strTitle;
    // Nonzero: IDCANCEL and IDOK side by side, mirrored about the centre; zero: IDOK alone.
    BOOL m_bTwoButtons;
    // Nonzero: "Next >>>" and "<<< Back" instead of "OK" and "Cancel".
    BOOL m_bNextBack;

protected:
    BOOL OnInitDialog() override;

private:
    void PlaceOkOppositeCancel();
};
