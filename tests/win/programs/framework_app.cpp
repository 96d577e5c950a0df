// A minimal application on the framework, for the framework's tests. Its command line
// says what to do: "close" closes the main window, "exitcode" also makes the exit step
// return 7, "msgbox" shows a message box first and closes after it.
#include <cstring>

#include "framework/WinApp.h"
#include "framework/Wnd.h"

class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_pWindow = new CWnd;
        m_pMainWnd = m_pWindow;
        const char* pszClass = CWnd::RegisterWndClass(0, LoadCursorA(NULL, IDC_ARROW), NULL, NULL);
        m_pWindow->CreateEx(0, pszClass, "framework app", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, NULL, 0);
        if (std::strstr(GetCommandLineA(), "msgbox"))
            AfxMessageBox("A message through the framework.", MB_OK | MB_ICONEXCLAMATION);
        m_pWindow->PostMessage(WM_CLOSE);
        return TRUE;
    }

    int ExitInstance() override
    {
        delete m_pWindow;
        int nCode = CWinApp::ExitInstance();
        return std::strstr(GetCommandLineA(), "exitcode") ? 7 : nCode;
    }

private:
    CWnd* m_pWindow = nullptr;
};

static CTestApp theApp;
