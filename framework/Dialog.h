// CDialog: a dialog made from a template resource, modal (DoModal) or modeless (Create).
// Once the dialog exists its window is subclassed, so that every message passes the
// object's WindowProc before the system's dialog procedure.
#pragma once

#include "Wnd.h"

class CDialog : public CWnd {
public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    // Runs the dialog modally: IDOK or IDCANCEL as the dialog ended, -1 when it could
    // not be displayed.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; it lives on until someone destroys its window.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    void EndDialog(int nResult);

    // Centres the window over its owner (over the work area when the owner is hidden or
    // minimised), kept inside the work area.
    void CenterWindow();

protected:
    // Default: TRUE, so that the keyboard focus goes to the first tab stop.
    virtual BOOL OnInitDialog();
    // Defaults end the dialog with IDOK or IDCANCEL. Enter, Esc and the close box arrive here.
    virtual void OnOK();
    virtual void OnCancel();
    // The dialog's other messages that a page acts on. Each is still passed on to the
    // system's dialog procedure afterwards; the defaults do nothing.
    // A control's notification (nCode) other than the IDOK and IDCANCEL clicks.
    virtual void OnCommand(UINT nID, UINT nCode);
    // A timer message, whatever its id and whoever sent it.
    virtual void OnTimer(UINT_PTR nIDEvent);
    // The window is being destroyed, its controls still there.
    virtual void OnDestroy();

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL DispatchCommand(UINT nID, UINT nCode, LRESULT* pResult);
    HWND ParentHandle() const;
};
