// The message dialog as a user meets it, in each of its layouts (OK and Cancel mirrored,
// Next and Back, OK alone), with the keys, run twice from one object, and with the
// program's own texts. The dialog runs modally on the test's thread while a second thread
// reads and operates it through the UI driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/String.h"
#include "modal_support.h"
#include "res/resource.h"
#include "ui/MessageDlg.h"
#include "uidriver/UiDriver.h"

using namespace modaltest;

namespace {

// The control's rectangle in the dialog's client area, in pixels.
RECT PixelRect(HWND hDialog, int nID)
{
    return uidriver::ControlRectPixels(hDialog, nID);
}

// A template rectangle in dialog units, converted with the dialog's own base units.
RECT TemplateRect(HWND hDialog, int x, int y, int cx, int cy)
{
    RECT rc = {x, y, x + cx, y + cy};
    MapDialogRect(hDialog, &rc);
    return rc;
}

void ExpectRectEq(const RECT& expected, const RECT& actual, const char* pszWhat)
{
    EXPECT_EQ(expected.left, actual.left) << pszWhat;
    EXPECT_EQ(expected.top, actual.top) << pszWhat;
    EXPECT_EQ(expected.right, actual.right) << pszWhat;
    EXPECT_EQ(expected.bottom, actual.bottom) << pszWhat;
}

struct MessageLayout {
    RECT rcOk;
    RECT rcCancel;
    RECT rcClient;
    bool bCancelVisible;
    bool bOkVisible;
    std::string okText;
    std::string cancelText;
    std::string title;
    std::string body;
    int nFocusId;
};

MessageLayout ReadMessageLayout(HWND hDialog)
{
    MessageLayout layout;
    layout.rcOk = PixelRect(hDialog, IDOK);
    layout.rcCancel = PixelRect(hDialog, IDCANCEL);
    GetClientRect(hDialog, &layout.rcClient);
    layout.bOkVisible = uidriver::IsVisible(hDialog, IDOK);
    layout.bCancelVisible = uidriver::IsVisible(hDialog, IDCANCEL);
    layout.okText = uidriver::ControlText(hDialog, IDOK);
    layout.cancelText = uidriver::ControlText(hDialog, IDCANCEL);
    layout.title = uidriver::Text(hDialog);
    layout.body = uidriver::ControlText(hDialog, IDC_TEXT);
    layout.nFocusId = DialogId(uidriver::Focus(hDialog));
    return layout;
}

void SetMessage(CMessageDlg& dialog, const char* pszTitle, const char* pszText, BOOL bTwoButtons, BOOL bNextBack)
{
    dialog.m_strTitle = pszTitle;
    dialog.m_strText = pszText;
    dialog.m_bTwoButtons = bTwoButtons;
    dialog.m_bNextBack = bNextBack;
}

TEST(MessageDialog, TwoButtonLayoutMirrorsOkOppositeCancel)
{
    CMessageDlg dialog(NULL);
    SetMessage(dialog, "Welcome...", "Thank you.\n\nSecond paragraph.", TRUE, FALSE);
    MessageLayout layout;
    RECT rcCancelTemplate = {}, rcOkMirror = {}, rcOkTemplate = {};
    INT_PTR nResult = RunModalWith(dialog, "Welcome...", [&](HWND h) {
        layout = ReadMessageLayout(h);
        rcCancelTemplate = TemplateRect(h, 39, 73, 50, 14);
        rcOkMirror = TemplateRect(h, 140, 73, 50, 14);
        rcOkTemplate = TemplateRect(h, 89, 73, 50, 14);
        Screenshot(h, "message_ok_cancel");
        uidriver::Click(h, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ("Welcome...", layout.title);
    EXPECT_EQ("Thank you.\n\nSecond paragraph.", layout.body);
    EXPECT_EQ("OK", layout.okText);
    EXPECT_EQ("Cancel", layout.cancelText);
    EXPECT_TRUE(layout.bOkVisible);
    EXPECT_TRUE(layout.bCancelVisible);
    ExpectRectEq(rcCancelTemplate, layout.rcCancel, "IDCANCEL stays where the template puts it");
    // The mirror image, worked out in pixels: OK's left edge is as far from the right
    // edge as Cancel's right edge is from the left one.
    EXPECT_EQ(layout.rcClient.right - layout.rcCancel.right, layout.rcOk.left);
    EXPECT_EQ(layout.rcCancel.top, layout.rcOk.top);
    EXPECT_EQ(layout.rcCancel.right - layout.rcCancel.left, layout.rcOk.right - layout.rcOk.left);
    EXPECT_EQ(layout.rcCancel.bottom - layout.rcCancel.top, layout.rcOk.bottom - layout.rcOk.top);
    // In dialog units that is x = 229 - 89 = 140 (within the pixel rounding).
    EXPECT_NEAR(rcOkMirror.left, layout.rcOk.left, 1);
    EXPECT_NE(rcOkTemplate.left, layout.rcOk.left) << "OK has left its centred template position";
    EXPECT_GT(layout.rcOk.left, layout.rcCancel.right) << "Cancel on the left, OK on the right";
    EXPECT_EQ(IDOK, layout.nFocusId) << "the focus starts on the first tab stop, OK";
}

TEST(MessageDialog, NextBackLayoutRelabelsBothButtons)
{
    CMessageDlg dialog(NULL);
    SetMessage(dialog, "Attention...", "The directory you selected for installation is:\n\n<C:\\Pelorin>", TRUE, TRUE);
    MessageLayout layout;
    INT_PTR nResult = RunModalWith(dialog, "Attention...", [&](HWND h) {
        layout = ReadMessageLayout(h);
        Screenshot(h, "message_next_back");
        uidriver::Click(h, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ("Next >>>", layout.okText);
    EXPECT_EQ("<<< Back", layout.cancelText);
    EXPECT_TRUE(layout.bCancelVisible);
    EXPECT_EQ(layout.rcClient.right - layout.rcCancel.right, layout.rcOk.left);
    EXPECT_GT(layout.rcOk.left, layout.rcCancel.right) << "\"<<< Back\" left, \"Next >>>\" right";
}

TEST(MessageDialog, OneButtonLayoutHidesCancelAndKeepsOkCentred)
{
    CMessageDlg dialog(NULL);
    SetMessage(dialog, "Installation Error!!!", "Something failed.", FALSE, FALSE);
    MessageLayout layout;
    RECT rcOkTemplate = {};
    bool bCancelClickable = true;
    INT_PTR nResult = RunModalWith(dialog, "Installation Error!!!", [&](HWND h) {
        layout = ReadMessageLayout(h);
        rcOkTemplate = TemplateRect(h, 89, 73, 50, 14);
        Screenshot(h, "message_ok_alone");
        bCancelClickable = uidriver::Click(h, IDCANCEL);
        uidriver::Click(h, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ("OK", layout.okText);
    EXPECT_TRUE(layout.bOkVisible);
    EXPECT_FALSE(layout.bCancelVisible) << "Cancel is hidden";
    EXPECT_FALSE(bCancelClickable) << "a hidden Cancel takes no click";
    ExpectRectEq(rcOkTemplate, layout.rcOk, "OK at its template position");
    // Centred: the middle of OK is the middle of the dialog.
    EXPECT_NEAR(layout.rcClient.right / 2.0, (layout.rcOk.left + layout.rcOk.right) / 2.0, 1.0);
    EXPECT_EQ(IDOK, layout.nFocusId);
}

TEST(MessageDialog, NextBackWithOneButtonShowsASingleCentredNext)
{
    CMessageDlg dialog(NULL);
    SetMessage(dialog, "single next", "Text", FALSE, TRUE);
    MessageLayout layout;
    RECT rcOkTemplate = {};
    INT_PTR nResult = RunModalWith(dialog, "single next", [&](HWND h) {
        layout = ReadMessageLayout(h);
        rcOkTemplate = TemplateRect(h, 89, 73, 50, 14);
        Screenshot(h, "message_next_alone");
        uidriver::PressEnter(h);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ("Next >>>", layout.okText);
    EXPECT_FALSE(layout.bCancelVisible);
    ExpectRectEq(rcOkTemplate, layout.rcOk, "\"Next >>>\" at the centred template position");
}

TEST(MessageDialog, EnterGivesOkAndEscGivesCancelInBothLayouts)
{
    CMessageDlg dialog(NULL);
    for (BOOL bTwoButtons : {TRUE, FALSE}) {
        SetMessage(dialog, "keys", "Press a key.", bTwoButtons, FALSE);
        EXPECT_EQ(IDOK, RunModalWith(dialog, "keys", [](HWND h) { uidriver::PressEnter(h); }))
            << "two buttons: " << bTwoButtons;
        EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "keys", [](HWND h) { uidriver::PressEscape(h); }))
            << "two buttons: " << bTwoButtons << " (Cancel may be hidden)";
    }
}

TEST(MessageDialog, OneObjectRunTwiceTakesEachRunsLayoutAfresh)
{
    CMessageDlg dialog(NULL);
    SetMessage(dialog, "first run", "Two buttons.", TRUE, TRUE);
    MessageLayout first, second;
    RECT rcOkTemplate = {};
    EXPECT_EQ(IDOK, RunModalWith(dialog, "first run", [&](HWND h) {
        first = ReadMessageLayout(h);
        uidriver::Click(h, IDOK);
    }));
    SetMessage(dialog, "second run", "One button.", FALSE, FALSE);
    EXPECT_EQ(IDOK, RunModalWith(dialog, "second run", [&](HWND h) {
        second = ReadMessageLayout(h);
        rcOkTemplate = TemplateRect(h, 89, 73, 50, 14);
        uidriver::Click(h, IDOK);
    }));
    EXPECT_EQ("Next >>>", first.okText);
    EXPECT_TRUE(first.bCancelVisible);
    EXPECT_EQ("second run", second.title);
    EXPECT_EQ("One button.", second.body);
    EXPECT_EQ("OK", second.okText) << "nothing of the first run survives";
    EXPECT_EQ("Cancel", second.cancelText);
    EXPECT_FALSE(second.bCancelVisible);
    ExpectRectEq(rcOkTemplate, second.rcOk, "OK back at its centred template position");
    EXPECT_NE(first.rcOk.left, second.rcOk.left);
}

TEST(MessageDialog, EmptyTitleReplacesTheTemplateCaption)
{
    CMessageDlg dialog(NULL);
    SetMessage(dialog, "", "No title.", FALSE, FALSE);
    std::string body = "unread";
    EXPECT_EQ(IDOK, RunModalWith(dialog, "", [&](HWND h) {
                  body = uidriver::ControlText(h, IDC_TEXT);
                  uidriver::Click(h, IDOK);
              })) << "\"Installation Error !!!\" of the template never shows";
    EXPECT_EQ("No title.", body);
}

TEST(MessageDialog, TextsOfTheProgramsOwnMessagesShowWhole)
{
    CString strTitle, strText;
    ASSERT_TRUE(strTitle.LoadString(IDS_TITLE_COMPLETE));
    ASSERT_TRUE(strText.LoadString(IDS_SUPPORT_TEXT));
    CMessageDlg dialog(NULL);
    SetMessage(dialog, strTitle, strText, FALSE, FALSE);
    MessageLayout layout;
    EXPECT_EQ(IDOK, RunModalWith(dialog, "Installation Complete...", [&](HWND h) {
        layout = ReadMessageLayout(h);
        Screenshot(h, "message_completion");
        uidriver::PressEnter(h);
    }));
    EXPECT_EQ(std::string(strText), layout.body);

    ASSERT_TRUE(strTitle.LoadString(IDS_TITLE_WELCOME));
    ASSERT_TRUE(strText.LoadString(IDS_WELCOME_TEXT));
    SetMessage(dialog, strTitle, strText, TRUE, FALSE);
    EXPECT_EQ(IDCANCEL, RunModalWith(dialog, "Welcome...", [&](HWND h) {
        layout = ReadMessageLayout(h);
        Screenshot(h, "message_welcome");
        uidriver::PressEscape(h);
    }));
    EXPECT_EQ(std::string(strText), layout.body);

    CString strTemplate;
    ASSERT_TRUE(strTitle.LoadString(IDS_TITLE_ATTENTION));
    ASSERT_TRUE(strTemplate.LoadString(IDS_CONFIRM_EXISTING_DIR));
    strText.Format(strTemplate, "C:\\Pelorin");
    SetMessage(dialog, strTitle, strText, TRUE, TRUE);
    EXPECT_EQ(IDOK, RunModalWith(dialog, "Attention...", [&](HWND h) {
        layout = ReadMessageLayout(h);
        Screenshot(h, "message_confirm_existing");
        uidriver::Click(h, IDOK);
    }));
    EXPECT_EQ(std::string(strText), layout.body);
    EXPECT_NE(std::string::npos, layout.body.find("\n\n<C:\\Pelorin>\n\n"));

    ASSERT_TRUE(strTitle.LoadString(IDS_TITLE_ERROR));
    ASSERT_TRUE(strText.LoadString(IDS_ERR_CREATE_DIR));
    SetMessage(dialog, strTitle, strText, FALSE, FALSE);
    EXPECT_EQ(IDOK, RunModalWith(dialog, "Installation Error!!!", [&](HWND h) {
        layout = ReadMessageLayout(h);
        Screenshot(h, "message_error");
        uidriver::Click(h, IDOK);
    }));
    EXPECT_EQ(std::string(strText), layout.body);
    EXPECT_FALSE(layout.bCancelVisible);
}

} // namespace
