// CWinApp: the application object. Exactly one, static, per program; the framework's
// WinMain runs its start-up step, its message loop and its exit step.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    // pszAppName NULL: the application is named after the executable's file name
    // without its extension.
    explicit CWinApp(const char* pszAppName = NULL);
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up step, called once before the message loop; FALSE skips the loop.
    virtual BOOL InitInstance();
    // The message loop; returns the exit step's result.
    virtual int Run();
    // Exit step, called after the loop; its result is the process exit code. The default
    // returns the code carried by the quit message.
    virtual int ExitInstance();

    // The main window: its destruction ends the message loop with exit code 0.
    CWnd* m_pMainWnd;
    const char* m_pszAppName;
    HINSTANCE m_hInstance;

protected:
    // Gives a modeless dialog its keyboard navigation before the message is dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    int m_nExitCode;

private:
    friend int AfxWinMain();
    void SetAppNameFromModule();
    char m_szModuleName[MAX_PATH];
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// A message box over the application's active window, captioned with the application's name.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);

// Runs the application object; WinMain's whole body.
int AfxWinMain();
