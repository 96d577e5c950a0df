// The options page in a program of its own, for the tests that need what only a real
// setup process has: its own command line and an application named after its file.
// Copied onto a medium folder as Setup.exe, it shows the page once, as the setup does,
// and ends with the exit code result x 256 + option bits.
#include "app/SetupWnd.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "engine/SetupDirectory.h"
#include "framework/WinApp.h"
#include "ui/OptionsDlg.h"
#include "ui/SetupMessages.h"

class COptionsPageApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        ResolveProcessSetupDirectory(GetCommandLineA());
        COptionsDlg page(NULL);
        page.m_nOptions = OPTION_APPLICATION;
        m_nResult = static_cast<int>(page.DoModal());
        m_nOptions = page.m_nOptions;
        return FALSE;
    }

    int ExitInstance() override { return m_nResult * 256 + static_cast<int>(m_nOptions); }

private:
    int m_nResult = 0;
    UINT m_nOptions = 0;
};

static COptionsPageApp theApp;
