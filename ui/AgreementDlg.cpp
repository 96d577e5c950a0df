#include "AgreementDlg.h"

#include "../res/resource.h"

CAgreementDlg::CAgreementDlg(CWnd* pParentWnd) : CDialog(IDD_AGREEMENT, pParentWnd) {}

CAgreementDlg::~CAgreementDlg() {}

BOOL CAgreementDlg::OnInitDialog()
{
    SetDlgItemText(IDC_AGREEMENT_EDIT, m_strText);
    return CDialog::OnInitDialog();
}
