// What the directory chooser hands back: Enter in the edit field or the drive list and the
// buttons end it, the result loses one trailing backslash, and the next display opens at
// the last choice.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "chooser_support.h"

using namespace choosertest;

namespace {

TEST_F(Chooser, EnterInTheEditOrTheDriveListEndsWithOk)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    int nFocusID = 0;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  nFocusID = GetDlgCtrlID(uidriver::Focus(h));
                  uidriver::PressEnter(h);
              }));
    EXPECT_EQ(IDC_DIR_EDIT, nFocusID) << "the edit field has the focus at the start";
    EXPECT_EQ(BASE.substr(0, BASE.size() - 1), std::string(dialog.m_strPath));

    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDC_DRIVE_COMBO));
                  Settle(h);
                  uidriver::PressEnter(h);
              }));
    EXPECT_EQ(IDCANCEL, RunChooser(dialog, [&](HWND h) {
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDCANCEL));
                  Settle(h);
                  uidriver::PressEnter(h);
              })) << "Enter on a focused button activates it";
    EXPECT_EQ(IDCANCEL, RunChooser(dialog, [&](HWND h) { uidriver::CloseBox(h); }));
}

TEST_F(Chooser, ResultLosesOneTrailingBackslash)
{
    CDirectoryDlg dialog(NULL);
    struct Case {
        const char* pszTyped;
        const char* pszResult;
    } cases[] = {
        {"D:\\Apps\\Tool\\", "D:\\Apps\\Tool"},
        {"D:\\Apps\\\\", "D:\\Apps\\"},
        {"C:\\Pelorin", "C:\\Pelorin"},
        {"", ""},
    };
    for (const Case& c : cases) {
        dialog.m_strPath = "C:\\";
        EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                      Type(h, c.pszTyped);
                      uidriver::Click(h, IDOK);
                  }));
        EXPECT_STREQ(c.pszResult, dialog.m_strPath) << "typed " << c.pszTyped;
    }
}

TEST_F(Chooser, ReopensAtTheLastChoice)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    RunChooser(dialog, [&](HWND h) {
        DoubleClick(h, "[Beta]");
        uidriver::Click(h, IDOK);
    });
    std::string edit;
    RunChooser(dialog, [&](HWND h) {
        edit = EditText(h);
        uidriver::Click(h, IDCANCEL);
    });
    EXPECT_EQ(BASE + "Beta\\", edit);
}

} // namespace
