// The framework layer as the setup program relies on it: modal results for buttons,
// keys and the close box, modeless dialogs, centring, focus, and the application's loop,
// exit code and message-box caption (the last in a separate program).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

// Finds a visible top-level window of this process with the given title.
HWND WaitForOwnWindow(const char* pszTitle, DWORD dwTimeoutMs = 10000)
{
    for (DWORD waited = 0; waited < dwTimeoutMs; waited += 20) {
        HWND hWnd = FindWindowA("#32770", pszTitle);
        DWORD pid = 0;
        if (hWnd)
            GetWindowThreadProcessId(hWnd, &pid);
        if (hWnd && pid == GetCurrentProcessId() && IsWindowVisible(hWnd))
            return hWnd;
        Sleep(20);
    }
    return NULL;
}

// Runs `action` on a second thread against the dialog titled pszTitle, while the calling
// thread runs the dialog modally.
template <typename Action>
INT_PTR RunModalWith(CDialog& dialog, const char* pszTitle, Action action)
{
    std::atomic<bool> found(false);
    std::thread driver([&] {
        HWND hDialog = WaitForOwnWindow(pszTitle);
        found = hDialog != NULL;
        if (hDialog)
            action(hDialog);
    });
    INT_PTR nResult = dialog.DoModal();
    driver.join();
    EXPECT_TRUE(found) << "no dialog titled " << pszTitle;
    return nResult;
}

HWND FocusOf(HWND hDialog)
{
    GUITHREADINFO info = {sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(hDialog, NULL), &info);
    return info.hwndFocus;
}

// A key as the user types it: down and up, to the control that has the focus.
void PressKey(HWND hDialog, UINT vk)
{
    HWND hFocus = FocusOf(hDialog);
    HWND hTarget = hFocus ? hFocus : hDialog;
    PostMessageA(hTarget, WM_KEYDOWN, vk, 1);
    PostMessageA(hTarget, WM_KEYUP, vk, 0xC0000001);
}

void Click(HWND hDialog, int nID)
{
    PostMessageA(GetDlgItem(hDialog, nID), BM_CLICK, 0, 0);
}

class TitledDialog : public CDialog {
public:
    TitledDialog(UINT nID, const char* pszTitle, CWnd* pParent = NULL)
        : CDialog(nID, pParent), m_pszTitle(pszTitle)
    {
    }
    int m_nInitCalls = 0;

protected:
    BOOL OnInitDialog() override
    {
        ++m_nInitCalls;
        SetWindowText(m_pszTitle);
        return CDialog::OnInitDialog();
    }

private:
    const char* m_pszTitle;
};

TEST(ModalDialog, ButtonsEndWithTheirIds)
{
    TitledDialog dialog(IDD_MESSAGE, "buttons");
    EXPECT_EQ(IDOK, RunModalWith(dialog, "buttons", [](HWND h) { Click(h, IDOK); }));
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "buttons", [](HWND h) { Click(h, IDCANCEL); }));
    EXPECT_EQ(2, dialog.m_nInitCalls) << "each display makes a fresh window";
    EXPECT_EQ(NULL, dialog.m_hWnd) << "the object is detached once the dialog has ended";
}

TEST(ModalDialog, EnterGivesOkAndEscGivesCancel)
{
    TitledDialog dialog(IDD_MESSAGE, "keys");
    EXPECT_EQ(IDOK, RunModalWith(dialog, "keys", [](HWND h) { Sleep(100); PressKey(h, VK_RETURN); }));
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "keys", [](HWND h) { Sleep(100); PressKey(h, VK_ESCAPE); }));
}

TEST(ModalDialog, CloseBoxGivesCancel)
{
    TitledDialog dialog(IDD_DIRECTORY, "close box");
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "close box", [](HWND h) { PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); }));
}

TEST(ModalDialog, FocusStartsOnTheFirstTabStop)
{
    TitledDialog dialog(IDD_MESSAGE, "focus");
    int nFocusID = 0;
    RunModalWith(dialog, "focus", [&](HWND h) {
        Sleep(200);
        nFocusID = GetDlgCtrlID(FocusOf(h));
        Click(h, IDOK);
    });
    EXPECT_EQ(IDOK, nFocusID);
}

TEST(ModalDialog, MissingTemplateCannotBeDisplayed)
{
    CDialog dialog(4242);
    EXPECT_EQ(-1, dialog.DoModal());
}

