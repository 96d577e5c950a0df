#include "MessageDlg.h"

#include "../res/resource.h"

CMessageDlg::CMessageDlg(CWnd* pParentWnd)
    : CDialog(IDD_MESSAGE, pParentWnd), m_bTwoButtons(FALSE), m_bNextBack(FALSE)
{
}

CMessageDlg::~CMessageDlg() {}

void CMessageDlg::Prepare(UINT nIDTitle, const char* pszText, MessageButtons buttons)
{
    m_strTitle.LoadString(nIDTitle);
    m_strText = pszText;
    m_bTwoButtons = buttons != MESSAGE_OK;
    m_bNextBack = buttons == MESSAGE_NEXT_BACK;
}

void CMessageDlg::Prepare(UINT nIDTitle, UINT nIDText, MessageButtons buttons)
{
    CString strText;
    strText.LoadString(nIDText);
    Prepare(nIDTitle, strText, buttons);
}

BOOL CMessageDlg::OnInitDialog()
{
    SetWindowText(m_strTitle);
    SetDlgItemText(IDC_TEXT, m_strText);
    if (m_bNextBack) {
        SetDlgItemText(IDOK, "Next >>>");
        SetDlgItemText(IDCANCEL, "<<< Back");
    }
    if (m_bTwoButtons)
        PlaceOkOppositeCancel();
    else
        ::ShowWindow(GetDlgItem(IDCANCEL), SW_HIDE);
    return CDialog::OnInitDialog();
}

// Worked out in pixels at run time, so the two buttons stay symmetrical at any font scaling.
void CMessageDlg::PlaceOkOppositeCancel()
{
    RECT rcDialog;
    ::GetClientRect(m_hWnd, &rcDialog);
    HWND hCancel = GetDlgItem(IDCANCEL);
    RECT rcCancel;
    ::GetClientRect(hCancel, &rcCancel);
    ::MapWindowPoints(hCancel, m_hWnd, reinterpret_cast<POINT*>(&rcCancel), 2);
    ::MoveWindow(GetDlgItem(IDOK), rcDialog.right - rcCancel.right, rcCancel.top, rcCancel.right - rcCancel.left,
                 rcCancel.bottom - rcCancel.top, TRUE);
}
