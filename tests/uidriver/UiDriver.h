// UI driver for the tests: starts programs, finds their windows, reads and operates
// their controls as a user would, and saves screenshots as PNG. Works on the windows
// of another process and, from a second thread, on the test process's own windows.
//
// Input is posted as messages rather than synthesised with SendInput: under Xvfb no
// window is guaranteed to be in the foreground. Reading goes through messages that the
// system marshals between processes (WM_GETTEXT, BM_GETCHECK; list and combo items
// through the Unicode LB_GETTEXT and CB_GETLBTEXT, because Wine 8 hands the ANSI forms
// UTF-16 text across processes). Texts come back in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

// A started process; terminated (if still running) and closed on destruction.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_hProcess != NULL; }
    DWORD Id() const { return m_dwId; }
    HANDLE Handle() const { return m_hProcess; }
    // Waits for the end; the exit code, or STILL_ACTIVE when it has not ended in time.
    DWORD WaitExit(DWORD dwTimeoutMs);

private:
    friend Process Launch(const std::string&, const std::string&, const char*);
    void Close();
    HANDLE m_hProcess = NULL;
    DWORD m_dwId = 0;
};

// Starts `exePath` with the command line "exePath" args (the path quoted, as a shell does).
Process Launch(const std::string& exePath, const std::string& args, const char* pszWorkingDir = NULL);

// The directory of the running test executable, with a trailing backslash.
std::string ModuleDirectory();

// Waits for a visible top-level window with this exact title (and class, when given),
// belonging to process `pid` (any process when 0). NULL after the timeout.
HWND WaitForWindow(const char* pszTitle, DWORD dwTimeoutMs, DWORD pid = 0, const char* pszClass = NULL);
// Waits until the window no longer exists or is hidden.
bool WaitWindowGone(HWND hWnd, DWORD dwTimeoutMs);
// Waits until the window's title is exactly pszTitle; false after the timeout.
bool WaitForTitle(HWND hWnd, const char* pszTitle, DWORD dwTimeoutMs);

// The whole text of a window or control, whatever its length (WM_GETTEXT: for an edit
// control its contents, not the internal window name).
std::string Text(HWND hWnd);
std::string ControlText(HWND hDialog, int nID);
bool IsChecked(HWND hDialog, int nID);
bool IsEnabled(HWND hDialog, int nID);
// Visible on the screen: the control and every window above it have WS_VISIBLE.
bool IsVisible(HWND hDialog, int nID);
// The control with the keyboard focus in the dialog's thread (NULL when none).
HWND Focus(HWND hDialog);

// A control's rectangle in the dialog's client coordinates, in pixels.
RECT ControlRectPixels(HWND hDialog, int nID);
// The same in dialog units of a template of cxTemplate x cyTemplate units, derived from
// the ratio of the dialog's client size to the template size (MapDialogRect does not
// work across processes). The left and top edges and the width and height are each
// rounded to the nearest unit, so right - left and bottom - top give the template's
// width and height. A drop-down combo box reports its closed height, not the template
// height that includes the list.
RECT ControlRectDialogUnits(HWND hDialog, int nID, int cxTemplate, int cyTemplate);

std::vector<std::string> ListItems(HWND hDialog, int nID);
int ListSelection(HWND hDialog, int nID);   // LB_ERR (-1) when nothing is selected
std::vector<std::string> ComboItems(HWND hDialog, int nID);
int ComboSelection(HWND hDialog, int nID);  // CB_ERR (-1) when nothing is selected

// Input. Each call returns once the input has been posted; WaitIdle lets it take effect.
// As for a user, a control that is missing, hidden or disabled takes no input: the
// call then posts nothing and returns false.
bool Click(HWND hDialog, int nID);
bool SetCheck(HWND hDialog, int nID, bool bChecked);  // by clicking when it differs
// Replaces the text (WM_SETTEXT, which also makes a single-line edit notify EN_CHANGE;
// for a multi-line edit, which does not, the driver posts EN_CHANGE itself). False for
// a read-only edit.
bool TypeText(HWND hDialog, int nID, const std::string& text);
// Selects the item and notifies LBN_DBLCLK; false when there is no such item.
bool DoubleClickListItem(HWND hDialog, int nID, int nIndex);
// Selects the item and notifies CBN_SELCHANGE; false when there is no such item.
bool SelectComboItem(HWND hDialog, int nID, int nIndex);
// Moves the focus as the Tab key would (WM_NEXTDLGCTL).
bool SetFocusTo(HWND hDialog, int nID);
void PressEnter(HWND hDialog);   // to the control that has the focus (the dialog when none)
void PressEscape(HWND hDialog);
// The caption's close box; false (and nothing posted) when the window has none, that
// is, when it has no system menu.
bool CloseBox(HWND hWindow);
// Waits until the window's thread has handled everything sent or posted to it so far.
// For a window of this process (on another thread) that is exact: a marker posted
// behind the input is watched leaving the queue by a message hook. For a window of
// another process, where no hook can be set, it is a few round trips of WM_NULL, which
// a handler that itself answers sent messages (a nested loop, a send to another
// thread) can let through early. False when the window is gone (as after input that
// closed it) or its thread did not get that far in time.
bool WaitIdle(HWND hWnd, DWORD dwTimeoutMs = 5000);

// Screen contents. Pixels and screenshots are read from the whole screen (hWnd NULL)
// or from one window's rectangle on the screen. Under Wine's virtual desktop the screen
// is that desktop.
COLORREF ScreenPixel(int x, int y);
bool SaveScreenshot(const std::string& pngPath, HWND hWnd = NULL);

} // namespace uidriver
