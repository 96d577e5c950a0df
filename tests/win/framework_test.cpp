// The framework layer as the setup program relies on it: modal results for buttons, a
// fresh window for each display, modeless dialogs, centring, and the application's loop,
// exit code and message-box caption (the last in a separate program). Enter, Esc, the
// close box and the first focus are checked on the pages (message_dialog_test) and through
// the UI driver (uidriver_test), on dialogs of this framework.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/Dialog.h"
#include "modal_support.h"
#include "res/resource.h"
#include "uidriver/UiDriver.h"

using namespace modaltest;

namespace {

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
    EXPECT_EQ(IDOK, RunModalWith(dialog, "buttons", [](HWND h) { uidriver::Click(h, IDOK); }));
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "buttons", [](HWND h) { uidriver::Click(h, IDCANCEL); }));
    EXPECT_EQ(2, dialog.m_nInitCalls) << "each display makes a fresh window";
    EXPECT_EQ(NULL, dialog.m_hWnd) << "the object is detached once the dialog has ended";
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
    RunModalWith(dialog, "centred", [&](HWND h) { GetWindowRect(h, &rcDialog); uidriver::Click(h, IDOK); });
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

// The framework's test program beside this test, started with one argument.
uidriver::Process StartApp(const char* pszArgument)
{
    return uidriver::Launch(uidriver::ModuleDirectory() + "framework_app.exe", pszArgument);
}

TEST(Application, DestroyingTheMainWindowEndsTheLoopWithExitCodeZero)
{
    uidriver::Process app = StartApp("close");
    ASSERT_TRUE(app.Started());
    EXPECT_EQ(0u, app.WaitExit(WAIT_MS));
}

TEST(Application, ExitStepResultIsTheExitCode)
{
    uidriver::Process app = StartApp("exitcode");
    ASSERT_TRUE(app.Started());
    EXPECT_EQ(7u, app.WaitExit(WAIT_MS));
}

TEST(Application, MessageBoxIsCaptionedWithTheExecutableName)
{
    uidriver::Process app = StartApp("msgbox");
    ASSERT_TRUE(app.Started());
    HWND hBox = uidriver::WaitForWindow("framework_app", WAIT_MS, app.Id(), "#32770");
    ASSERT_TRUE(hBox != NULL) << "no message box captioned framework_app";
    EXPECT_TRUE(uidriver::Click(hBox, IDOK));
    EXPECT_EQ(0u, app.WaitExit(WAIT_MS));
}

} // namespace
