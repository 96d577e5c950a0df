// Stands in for the shell in the restart tests: copied as explorer.exe, it only waits,
// so that a test can see whether the setup program terminated it.
#include "framework/WinApp.h"

class CStandInApp : public CWinApp {
public:
    // No window: the message loop simply runs until the process is ended.
    BOOL InitInstance() override { return TRUE; }
};

static CStandInApp theApp;
