// UI driver for the tests: starts programs, finds their windows, reads and operates
// their controls as a user would, and saves screenshots as PNG. Works on the windows
// of another process and, from a second thread, on the test process's own windows.
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

std::string Text(HWND hWnd);
std::string ControlText(HWND hDialog, int nID);
bool IsChecked(HWND hDialog, int nID);
bool IsEnabled(HWND hDialog, int nID);
bool IsVisible(HWND hDialog, int nID);
// The control with the keyboard focus in the dialog's thread (NULL when none).
HWND Focus(HWND hDialog);

// A control's rectangle in the dialog's client coordinates, in pixels.
RECT ControlRectPixels(HWND hDialog, int nID);
// The same in dialog units of a template of cxTemplate x cyTemplate units, derived from
// the ratio of the dialog's client size to the template size (MapDialogRect does not
// work across processes). Rounded to the nearest unit.
RECT ControlRectDialogUnits(HWND hDialog, int nID, int cxTemplate, int cyTemplate);

std::vector<std::string> ListItems(HWND hDialog, int nID);
int ListSelection(HWND hDialog, int nID);
std::vector<std::string> ComboItems(HWND hDialog, int nID);
int ComboSelection(HWND hDialog, int nID);

// Input. Each call returns once the input has been posted; WaitIdle lets it take effect.
void Click(HWND hDialog, int nID);
void SetCheck(HWND hDialog, int nID, bool bChecked);  // by clicking when it differs
void TypeText(HWND hDialog, int nID, const std::string& text);  // replaces the text
void DoubleClickListItem(HWND hDialog, int nID, int nIndex);
void SelectComboItem(HWND hDialog, int nID, int nIndex);
void SetFocusTo(HWND hDialog, int nID);
void PressEnter(HWND hDialog);   // to the control that has the focus
void PressEscape(HWND hDialog);
void CloseBox(HWND hWindow);     // the caption's close box
// Waits until the window's thread has handled everything sent or posted so far.
void WaitIdle(HWND hWnd, DWORD dwTimeoutMs = 5000);

// Screen contents. Pixels and screenshots are read from the whole screen (hWnd NULL)
// or from one window's rectangle on the screen.
COLORREF ScreenPixel(int x, int y);
bool SaveScreenshot(const std::string& pngPath, HWND hWnd = NULL);

} // namespace uidriver
