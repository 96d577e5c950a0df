// Helpers of the Windows tests that run a dialog modally on the test's thread while a
// second thread reads and operates it through the UI driver; screenshots of what it shows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "framework/Dialog.h"
#include "uidriver/UiDriver.h"

namespace modaltest {

const DWORD WAIT_MS = 10000;

inline std::string ScreenshotPath(const char* pszName)
{
    std::string dir = uidriver::ModuleDirectory() + "..\\screenshots";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir + "\\" + pszName + ".png";
}

// Lets the window paint, then saves it as <build>/win/screenshots/<name>.png.
inline void Screenshot(HWND hWindow, const char* pszName)
{
    uidriver::WaitIdle(hWindow);
    RedrawWindow(hWindow, NULL, NULL, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    uidriver::WaitIdle(hWindow);
    EXPECT_TRUE(uidriver::SaveScreenshot(ScreenshotPath(pszName), hWindow)) << pszName;
}

inline int DialogId(HWND hControl)
{
    return hControl ? GetDlgCtrlID(hControl) : 0;
}

inline BOOL CALLBACK CancelDialog(HWND hWnd, LPARAM)
{
    char szClass[8];
    if (IsWindowVisible(hWnd) && GetClassNameA(hWnd, szClass, sizeof szClass) && lstrcmpA(szClass, "#32770") == 0)
        PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

// Runs `action` on a second thread against the dialog titled pszTitle while this thread
// runs it modally, and returns the dialog's result. Every wait is bounded: a dialog that
// does not appear under that title, or that the action leaves open, is a failure, and is
// cancelled so that the test goes on.
inline INT_PTR RunModalWith(CDialog& dialog, const char* pszTitle, const std::function<void(HWND)>& action)
{
    const DWORD dwModalThread = GetCurrentThreadId();
    std::atomic<bool> found(false), closed(false);
    std::thread driver([&] {
        HWND hDialog = uidriver::WaitForWindow(pszTitle, WAIT_MS, GetCurrentProcessId(), "#32770");
        found = hDialog != NULL;
        if (!hDialog) {
            EnumThreadWindows(dwModalThread, CancelDialog, 0);
            return;
        }
        uidriver::WaitIdle(hDialog);
        action(hDialog);
        closed = uidriver::WaitWindowGone(hDialog, WAIT_MS);
        if (!closed)
            PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    INT_PTR nResult = dialog.DoModal();
    driver.join();
    EXPECT_TRUE(found) << "no dialog titled \"" << pszTitle << "\" within " << WAIT_MS << " ms";
    EXPECT_TRUE(!found || closed) << "the dialog \"" << pszTitle << "\" stayed open " << WAIT_MS << " ms";
    return nResult;
}

} // namespace modaltest
