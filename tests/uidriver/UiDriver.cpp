#include "UiDriver.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "Png.h"

namespace uidriver {

namespace {

// How long one message to another thread may take before that thread counts as hung.
const UINT kMessageTimeoutMs = 5000;
const DWORD kPollMs = 20;

// --- Messages -------------------------------------------------------------------------

// SendMessage that gives up on a hung or vanished window instead of blocking the test.
bool SendTimed(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* pResult = NULL,
               UINT uTimeoutMs = kMessageTimeoutMs)
{
    DWORD_PTR result = 0;
    bool bAnswered = SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_NORMAL, uTimeoutMs, &result) != 0;
    if (pResult)
        *pResult = bAnswered ? result : 0;
    return bAnswered;
}

// The result of a message, or `fallback` when the window did not answer.
LRESULT SendOr(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback)
{
    DWORD_PTR result = 0;
    return SendTimed(hWnd, message, wParam, lParam, &result) ? static_cast<LRESULT>(result) : fallback;
}

// An item text of a list or combo box, read through the Unicode messages: Wine 8 answers
// a cross-process LB_GETTEXT or CB_GETLBTEXT sent as ANSI with the UTF-16 text, twice
// the bytes the ANSI buffer was sized for. The buffer has room for twice the reported
// length all the same, in case a system miscounts the other way.
std::string ItemText(HWND hControl, UINT lenMessage, UINT textMessage, int nIndex)
{
    DWORD_PTR nLength = 0;
    if (!SendMessageTimeoutW(hControl, lenMessage, static_cast<WPARAM>(nIndex), 0, SMTO_NORMAL, kMessageTimeoutMs,
                             &nLength) ||
        static_cast<LRESULT>(nLength) < 0)
        return std::string();
    std::vector<WCHAR> buffer(2 * (nLength + 1), L'\0');
    DWORD_PTR nCopied = 0;
    if (!SendMessageTimeoutW(hControl, textMessage, static_cast<WPARAM>(nIndex),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, kMessageTimeoutMs, &nCopied) ||
        static_cast<LRESULT>(nCopied) < 0)
        return std::string();
    int nChars = static_cast<int>(std::min<DWORD_PTR>(nCopied, nLength));
    int nBytes = WideCharToMultiByte(CP_ACP, 0, buffer.data(), nChars, NULL, 0, NULL, NULL);
    if (nBytes <= 0)
        return std::string();
    std::string text(static_cast<size_t>(nBytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, buffer.data(), nChars, &text[0], nBytes, NULL, NULL);
    return text;
}

std::vector<std::string> Items(HWND hControl, UINT countMessage, UINT lenMessage, UINT textMessage)
{
    std::vector<std::string> items;
    LRESULT nCount = hControl ? SendOr(hControl, countMessage, 0, 0, 0) : 0;
    for (LRESULT i = 0; i < nCount; ++i)
        items.push_back(ItemText(hControl, lenMessage, textMessage, static_cast<int>(i)));
    return items;
}

// A control a user can operate: present, shown and enabled.
HWND OperableControl(HWND hDialog, int nID)
{
    HWND hControl = GetDlgItem(hDialog, nID);
    if (!hControl || !IsWindowVisible(hControl) || !IsWindowEnabled(hControl))
        return NULL;
    return hControl;
}

// A notification as the control itself would send it to its parent.
bool PostNotification(HWND hDialog, HWND hControl, WORD wCode)
{
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hControl)), wCode);
    return PostMessageA(hDialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(hControl)) != 0;
}

// A key press as the keyboard driver reports it: down, then up, with the scan code,
// a repeat count of 1 and, for the release, the previous-state and transition bits.
void PostKey(HWND hTarget, UINT vk)
{
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, 0 /* MAPVK_VK_TO_VSC */) & 0xFF) << 16;
    PostMessageA(hTarget, WM_KEYDOWN, vk, scan | 1);
    PostMessageA(hTarget, WM_KEYUP, vk, scan | 1 | (1L << 30) | (1L << 31));
}

void PressKey(HWND hDialog, UINT vk)
{
    HWND hFocus = Focus(hDialog);
    PostKey(hFocus ? hFocus : hDialog, vk);
}

// --- Waiting for a thread ------------------------------------------------------------

