#include "Wnd.h"

#include <cstdlib>

#include "WinApp.h"

namespace {

// The objects attached to windows. Everything runs on one thread and a program has a
// handful of windows at a time, so a short table searched from the front is enough;
// window properties would cost a trip to the window server on every message under Wine.
struct HandleEntry {
    HWND hWnd;
    CWnd* pWnd;
};
HandleEntry* g_pHandles = NULL;
size_t g_nHandles = 0;
size_t g_nHandleCapacity = 0;

CWnd* LookUpHandle(HWND hWnd)
{
    for (size_t i = 0; i < g_nHandles; ++i)
        if (g_pHandles[i].hWnd == hWnd)
            return g_pHandles[i].pWnd;
    return NULL;
}

void RememberHandle(HWND hWnd, CWnd* pWnd)
{
    for (size_t i = 0; i < g_nHandles; ++i) {
        if (g_pHandles[i].hWnd == hWnd) {
            g_pHandles[i].pWnd = pWnd;
            return;
        }
    }
    if (g_nHandles == g_nHandleCapacity) {
        size_t nCapacity = g_nHandleCapacity ? g_nHandleCapacity * 2 : 8;
        void* pGrown = std::realloc(g_pHandles, nCapacity * sizeof(HandleEntry));
        if (!pGrown)
            std::abort();
        g_pHandles = static_cast<HandleEntry*>(pGrown);
        g_nHandleCapacity = nCapacity;
    }
    g_pHandles[g_nHandles].hWnd = hWnd;
    g_pHandles[g_nHandles].pWnd = pWnd;
    ++g_nHandles;
}

void ForgetHandle(HWND hWnd)
{
    for (size_t i = 0; i < g_nHandles; ++i) {
        if (g_pHandles[i].hWnd == hWnd) {
            g_pHandles[i] = g_pHandles[--g_nHandles];
            return;
        }
    }
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
    return LookUpHandle(hWnd);
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    RememberHandle(hWnd, this);
}

void CWnd::Detach()
{
    if (m_hWnd) {
        ForgetHandle(m_hWnd);
        if (m_pfnSuper) {
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            m_pfnSuper = NULL;
        }
    }
    m_hWnd = NULL;
}

const char* CWnd::RegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static char szName[4 + 5 * (1 + 2 * sizeof(UINT_PTR))];
    HINSTANCE hInstance = GetModuleHandleA(NULL);
    // "Afx:" and the attributes in hexadecimal, each after a colon.
    const UINT_PTR aValues[] = {reinterpret_cast<UINT_PTR>(hInstance), nClassStyle, reinterpret_cast<UINT_PTR>(hCursor),
                                reinterpret_cast<UINT_PTR>(hbrBackground), reinterpret_cast<UINT_PTR>(hIcon)};
    char* p = szName;
    *p++ = 'A';
    *p++ = 'f';
    *p++ = 'x';
    for (UINT_PTR nValue : aValues) {
        *p++ = ':';
        for (int nShift = static_cast<int>(sizeof nValue * 8) - 4; nShift >= 0; nShift -= 4)
            *p++ = "0123456789abcdef"[(nValue >> nShift) & 0xF];
    }
    *p = '\0';
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
    CString strText;
    int nGot = GetWindowTextA(hItem, strText.GetBufferSetLength(nLength), nLength + 1);
    // The control may hold less than it announced.
    strText.GetBufferSetLength(nGot > 0 ? nGot : 0);
    return strText;
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
