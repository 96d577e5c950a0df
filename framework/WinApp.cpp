#include "WinApp.h"

#include <cstring>

#include "String.h"
#include "Wnd.h"

namespace {

CWinApp* g_pApp = NULL;

// LOAD_LIBRARY_SEARCH_SYSTEM32, named by headers for Windows 8 and later only.
const DWORD SEARCH_SYSTEM32_ONLY = 0x00000800;

// A program started from a downloads folder must not load a DLL that someone put beside
// it: from here on, DLLs named without a path come from the system directory only. Where
// that call is missing (before Windows 8 without its update), at least the current
// directory leaves the search (XP SP1 and later); the oldest systems have neither.
void RestrictDllSearchPath()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryFn)(LPCSTR);
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    if (!hKernel)
        return;
    SetDefaultDllDirectoriesFn pSetDefault =
        reinterpret_cast<SetDefaultDllDirectoriesFn>(GetProcAddress(hKernel, "SetDefaultDllDirectories"));
    if (pSetDefault && pSetDefault(SEARCH_SYSTEM32_ONLY))
        return;
    SetDllDirectoryFn pSetDllDirectory =
        reinterpret_cast<SetDllDirectoryFn>(GetProcAddress(hKernel, "SetDllDirectoryA"));
    if (pSetDllDirectory)
        pSetDllDirectory("");
}

// The common controls (the progress bar) are loaded once the search path is restricted:
// comctl32.dll is not one of the DLLs the system always takes from its own directory, so
// an import of it would be looked for beside the program first.
void LoadCommonControls()
{
    typedef void(WINAPI * InitCommonControlsFn)(void);
    HMODULE hCommonControls = LoadLibraryA("comctl32.dll");
    if (!hCommonControls)
        return;
    InitCommonControlsFn pInit =
        reinterpret_cast<InitCommonControlsFn>(GetProcAddress(hCommonControls, "InitCommonControls"));
    if (pInit)
        pInit();
}

} // namespace

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
    RestrictDllSearchPath();
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = GetModuleHandleA(NULL);
    if (!pApp->m_pszAppName)
        pApp->SetAppNameFromModule();

    // The progress dialog's template names the common controls' progress bar.
    LoadCommonControls();

    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