// A thread answers messages sent to it whenever it waits for messages, also inside a
// handler (a nested loop, a send to another thread), and before it takes the next
// posted one. So an answered WM_NULL proves nothing about input posted before it.
// Posted messages are taken first in, first out: a marker posted behind the input and
// seen leaving the queue proves that the thread has finished with what came before.
// Seeing it needs a message hook on that thread, which only a thread of the same
// process can set without a hook library.
UINT MarkerMessage()
{
    static const UINT uMessage = RegisterWindowMessageA("uidriver.WaitIdle.marker");
    return uMessage;
}

// The markers seen by the hook, each in the slot of its number (concurrent waits use
// different numbers; far fewer run at once than there are slots).
const int kMarkerSlots = 64;
std::atomic<long> g_aSeenMarkers[kMarkerSlots];
std::atomic<long> g_nLastMarker(0);

LRESULT CALLBACK MarkerHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
        if (pMsg->message == MarkerMessage() && pMsg->lParam > 0)
            g_aSeenMarkers[pMsg->lParam % kMarkerSlots] = static_cast<long>(pMsg->lParam);
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

class MessageHook {
public:
    MessageHook(int idHook, HOOKPROC pfnHook, DWORD dwThread)
        : m_hHook(SetWindowsHookExA(idHook, pfnHook, NULL, dwThread))
    {
    }
    ~MessageHook()
    {
        if (m_hHook)
            UnhookWindowsHookEx(m_hHook);
    }
    MessageHook(const MessageHook&) = delete;
    MessageHook& operator=(const MessageHook&) = delete;
    bool Ok() const { return m_hHook != NULL; }

private:
    HHOOK m_hHook;
};

bool WaitForMarker(HWND hWnd, DWORD dwThread, DWORD dwTimeoutMs)
{
    MessageHook hook(WH_GETMESSAGE, MarkerHook, dwThread);
    if (!hook.Ok())
        return false;
    long nMarker = ++g_nLastMarker;
    if (!PostMessageA(hWnd, MarkerMessage(), 0, nMarker))
        return false;
    DWORD dwStart = GetTickCount();
    while (g_aSeenMarkers[nMarker % kMarkerSlots] != nMarker) {
        // A window destroyed with the marker still queued takes it along.
        if (!IsWindow(hWnd) || GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        Sleep(1);
    }
    return true;
}

// For another process's window no hook can be set: a few answered WM_NULLs, each
// proving at least one more return of the thread to its message loop unless a handler
// answers sent messages itself.
bool WaitForRoundTrips(HWND hWnd, DWORD dwTimeoutMs)
{
    const int kRoundTrips = 5;
    for (int i = 0; i < kRoundTrips; ++i) {
        if (!IsWindow(hWnd) || !SendTimed(hWnd, WM_NULL, 0, 0, NULL, dwTimeoutMs))
            return false;
    }
    return true;
}

// --- Windows --------------------------------------------------------------------------

struct WindowQuery {
    const char* pszTitle;
    const char* pszClass;
    DWORD pid;
    HWND hFound;
};

bool HasClass(HWND hWnd, const char* pszClass)
{
    char szClass[256];
    return GetClassNameA(hWnd, szClass, sizeof szClass) > 0 && std::strcmp(szClass, pszClass) == 0;
}

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
{
    WindowQuery* pQuery = reinterpret_cast<WindowQuery*>(lParam);
    if (!IsWindowVisible(hWnd))
        return TRUE;
    if (pQuery->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hWnd, &pid);
        if (pid != pQuery->pid)
            return TRUE;
    }
    if (pQuery->pszClass && !HasClass(hWnd, pQuery->pszClass))
        return TRUE;
    // Top-level titles are kept by the system, so this reads no message from the window.
    int nLength = GetWindowTextLengthA(hWnd);
    std::vector<char> title(static_cast<size_t>(nLength) + 2, '\0');
    GetWindowTextA(hWnd, title.data(), static_cast<int>(title.size()));
    if (std::strcmp(title.data(), pQuery->pszTitle) != 0)
        return TRUE;
    pQuery->hFound = hWnd;
    return FALSE;
}

// --- Screen ---------------------------------------------------------------------------

