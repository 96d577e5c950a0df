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
