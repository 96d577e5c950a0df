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
};

// Terminates every "explorer.exe" process (when dwFlags holds EWX_FORCE) and asks
// Windows to shut down with dwFlags. Nonzero when the shutdown was accepted.
BOOL RestartWindows(UINT dwFlags);
