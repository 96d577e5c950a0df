// Running a program and waiting for its end (RunProgramAndWait), as the installation runs
// the redistributable installer while its windows are up: the wait holds the installation
// where it is, yet a program that sends a message to every top-level window is answered.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/RunProgram.h"
#include "framework/Wnd.h"
#include "uidriver/UiDriver.h"

namespace {

// A top-level window of the waiting thread, as the setup window and the progress dialog are.
class CCountingWnd : public CWnd {
public:
    int m_nSettingChanges = 0;
    int m_nPosted = 0;

protected:
    BOOL OnWndMsg(UINT message, WPARAM, LPARAM, LRESULT*) override
    {
        m_nSettingChanges += message == WM_SETTINGCHANGE;
        m_nPosted += message == WM_APP;
        return FALSE;
    }
};

TEST(RunProgram, AProgramThatSendsToEveryWindowIsAnsweredWhileTheWaitHolds)
{
    CCountingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, CWnd::RegisterWndClass(0, NULL, NULL, NULL), "waiting", WS_POPUP, 0, 0, 10, 10, NULL, 0));
    // Stands for whatever the user does meanwhile: it waits until the program has ended.
    wnd.PostMessage(WM_APP);

    const std::string program = uidriver::ModuleDirectory() + "settings_broadcaster.exe";
    DeleteFileA((program + ".txt").c_str());
    ASSERT_TRUE(RunProgramAndWait(program.c_str()));

    std::ifstream report(program + ".txt");
    EXPECT_EQ("answered", std::string(std::istreambuf_iterator<char>(report), {}))
        << "the program and the wait hung on each other";
    EXPECT_EQ(1, wnd.m_nSettingChanges);
    EXPECT_EQ(0, wnd.m_nPosted) << "a posted message was handled during the wait";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, wnd.m_hWnd, WM_APP, WM_APP, PM_REMOVE)) << "it waits in the queue";
    wnd.DestroyWindow();
}

} // namespace
