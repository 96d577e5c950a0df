#include "Wnd.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "WinApp.h"

namespace {

// Everything runs on one thread, so a plain map is enough; window properties would cost
// a trip to the window server on every message under Wine.
std::unordered_map<HWND, CWnd*>& HandleMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The object whose window is being created: the first message the new window receives
// attaches it (WM_GETMINMAXINFO arrives before WM_NCCREATE, and neither carries the object).
CWnd* g_pWndInit = NULL;

} // namespace

CWnd::CWnd() : m_hWnd(NULL), m_pfnSuper(NULL) {}

CWnd::~CWnd()
{
    if (m_hWnd) {
        // The derived parts are gone already: no message of the dying window may reach them.
        HWND hWnd = m_hWnd;
        Detach();
        ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = HandleMap().find(hWnd);
    return it == HandleMap().end() ? NULL : it->second;
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    HandleMap()[hWnd] = this;
}

void CWnd::Detach()
{
    if (m_hWnd) {
        HandleMap().erase(m_hWnd);
        if (m_pfnSuper) {
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            m_pfnSuper = NULL;
        }
    }
    m_hWnd = NULL;
}

const char* CWnd::RegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static char szName[64];
    HINSTANCE hInstance = GetModuleHandleA(NULL);
    std::snprintf(szName, sizeof szName, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(hInstance), nClassStyle,
                  static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    WNDCLASSA wc;
    if (GetClassInfoA(hInstance, szName, &wc))
        return szName;
    ZeroMemory(&wc, sizeof wc);
    wc.style = nClassStyle;
    wc.lpfnWndProc = StandardWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.lpszClassName = szName;
    RegisterClassA(&wc);
    return szName;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, UINT nID, void* pParam)
{
    g_pWndInit = this;
    HWND hWnd = CreateWindowExA(dwExStyle, pszClassName, pszWindowName, dwStyle, x, y, nWidth, nHeight,
                                hWndParent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                GetModuleHandleA(NULL), pParam);
    g_pWndInit = NULL;
    if (hWnd && !m_hWnd)
        Attach(hWnd);
    return hWnd != NULL;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd || !IsWindow(m_hWnd))
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CString CWnd::GetDlgItemText(int nID) const
{
    HWND hItem = GetDlgItem(nID);
    int nLength = hItem ? GetWindowTextLengthA(hItem) : 0;
    if (nLength <= 0)
        return CString();
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
    int nGot = GetWindowTextA(hItem, buffer.data(), nLength + 1);
    return CString(buffer.data(), nGot);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (OnWndMsg(message, wParam, lParam, &lResult))
        return lResult;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StandardWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd && g_pWndInit) {
        pWnd = g_pWndInit;
        g_pWndInit = NULL;
        pWnd->Attach(hWnd);
    }
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    LRESULT lResult = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        pWnd->Detach();
        CWinApp* pApp = AfxGetApp();
        // The main window's end is the application's end.
        if (pApp && pApp->m_pMainWnd == pWnd) {
            pApp->m_pMainWnd = NULL;
            PostQuitMessage(0);
        }
    }
    return lResult;
}
