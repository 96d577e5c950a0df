#include "Dialog.h"

#include "Centering.h"
#include "WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

HWND CDialog::ParentHandle() const
{
    if (m_pParentWnd)
        return m_pParentWnd->m_hWnd;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : NULL;
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInstance = AfxGetInstanceHandle();
    if (!FindResourceA(hInstance, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */))
        return -1;
    INT_PTR nResult = DialogBoxParamA(hInstance, MAKEINTRESOURCEA(m_nIDTemplate), ParentHandle(), DialogProc,
                                      reinterpret_cast<LPARAM>(this));
    // A dialog that never got as far as WM_INITDIALOG was not displayed.
    if (m_hWnd)
        Detach();
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    HWND hWnd = CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(nIDTemplate), ParentHandle(),
                                   DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != NULL;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // After WM_INITDIALOG the subclassed window procedure sees every message first and
    // passes to the system's dialog procedure, which lands here, what it leaves: nothing
    // more to do then.
    if (message != WM_INITDIALOG || FromHandlePermanent(hWnd))
        return FALSE;
    CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
    pDialog->Attach(hWnd);
    pDialog->m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardWndProc)));
    return static_cast<INT_PTR>(pDialog->WindowProc(message, wParam, lParam));
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM, LRESULT* pResult)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow();
        *pResult = OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        return DispatchCommand(LOWORD(wParam), HIWORD(wParam), pResult);
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}

// Enter, Esc and the close box reach the dialog as clicks of IDOK and IDCANCEL, which it
// answers itself; every other command goes on to the system's dialog procedure.
BOOL CDialog::DispatchCommand(UINT nID, UINT nCode, LRESULT* pResult)
{
    if (nCode == BN_CLICKED && (nID == IDOK || nID == IDCANCEL)) {
        if (nID == IDOK)
            OnOK();
        else
            OnCancel();
        *pResult = 0;
        return TRUE;
    }
    OnCommand(nID, nCode);
    return FALSE;
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnCommand(UINT, UINT) {}

void CDialog::OnTimer(UINT_PTR) {}

void CDialog::OnDestroy() {}

void CDialog::CenterWindow()
{
    RECT rcDialog;
    GetWindowRect(m_hWnd, &rcDialog);
    RECT rcWork;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    RECT rcOver = rcWork;
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    if (hOwner && IsWindowVisible(hOwner) && !IsIconic(hOwner))
        GetWindowRect(hOwner, &rcOver);
    CenterPoint pt = CenteredOrigin(rcDialog.right - rcDialog.left, rcDialog.bottom - rcDialog.top,
                                    CenterRect{rcOver.left, rcOver.top, rcOver.right, rcOver.bottom},
                                    CenterRect{rcWork.left, rcWork.top, rcWork.right, rcWork.bottom});
    SetWindowPos(m_hWnd, NULL, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
