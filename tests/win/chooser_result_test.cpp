// What the directory chooser hands back: Enter in the edit field or the drive list and the
// buttons end it, the result loses one trailing backslash, and the next display opens at
// the last choice.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "chooser_support.h"

using namespace choosertest;

namespace {

// Enter is Next in the edit field, where the focus starts, and in the drive list; on a
// focused button it activates that button. The close box is Cancel.
TEST_F(Chooser, EnterInTheEditOrTheDriveListEndsWithOk)
{
    CDirectoryDlg dialog(NULL);
    const struct { int nFocusTo; INT_PTR nResult; } endings[] = {{0, IDOK}, {IDC_DRIVE_COMBO, IDOK}, {IDCANCEL, IDCANCEL}};
    for (const auto& ending : endings) {
        SCOPED_TRACE(testing::Message() << "Enter with the focus moved to control " << ending.nFocusTo);
        dialog.m_strPath = WithoutBackslash(BASE).c_str();
        int nFocusID = 0;
        EXPECT_EQ(ending.nResult, RunChooser(dialog, [&](HWND h) {
                      nFocusID = GetDlgCtrlID(uidriver::Focus(h));
                      if (ending.nFocusTo) {
                          ASSERT_TRUE(uidriver::SetFocusTo(h, ending.nFocusTo));
                      }
                      Settle(h);
                      uidriver::PressEnter(h);
                  }));
        EXPECT_EQ(IDC_DIR_EDIT, nFocusID) << "the edit field has the focus at the start";
        EXPECT_EQ(WithoutBackslash(BASE), std::string(dialog.m_strPath));
    }
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
    dialog.m_strPath = WithoutBackslash(BASE).c_str();
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
