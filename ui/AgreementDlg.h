// CAgreementDlg: the licence agreement page. "Yes" (IDOK) accepts, "No" (IDCANCEL) declines.
#pragma once

#include "../framework/Dialog.h"

class CAgreementDlg : public CDialog {
public:
    explicit CAgreementDlg(CWnd* pParentWnd);
    ~CAgreementDlg() override;

    // The licence text shown in the read-only text field.
    CString m_strText;

protected:
    BOOL OnInitDialog() override;
};
