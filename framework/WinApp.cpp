#include "WinApp.h"

#include <commctrl.h>
#include <cstring>

#include "String.h"
#include "Wnd.h"

namespace {
CWinApp* g_pApp = NULL;
}

CWinApp::CWinApp(const char* pszAppName)
    : m_pMainWnd(NULL), m_pszAppName(pszAppName), m_hInstance(NULL), m_nExitCode(-1)
{
    m_szModuleName[0] = '\0';
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return GetModuleHandleA(NULL);
}

void CWinApp::SetAppNameFromModule()
{
    char szPath[MAX_PATH];
    DWORD nLength = GetModuleFileNameA(NULL, szPath, sizeof szPath);
    if (nLength == 0 || nLength >= sizeof szPath)
        szPath[0] = '\0';
    const char* pszName = std::strrchr(szPath, '\\');
    pszName = pszName ? pszName + 1 : szPath;
    lstrcpynA(m_szModuleName, pszName, sizeof m_szModuleName);
    char* pszDot = std::strrchr(m_szModuleName, '.');
    if (pszDot)
        *pszDot = '\0';
    m_pszAppName = m_szModuleName;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !pMsg->hwnd)
        return FALSE;
    HWND hRoot = pMsg->hwnd;
    while (GetWindowLongA(hRoot, GWL_STYLE) & WS_CHILD)
        hRoot = GetParent(hRoot);
    char szClass[16];
    if (!hRoot || !GetClassNameA(hRoot, szClass, sizeof szClass) || std::strcmp(szClass, "#32770") != 0)
        return FALSE;
    return IsDialogMessageA(hRoot, pMsg);
}

int CWinApp::Run()
{
    MSG msg;
    for (;;) {
        BOOL bGot = GetMessageA(&msg, NULL, 0, 0);
        if (bGot == 0) {
            m_nExitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (bGot == -1)
            break;
        if (PreTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

int AfxMessageBox(const char* pszText, UINT nType)
{
    CWinApp* pApp = AfxGetApp();
    HWND hOwner = GetActiveWindow();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd)
        hOwner = GetLastActivePopup(pApp->m_pMainWnd->m_hWnd);
    const char* pszCaption = pApp && pApp->m_pszAppName ? pApp->m_pszAppName : "";
    return MessageBoxA(hOwner, pszText, pszCaption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType)
{
    CString strText;
    strText.LoadString(nIDPrompt);
    return AfxMessageBox(strText, nType);
}

int AfxWinMain()
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = GetModuleHandleA(NULL);
    if (!pApp->m_pszAppName)
        pApp->SetAppNameFromModule();

    // The progress dialog's template names the common controls' progress bar.
    InitCommonControls();

    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