class ScreenDC {
public:
    ScreenDC() : m_hDC(GetDC(NULL)) {}
    ~ScreenDC()
    {
        if (m_hDC)
            ReleaseDC(NULL, m_hDC);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

class MemoryDC {
public:
    explicit MemoryDC(HDC hCompatible) : m_hDC(CreateCompatibleDC(hCompatible)) {}
    ~MemoryDC()
    {
        if (m_hDC)
            DeleteDC(m_hDC);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

class Bitmap {
public:
    explicit Bitmap(HBITMAP hBitmap) : m_hBitmap(hBitmap) {}
    ~Bitmap()
    {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HBITMAP Get() const { return m_hBitmap; }

private:
    HBITMAP m_hBitmap;
};

// Selects an object into a device context for the lifetime of this object.
class Selection {
public:
    Selection(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hPrevious(SelectObject(hDC, hObject)) {}
    ~Selection()
    {
        if (m_hPrevious)
            SelectObject(m_hDC, m_hPrevious);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    bool Ok() const { return m_hPrevious != NULL; }

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};

RECT ScreenRect()
{
    RECT rc;
    rc.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    rc.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    rc.right = rc.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    rc.bottom = rc.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return rc;
}

// Copies a rectangle of the screen into rows of R, G, B bytes, top row first.
bool CaptureScreen(const RECT& rc, std::vector<unsigned char>* pRgb)
{
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0)
        return false;

    ScreenDC screen;
    if (!screen.Get())
        return false;
    MemoryDC memory(screen.Get());
    if (!memory.Get())
        return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = NULL;
    Bitmap dib(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &pBits, NULL, 0));
    if (!dib.Get() || !pBits)
        return false;
    {
        Selection selected(memory.Get(), dib.Get());
        if (!selected.Ok() ||
            !BitBlt(memory.Get(), 0, 0, cx, cy, screen.Get(), rc.left, rc.top, SRCCOPY | CAPTUREBLT))
            return false;
    }
    GdiFlush();

    // DIB rows are padded to four bytes and hold blue, green, red.
    const size_t nStride = (static_cast<size_t>(cx) * 3 + 3) & ~static_cast<size_t>(3);
    const unsigned char* pSource = static_cast<const unsigned char*>(pBits);
    pRgb->resize(static_cast<size_t>(cx) * 3 * static_cast<size_t>(cy));
    unsigned char* pDest = pRgb->data();
    for (int y = 0; y < cy; ++y) {
        const unsigned char* pRow = pSource + nStride * static_cast<size_t>(y);
        for (int x = 0; x < cx; ++x, pDest += 3) {
            pDest[0] = pRow[x * 3 + 2];
            pDest[1] = pRow[x * 3 + 1];
            pDest[2] = pRow[x * 3 + 0];
        }
    }
    return true;
}

int RoundedRatio(long value, long numerator, long denominator)
{
    if (denominator <= 0)
        return 0;
    long long scaled = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / denominator : -((-scaled + half) / denominator));
}

} // namespace

// --- Processes ------------------------------------------------------------------------

Process::~Process()
{
    Close();
}

Process::Process(Process&& other) noexcept
    : m_hProcess(std::exchange(other.m_hProcess, static_cast<HANDLE>(NULL))), m_dwId(std::exchange(other.m_dwId, 0u))
{
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Close();
        m_hProcess = std::exchange(other.m_hProcess, static_cast<HANDLE>(NULL));
        m_dwId = std::exchange(other.m_dwId, 0u);
    }
    return *this;
}

// A process left running by a failed test would hold its windows over the next test.
void Process::Close()
{
    if (!m_hProcess)
        return;
    if (WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_hProcess, 99);
        WaitForSingleObject(m_hProcess, 5000);
    }
    CloseHandle(m_hProcess);
    m_hProcess = NULL;
    m_dwId = 0;
}

DWORD Process::WaitExit(DWORD dwTimeoutMs)
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess && WaitForSingleObject(m_hProcess, dwTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}

Process Launch(const std::string& exePath, const std::string& args, const char* pszWorkingDir)
{
    Process process;
    std::string commandLine = "\"" + exePath + "\"";
    if (!args.empty())
        commandLine += " " + args;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, pszWorkingDir, &si, &pi)) {
        CloseHandle(pi.hThread);
        process.m_hProcess = pi.hProcess;
        process.m_dwId = pi.dwProcessId;
    }
    return process;
}

