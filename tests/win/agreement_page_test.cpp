// The licence agreement page as a user meets it: the whole text from its beginning, the
// question and the Yes and No buttons, the keys, and a text set anew for each display.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/String.h"
#include "modal_support.h"
#include "res/resource.h"
#include "ui/AgreementDlg.h"
#include "uidriver/UiDriver.h"

using namespace modaltest;

namespace {

TEST(AgreementPage, ShowsTheWholeLicenceTextFromItsBeginning)
{
    CAgreementDlg dialog(NULL);
    ASSERT_TRUE(dialog.m_strText.LoadString(IDS_AGREEMENT_TEXT));
    ASSERT_GT(dialog.m_strText.GetLength(), 3000) << "the licence is one long string";
    std::string text, question, yes, no;
    int nFirstLine = -1, nLines = 0, nFocusId = 0;
    INT_PTR nResult = RunModalWith(dialog, "License Agreement", [&](HWND h) {
        text = uidriver::ControlText(h, IDC_AGREEMENT_EDIT);
        question = uidriver::ControlText(h, IDC_TEXT);
        yes = uidriver::ControlText(h, IDOK);
        no = uidriver::ControlText(h, IDCANCEL);
        nFirstLine = static_cast<int>(SendDlgItemMessageA(h, IDC_AGREEMENT_EDIT, EM_GETFIRSTVISIBLELINE, 0, 0));
        nLines = static_cast<int>(SendDlgItemMessageA(h, IDC_AGREEMENT_EDIT, EM_GETLINECOUNT, 0, 0));
        nFocusId = DialogId(uidriver::Focus(h));
        Screenshot(h, "agreement");
        uidriver::Click(h, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(std::string(dialog.m_strText), text) << "string 1, whole";
    EXPECT_EQ("Do you accept all the conditions in the following license agreement?", question);
    EXPECT_EQ("Yes", yes);
    EXPECT_EQ("No", no);
    EXPECT_EQ(0, nFirstLine) << "the text field shows the beginning";
    EXPECT_GT(nLines, 28) << "14 paragraphs, each followed by an empty line";
    EXPECT_EQ(IDOK, nFocusId) << "the focus starts on \"Yes\"";
}

TEST(AgreementPage, YesAndEnterAcceptNoAndEscDecline)
{
    CAgreementDlg dialog(NULL);
    dialog.m_strText = "Terms.\r\n\r\n";
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "License Agreement", [](HWND h) { uidriver::Click(h, IDCANCEL); }));
    EXPECT_EQ(IDOK, RunModalWith(dialog, "License Agreement", [](HWND h) { uidriver::PressEnter(h); }));
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "License Agreement", [](HWND h) { uidriver::PressEscape(h); }));
}

TEST(AgreementPage, EachDisplayShowsTheTextSetBeforeIt)
{
    CAgreementDlg dialog(NULL);
    std::string shown;
    dialog.m_strText = "First.";
    RunModalWith(dialog, "License Agreement", [&](HWND h) { uidriver::Click(h, IDCANCEL); });
    dialog.m_strText = "Second.";
    RunModalWith(dialog, "License Agreement", [&](HWND h) {
        shown = uidriver::ControlText(h, IDC_AGREEMENT_EDIT);
        uidriver::Click(h, IDCANCEL);
    });
    EXPECT_EQ("Second.", shown);
}

} // namespace
