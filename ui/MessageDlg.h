// CMessageDlg: the setup's general message window (welcome, directory confirmation,
// error, completion): a title, a centred body text and one or two buttons.
#pragma once

#include "../framework/Dialog.h"

class CMessageDlg : public CDialog {
public:
    explicit CMessageDlg(CWnd* pParentWnd);
    ~CMessageDlg() override;

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