std::string ModuleDirectory()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD nLength = GetModuleFileNameA(NULL, path.data(), static_cast<DWORD>(path.size()));
        if (nLength == 0)
            return std::string();
        if (nLength < path.size()) {
            std::string full(path.data(), nLength);
            return full.substr(0, full.rfind('\\') + 1);
        }
        if (path.size() >= 32768)
            return std::string();
        path.resize(path.size() * 2);
    }
}

// --- Windows --------------------------------------------------------------------------

HWND WaitForWindow(const char* pszTitle, DWORD dwTimeoutMs, DWORD pid, const char* pszClass)
{
    WindowQuery query = {pszTitle, pszClass, pid, NULL};
    DWORD dwStart = GetTickCount();
    for (;;) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.hFound || GetTickCount() - dwStart >= dwTimeoutMs)
            return query.hFound;
        Sleep(kPollMs);
    }
}

bool WaitWindowGone(HWND hWnd, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        if (!IsWindow(hWnd) || !IsWindowVisible(hWnd))
            return true;
        if (GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        Sleep(kPollMs);
    }
}

bool WaitForTitle(HWND hWnd, const char* pszTitle, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        if (Text(hWnd) == pszTitle)
            return true;
        if (!IsWindow(hWnd) || GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        Sleep(kPollMs);
    }
}

std::string Text(HWND hWnd)
{
    if (!hWnd)
        return std::string();
    DWORD_PTR nLength = 0;
    if (!SendTimed(hWnd, WM_GETTEXTLENGTH, 0, 0, &nLength))
        return std::string();
    std::vector<char> buffer(nLength + 1, '\0');
    DWORD_PTR nCopied = 0;
    if (!SendTimed(hWnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &nCopied))
        return std::string();
    return std::string(buffer.data(), std::min<size_t>(nCopied, nLength));
}

std::string ControlText(HWND hDialog, int nID)
{
    return Text(GetDlgItem(hDialog, nID));
}

bool IsChecked(HWND hDialog, int nID)
{
    HWND hControl = GetDlgItem(hDialog, nID);
    return hControl && SendOr(hControl, BM_GETCHECK, 0, 0, BST_UNCHECKED) == BST_CHECKED;
}

bool IsEnabled(HWND hDialog, int nID)
{
    HWND hControl = GetDlgItem(hDialog, nID);
    return hControl && IsWindowEnabled(hControl);
}

bool IsVisible(HWND hDialog, int nID)
{
    HWND hControl = GetDlgItem(hDialog, nID);
    return hControl && IsWindowVisible(hControl);
}

HWND Focus(HWND hDialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD dwThread = GetWindowThreadProcessId(hDialog, NULL);
    if (!dwThread || !GetGUIThreadInfo(dwThread, &info))
        return NULL;
    return info.hwndFocus;
}