TEST(ModalDialog, IsCentredOverItsOwner)
{
    CDialog owner(IDD_AGREEMENT);
    ASSERT_TRUE(owner.Create(IDD_AGREEMENT));
    SetWindowPos(owner.m_hWnd, NULL, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT rcOwner;
    GetWindowRect(owner.m_hWnd, &rcOwner);

    TitledDialog dialog(IDD_MESSAGE, "centred", &owner);
    RECT rcDialog = {};
    RunModalWith(dialog, "centred", [&](HWND h) { GetWindowRect(h, &rcDialog); Click(h, IDOK); });
    EXPECT_NEAR((rcOwner.left + rcOwner.right) / 2, (rcDialog.left + rcDialog.right) / 2, 1);
    EXPECT_NEAR((rcOwner.top + rcOwner.bottom) / 2, (rcDialog.top + rcDialog.bottom) / 2, 1);
    EXPECT_TRUE(owner.DestroyWindow());
}

TEST(ModelessDialog, LivesOnAfterItsCreatorReturnsUntilDestroyed)
{
    CDialog* pDialog = new CDialog(IDD_PROGRESS);
    auto create = [pDialog] { return pDialog->Create(IDD_PROGRESS); };
    ASSERT_TRUE(create());
    HWND hWnd = pDialog->m_hWnd;
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    EXPECT_TRUE(IsWindow(hWnd));
    EXPECT_TRUE(IsWindowVisible(hWnd)) << "the template is visible, so the dialog shows at once";
    EXPECT_EQ(pDialog, CWnd::FromHandlePermanent(hWnd));

    EXPECT_TRUE(pDialog->DestroyWindow());
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(NULL, pDialog->m_hWnd);
    EXPECT_FALSE(pDialog->DestroyWindow()) << "destroying a window that is gone does nothing";
    delete pDialog;
}

TEST(Window, DestructionFromOutsideDetachesTheObject)
{
    CWnd wnd;
    const char* pszClass = CWnd::RegisterWndClass(0, LoadCursorA(NULL, IDC_ARROW), NULL, NULL);
    ASSERT_TRUE(wnd.CreateEx(0, pszClass, "plain", WS_POPUP, 0, 0, 10, 10, NULL, 0));
    HWND hWnd = wnd.m_hWnd;
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(hWnd));
    ::DestroyWindow(hWnd);
    EXPECT_EQ(NULL, wnd.m_hWnd);
    EXPECT_EQ(NULL, CWnd::FromHandlePermanent(hWnd));
    EXPECT_FALSE(wnd.DestroyWindow());
}

// --- The application object, in a program of its own --------------------------------

std::string ProgramBesideThis(const char* pszName)
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(NULL, szPath, sizeof szPath);
    std::string path(szPath);
    return path.substr(0, path.rfind('\\') + 1) + pszName;
}

struct Child {
    PROCESS_INFORMATION pi = {};
    explicit Child(const std::string& commandLine)
    {
        STARTUPINFOA si = {sizeof si};
        std::string line = commandLine;
        started = CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi) != FALSE;
    }
    ~Child()
    {
        if (started) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(pi.hProcess, 99);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
    DWORD ExitCode(DWORD dwTimeoutMs = 20000)
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(pi.hProcess, dwTimeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    bool started = false;
};

struct FindArgs {
    DWORD pid;
    const char* pszTitle;
    HWND hFound;
};

BOOL CALLBACK MatchTopLevel(HWND hWnd, LPARAM lParam)
{
    FindArgs* pArgs = reinterpret_cast<FindArgs*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char szTitle[256];
    GetWindowTextA(hWnd, szTitle, sizeof szTitle);
    if (pid == pArgs->pid && IsWindowVisible(hWnd) && strcmp(szTitle, pArgs->pszTitle) == 0) {
        pArgs->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindowOf(DWORD pid, const char* pszTitle)
{
    FindArgs args = {pid, pszTitle, NULL};
    for (int i = 0; i < 500 && !args.hFound; ++i) {
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&args));
        if (!args.hFound)
            Sleep(20);
    }
    return args.hFound;
}

TEST(Application, DestroyingTheMainWindowEndsTheLoopWithExitCodeZero)
{
    Child app("\"" + ProgramBesideThis("framework_app.exe") + "\" close");
    ASSERT_TRUE(app.started);
    EXPECT_EQ(0u, app.ExitCode());
}

TEST(Application, ExitStepResultIsTheExitCode)
{
    Child app("\"" + ProgramBesideThis("framework_app.exe") + "\" exitcode");
    ASSERT_TRUE(app.started);
    EXPECT_EQ(7u, app.ExitCode());
}

TEST(Application, MessageBoxIsCaptionedWithTheExecutableName)
{
    Child app("\"" + ProgramBesideThis("framework_app.exe") + "\" msgbox");
    ASSERT_TRUE(app.started);
    HWND hBox = WaitForWindowOf(app.pi.dwProcessId, "framework_app");
    ASSERT_TRUE(hBox != NULL) << "no message box captioned framework_app";
    PostMessageA(GetDlgItem(hBox, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, app.ExitCode());
}

} // namespace
