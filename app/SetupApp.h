// CSetupApp: the setup program's application object.
#pragma once

#include "../framework/WinApp.h"

class CSetupWnd;

class CSetupApp : public CWinApp {
public:
    CSetupApp();
    ~CSetupApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    CSetupWnd* m_pSetupWnd;

private:
    // Reads the switches and starts the log; FALSE, with the exit code set, when the
    // command line cannot be understood or asks for what the medium lacks.
    BOOL AcceptSwitches();
    // Ends the program before any work: the reason logged and, unless silent, shown.
    BOOL Refuse(int nExitCode, const char* pszReason);

    // A command line that could not be understood does nothing at all, restart included.
    BOOL m_bNotUnderstood;
};