RECT ControlRectPixels(HWND hDialog, int nID)
{
    RECT rc = {};
    HWND hControl = GetDlgItem(hDialog, nID);
    if (hControl && GetWindowRect(hControl, &rc))
        MapWindowPoints(NULL, hDialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT ControlRectDialogUnits(HWND hDialog, int nID, int cxTemplate, int cyTemplate)
{
    RECT rcPixels = ControlRectPixels(hDialog, nID);
    RECT rcClient = {};
    GetClientRect(hDialog, &rcClient);
    RECT rc;
    rc.left = RoundedRatio(rcPixels.left, cxTemplate, rcClient.right);
    rc.top = RoundedRatio(rcPixels.top, cyTemplate, rcClient.bottom);
    rc.right = rc.left + RoundedRatio(rcPixels.right - rcPixels.left, cxTemplate, rcClient.right);
    rc.bottom = rc.top + RoundedRatio(rcPixels.bottom - rcPixels.top, cyTemplate, rcClient.bottom);
    return rc;
}

std::vector<std::string> ListItems(HWND hDialog, int nID)
{
    return Items(GetDlgItem(hDialog, nID), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int ListSelection(HWND hDialog, int nID)
{
    HWND hControl = GetDlgItem(hDialog, nID);
    return hControl ? static_cast<int>(SendOr(hControl, LB_GETCURSEL, 0, 0, LB_ERR)) : LB_ERR;
}

std::vector<std::string> ComboItems(HWND hDialog, int nID)
{
    return Items(GetDlgItem(hDialog, nID), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboSelection(HWND hDialog, int nID)
{
    HWND hControl = GetDlgItem(hDialog, nID);
    return hControl ? static_cast<int>(SendOr(hControl, CB_GETCURSEL, 0, 0, CB_ERR)) : CB_ERR;
}

// --- Input ----------------------------------------------------------------------------

bool Click(HWND hDialog, int nID)
{
    HWND hControl = OperableControl(hDialog, nID);
    return hControl && PostMessageA(hControl, BM_CLICK, 0, 0);
}

bool SetCheck(HWND hDialog, int nID, bool bChecked)
{
    if (!OperableControl(hDialog, nID))
        return false;
    return IsChecked(hDialog, nID) == bChecked || Click(hDialog, nID);
}

bool TypeText(HWND hDialog, int nID, const std::string& text)
{
    HWND hControl = OperableControl(hDialog, nID);
    if (!hControl)
        return false;
    LONG style = GetWindowLongA(hControl, GWL_STYLE);
    if (style & ES_READONLY)
        return false;
    // A text with a pointer cannot be posted; the system copies it across for a send.
    if (!SendTimed(hControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        return false;
    if (style & ES_MULTILINE)
        return PostNotification(hDialog, hControl, EN_CHANGE);
    return true;
}

bool DoubleClickListItem(HWND hDialog, int nID, int nIndex)
{
    HWND hControl = OperableControl(hDialog, nID);
    if (!hControl || nIndex < 0 || nIndex >= SendOr(hControl, LB_GETCOUNT, 0, 0, 0))
        return false;
    if (SendOr(hControl, LB_SETCURSEL, static_cast<WPARAM>(nIndex), 0, LB_ERR) == LB_ERR)
        return false;
    return PostNotification(hDialog, hControl, LBN_DBLCLK);
}

bool SelectComboItem(HWND hDialog, int nID, int nIndex)
{
    HWND hControl = OperableControl(hDialog, nID);
    if (!hControl || nIndex < 0 || nIndex >= SendOr(hControl, CB_GETCOUNT, 0, 0, 0))
        return false;
    if (SendOr(hControl, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0, CB_ERR) == CB_ERR)
        return false;
    return PostNotification(hDialog, hControl, CBN_SELCHANGE);
}

bool SetFocusTo(HWND hDialog, int nID)
{
    HWND hControl = OperableControl(hDialog, nID);
    return hControl && PostMessageA(hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hControl), TRUE);
}

void PressEnter(HWND hDialog)
{
    PressKey(hDialog, VK_RETURN);
}

void PressEscape(HWND hDialog)
{
    PressKey(hDialog, VK_ESCAPE);
}

bool CloseBox(HWND hWindow)
{
    if (!(GetWindowLongA(hWindow, GWL_STYLE) & WS_SYSMENU))
        return false;
    return PostMessageA(hWindow, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
}

bool WaitIdle(HWND hWnd, DWORD dwTimeoutMs)
{
    DWORD pid = 0;
    DWORD dwThread = GetWindowThreadProcessId(hWnd, &pid);
    if (!dwThread)
        return false;
    if (pid == GetCurrentProcessId() && dwThread != GetCurrentThreadId())
        return WaitForMarker(hWnd, dwThread, dwTimeoutMs);
    return WaitForRoundTrips(hWnd, dwTimeoutMs);
}

// --- Screen ---------------------------------------------------------------------------

COLORREF ScreenPixel(int x, int y)
{
    RECT rc = {x, y, x + 1, y + 1};
    std::vector<unsigned char> rgb;
    if (!CaptureScreen(rc, &rgb))
        return CLR_INVALID;
    return RGB(rgb[0], rgb[1], rgb[2]);
}

bool SaveScreenshot(const std::string& pngPath, HWND hWnd)
{
    RECT rcScreen = ScreenRect();
    RECT rc = rcScreen;
    if (hWnd) {
        RECT rcWindow;
        if (!GetWindowRect(hWnd, &rcWindow) || !IntersectRect(&rc, &rcWindow, &rcScreen))
            return false;
    }
    std::vector<unsigned char> rgb;
    if (!CaptureScreen(rc, &rgb))
        return false;
    return WritePng(pngPath, rc.right - rc.left, rc.bottom - rc.top, rgb.data());
}

} // namespace uidriver
