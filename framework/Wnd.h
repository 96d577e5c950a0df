// CWnd: a window owned by a C++ object. The object receives the window's messages
// through the virtual WindowProc; whatever it does not handle goes to the default
// procedure of the window's class.
#pragma once

#include <windows.h>

#include "String.h"

class CWnd {
public:
    CWnd();
    virtual ~CWnd();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    // The object that owns hWnd, or NULL when no CWnd is attached to it.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Registers (once) a window class with these attributes and returns its generated
    // name. The name stays valid until the next call.
    static const char* RegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon);

    BOOL CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, UINT nID, void* pParam = NULL);
    // Destroys the window; does nothing (and returns FALSE) when it is already gone.
    virtual BOOL DestroyWindow();

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, NULL); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    void SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    void SetDlgItemText(int nID, const char* pszText) { ::SetDlgItemTextA(m_hWnd, nID, pszText); }
    // The whole text of a child control, whatever its length.
    CString GetDlgItemText(int nID) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
    }
    void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
    UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }

protected:
    // How a window class takes its messages, one rule for all of them:
    //  - It decodes them in OnWndMsg, its message table, and calls a named handler there.
    //    A message it has answered returns TRUE with *pResult set; every other returns
    //    FALSE, also one it has acted on but whose default processing must still run (a
    //    timer tick, WM_DESTROY), and a class that derives from another one hands what it
    //    does not take to the base class's OnWndMsg.
    //  - A dialog (CDialog) has its table already: it overrides the named handlers the
    //    table calls (OnInitDialog, OnOK, OnCancel, OnCommand, OnTimer, OnDestroy).
    //  - WindowProc is overridden only for a message that must be seen before the message
    //    table whatever the table does with it (the setup window's WM_SETUP_FINISHED).
    //
    // The message filter. The default consults the message table (OnWndMsg) and hands
    // every message it does not handle to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message table: returns TRUE with *pResult set when the message was handled.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The default processing of the window's class.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    void Attach(HWND hWnd);
    void Detach();

    static LRESULT CALLBACK StandardWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The class procedure of a window that was subclassed after creation (dialogs).
    WNDPROC m_pfnSuper;
};
