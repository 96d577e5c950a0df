// The setup's pages as a user meets them: the message dialog in each of its layouts, the
// licence agreement, and the options page on a medium folder with and without the
// manual and the PDF reader's installer. Each page runs modally on the test's thread
// while a second thread reads and operates it through the UI driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "app/IsWin9x.h"
#include "app/Options.h"
#include "app/SetupMessages.h"
#include "app/SetupWnd.h"
#include "res/resource.h"
#include "ui/AgreementDlg.h"
#include "ui/MessageDlg.h"
#include "ui/OptionsDlg.h"
#include "app/SetupDirectory.h"
#include "uidriver/UiDriver.h"

namespace {

// The file below the setup directory of a program started with pszCommandLine.
bool SetupDirectoryFile(const char* pszCommandLine, const char* pszFile, char* pszPath, size_t cchPath)
{
    ResolveProcessSetupDirectory(pszCommandLine);
    return GetMediumFile(pszFile, pszPath, cchPath);
}

const DWORD WAIT_MS = 10000;

std::string ScreenshotPath(const char* pszName)
{
    std::string dir = uidriver::ModuleDirectory() + "..\\screenshots";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir + "\\" + pszName + ".png";
}

// Lets the page paint, then saves it as <build>/win/screenshots/<name>.png.
void Screenshot(HWND hWindow, const char* pszName)
{
    uidriver::WaitIdle(hWindow);
    RedrawWindow(hWindow, NULL, NULL, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    uidriver::WaitIdle(hWindow);
    EXPECT_TRUE(uidriver::SaveScreenshot(ScreenshotPath(pszName), hWindow)) << pszName;
}

// Runs `action` on a second thread against the page titled pszTitle while this thread
// runs the page modally. A page the action leaves open is cancelled, as a failure.
INT_PTR RunModalWith(CDialog& dialog, const char* pszTitle, const std::function<void(HWND)>& action)
{
    std::atomic<bool> found(false);
    std::thread driver([&] {
        HWND hDialog = uidriver::WaitForWindow(pszTitle, WAIT_MS, GetCurrentProcessId(), "#32770");
        found = hDialog != NULL;
        if (!hDialog)
            return;
        uidriver::WaitIdle(hDialog);
        action(hDialog);
        if (!uidriver::WaitWindowGone(hDialog, WAIT_MS)) {
            ADD_FAILURE() << "the page \"" << pszTitle << "\" stayed open";
            PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    });
    INT_PTR nResult = dialog.DoModal();
    driver.join();
    EXPECT_TRUE(found) << "no page titled \"" << pszTitle << "\"";
    return nResult;
}

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

int DialogId(HWND hControl)
{
    return hControl ? GetDlgCtrlID(hControl) : 0;
}

// --- Message dialog ------------------------------------------------------------------

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
    std::string title = "unread";
    std::atomic<bool> found(false);
    std::thread driver([&] {
        // Found by its text, since the title is empty.
        for (int i = 0; i < 500 && !found; ++i) {
            HWND h = FindWindowA("#32770", "");
            if (h && uidriver::ControlText(h, IDC_TEXT) == "No title.") {
                found = true;
                uidriver::WaitIdle(h);
                title = uidriver::Text(h);
                uidriver::Click(h, IDOK);
            } else {
                Sleep(20);
            }
        }
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    driver.join();
    ASSERT_TRUE(found);
    EXPECT_EQ("", title) << "\"Installation Error !!!\" of the template never shows";
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

// --- Agreement page ------------------------------------------------------------------

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

// --- Options page --------------------------------------------------------------------

// A medium folder in the temporary directory, filled as a test asks, removed afterwards.
class Medium {
public:
    explicit Medium(const char* pszName)
    {
        char szTemp[MAX_PATH];
        GetTempPathA(sizeof szTemp, szTemp);
        m_dir = std::string(szTemp) + pszName + "_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_dir.c_str(), NULL);
    }
    ~Medium()
    {
        DeleteFileA((m_dir + "\\Docs\\Index.pdf").c_str());
        DeleteFileA((m_dir + "\\AcroRead\\Setup.exe").c_str());
        RemoveDirectoryA((m_dir + "\\Docs").c_str());
        RemoveDirectoryA((m_dir + "\\AcroRead").c_str());
        RemoveDirectoryA(m_dir.c_str());
    }
    void AddManual() { AddFile("Docs", "Index.pdf"); }
    void AddReader() { AddFile("AcroRead", "Setup.exe"); }
    void RemoveManual() { DeleteFileA((m_dir + "\\Docs\\Index.pdf").c_str()); }
    const std::string& Dir() const { return m_dir; }

private:
    void AddFile(const char* pszFolder, const char* pszFile)
    {
        std::string folder = m_dir + "\\" + pszFolder;
        CreateDirectoryA(folder.c_str(), NULL);
        HANDLE hFile = CreateFileA((folder + "\\" + pszFile).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
        DWORD dwWritten = 0;
        WriteFile(hFile, "%PDF", 4, &dwWritten, NULL);
        CloseHandle(hFile);
    }
    std::string m_dir;
};

// The command line the options page sees, as if the setup had been started from a medium.
char g_szCommandLine[1024];

LPSTR WINAPI TestCommandLine()
{
    return g_szCommandLine;
}

class OptionsPage : public ::testing::Test {
protected:
    void TearDown() override { ResolveProcessSetupDirectory(GetCommandLineA()); }

    // The page of a setup program started with commandLine.
    static void StartFrom(const std::string& commandLine)
    {
        lstrcpynA(g_szCommandLine, commandLine.c_str(), sizeof g_szCommandLine);
        ResolveProcessSetupDirectory(TestCommandLine());
    }
    static void StartFromMedium(const Medium& medium)
    {
        StartFrom("\"" + medium.Dir() + "\\Setup.exe\" -autorun");
    }
};

struct OptionBoxes {
    bool bApplication, bManuals, bReader;
    bool bApplicationEnabled, bManualsEnabled, bReaderEnabled;
    int nFocusId;
};

OptionBoxes ReadBoxes(HWND h)
{
    OptionBoxes boxes;
    boxes.bApplication = uidriver::IsChecked(h, IDC_OPT_APPLICATION);
    boxes.bManuals = uidriver::IsChecked(h, IDC_OPT_MANUALS);
    boxes.bReader = uidriver::IsChecked(h, IDC_OPT_READER);
    boxes.bApplicationEnabled = uidriver::IsEnabled(h, IDC_OPT_APPLICATION);
    boxes.bManualsEnabled = uidriver::IsEnabled(h, IDC_OPT_MANUALS);
    boxes.bReaderEnabled = uidriver::IsEnabled(h, IDC_OPT_READER);
    boxes.nFocusId = DialogId(uidriver::Focus(h));
    return boxes;
}

// Shows the page once, reads its boxes and leaves it with `finish`.
OptionBoxes ShowOptions(COptionsDlg& dialog, INT_PTR* pnResult, const std::function<void(HWND)>& finish,
                        const char* pszScreenshot = NULL)
{
    OptionBoxes boxes = {};
    *pnResult = RunModalWith(dialog, "Select Option", [&](HWND h) {
        boxes = ReadBoxes(h);
        if (pszScreenshot)
            Screenshot(h, pszScreenshot);
        finish(h);
    });
    return boxes;
}

void PressNext(HWND h)
{
    uidriver::Click(h, IDOK);
}

void PressBack(HWND h)
{
    uidriver::Click(h, IDCANCEL);
}

TEST_F(OptionsPage, MediumWithManualAndReaderOffersAllAndTicksTheManuals)
{
    Medium medium("pages_full");
    medium.AddManual();
    medium.AddReader();
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    std::string labels[3];
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, [&](HWND h) {
        labels[0] = uidriver::ControlText(h, IDC_OPT_APPLICATION);
        labels[1] = uidriver::ControlText(h, IDC_OPT_MANUALS);
        labels[2] = uidriver::ControlText(h, IDC_OPT_READER);
        PressNext(h);
    }, "options_full_medium");
    EXPECT_EQ(IDOK, nResult);
    EXPECT_TRUE(boxes.bApplication);
    EXPECT_TRUE(boxes.bManuals);
    EXPECT_FALSE(boxes.bReader);
    EXPECT_TRUE(boxes.bApplicationEnabled);
    EXPECT_TRUE(boxes.bManualsEnabled);
    EXPECT_TRUE(boxes.bReaderEnabled);
    EXPECT_EQ(IDC_OPT_APPLICATION, boxes.nFocusId) << "the focus starts on the application box";
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_MANUALS), dialog.m_nOptions);
    EXPECT_EQ("Install Pelorin Application and Help files", labels[0]);
    EXPECT_EQ("Copy Manuals in PDF format to Hard Drive", labels[1]);
    EXPECT_EQ("Install Acrobat Reader in order to view PDF files", labels[2]);
}

TEST_F(OptionsPage, EmptyMediumDisablesManualsAndReader)
{
    Medium medium("pages_empty");
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressNext, "options_empty_medium");
    EXPECT_EQ(IDOK, nResult);
    EXPECT_TRUE(boxes.bApplication);
    EXPECT_TRUE(boxes.bApplicationEnabled);
    EXPECT_FALSE(boxes.bManuals);
    EXPECT_FALSE(boxes.bManualsEnabled);
    EXPECT_FALSE(boxes.bReader);
    EXPECT_FALSE(boxes.bReaderEnabled);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION), dialog.m_nOptions);
}

TEST_F(OptionsPage, ReaderAloneIsOfferedButNotTicked)
{
    Medium medium("pages_reader");
    medium.AddReader();
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, [](HWND h) {
        uidriver::SetCheck(h, IDC_OPT_READER, true);
        uidriver::WaitIdle(h);
        PressNext(h);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_FALSE(boxes.bManualsEnabled);
    EXPECT_FALSE(boxes.bManuals);
    EXPECT_TRUE(boxes.bReaderEnabled);
    EXPECT_FALSE(boxes.bReader);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_READER), dialog.m_nOptions);
}

TEST_F(OptionsPage, ManualAloneIsTickedAndTheReaderDisabled)
{
    Medium medium("pages_manual");
    medium.AddManual();
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressBack);
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_TRUE(boxes.bManuals);
    EXPECT_TRUE(boxes.bManualsEnabled);
    EXPECT_FALSE(boxes.bReaderEnabled);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_MANUALS), dialog.m_nOptions)
        << "Back keeps the value, with the manuals bit the page added";
}

TEST_F(OptionsPage, ChoiceCarriesOverAndTheManualsBoxIsTickedAgainOnReturn)
{
    Medium medium("pages_return");
    medium.AddManual();
    medium.AddReader();
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    // The user clears the manuals, ticks the reader and goes on ...
    ShowOptions(dialog, &nResult, [](HWND h) {
        uidriver::SetCheck(h, IDC_OPT_MANUALS, false);
        uidriver::SetCheck(h, IDC_OPT_READER, true);
        uidriver::WaitIdle(h);
        PressNext(h);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_READER), dialog.m_nOptions);
    // ... then comes back from the chooser: the manual is still on the medium.
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressBack, "options_returned");
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_TRUE(boxes.bApplication);
    EXPECT_TRUE(boxes.bManuals) << "ticked again whenever the manual is on the medium";
    EXPECT_TRUE(boxes.bReader) << "the previous choice";
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_MANUALS | OPTION_READER), dialog.m_nOptions);

    // Without the manual the previous choice shows as it was.
    dialog.m_nOptions = OPTION_APPLICATION | OPTION_READER;
    medium.RemoveManual();
    boxes = ShowOptions(dialog, &nResult, PressNext);
    EXPECT_FALSE(boxes.bManuals);
    EXPECT_FALSE(boxes.bManualsEnabled);
    EXPECT_TRUE(boxes.bReader);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_READER), dialog.m_nOptions);
}

TEST_F(OptionsPage, DisabledBoxCountsByItsTick)
{
    Medium medium("pages_disabled");
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION | OPTION_MANUALS | OPTION_READER;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressNext);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_TRUE(boxes.bManuals);
    EXPECT_FALSE(boxes.bManualsEnabled);
    EXPECT_TRUE(boxes.bReader);
    EXPECT_FALSE(boxes.bReaderEnabled);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION | OPTION_MANUALS | OPTION_READER), dialog.m_nOptions);
}

struct MessageBoxQuery {
    HWND hExcept;
    HWND hFound;
};

BOOL CALLBACK MatchMessageBox(HWND h, LPARAM lParam)
{
    MessageBoxQuery* pQuery = reinterpret_cast<MessageBoxQuery*>(lParam);
    char szClass[16];
    if (h != pQuery->hExcept && IsWindowVisible(h) && GetClassNameA(h, szClass, sizeof szClass) &&
        std::strcmp(szClass, "#32770") == 0) {
        pQuery->hFound = h;
        return FALSE;
    }
    return TRUE;
}

// The framework's message box over the page hPage, on the page's thread. (Its caption is
// the application's name, which a test executable has not got.)
HWND WaitForMessageBox(HWND hPage)
{
    MessageBoxQuery query = {hPage, NULL};
    for (int i = 0; i < 500 && !query.hFound; ++i) {
        EnumThreadWindows(GetWindowThreadProcessId(hPage, NULL), MatchMessageBox, reinterpret_cast<LPARAM>(&query));
        if (!query.hFound)
            Sleep(20);
    }
    return query.hFound;
}

const int MESSAGE_BOX_TEXT_ID = 0xFFFF;

BOOL CALLBACK FindIconControl(HWND h, LPARAM lParam)
{
    if ((GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(lParam) = h;
        return FALSE;
    }
    return TRUE;
}

// The icon a message box shows (NULL when it shows none).
HICON MessageBoxIcon(HWND hBox)
{
    HWND hIconControl = NULL;
    EnumChildWindows(hBox, FindIconControl, reinterpret_cast<LPARAM>(&hIconControl));
    return hIconControl ? reinterpret_cast<HICON>(SendMessageA(hIconControl, STM_GETICON, 0, 0)) : NULL;
}

TEST_F(OptionsPage, EmptyChoiceIsRefusedAndThePageStaysOpen)
{
    Medium medium("pages_refuse");
    medium.AddManual();
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    std::string boxText;
    bool bOkOnly = false, bExclamation = false, bPageStillOpen = false;
    OptionBoxes afterRefusal = {};
    UINT nOptionsWhileOpen = 99;
    INT_PTR nResult = RunModalWith(dialog, "Select Option", [&](HWND h) {
        uidriver::SetCheck(h, IDC_OPT_APPLICATION, false);
        uidriver::SetCheck(h, IDC_OPT_MANUALS, false);
        uidriver::WaitIdle(h);
        PressNext(h);
        HWND hBox = WaitForMessageBox(h);
        if (!hBox) {
            ADD_FAILURE() << "no message box";
            return;
        }
        uidriver::WaitIdle(hBox);
        boxText = uidriver::ControlText(hBox, MESSAGE_BOX_TEXT_ID);
        bOkOnly = uidriver::IsVisible(hBox, IDOK) && !uidriver::IsVisible(hBox, IDCANCEL) &&
                  !uidriver::IsVisible(hBox, IDYES);
        HICON hIcon = MessageBoxIcon(hBox);
        bExclamation = hIcon != NULL && hIcon == LoadIconA(NULL, IDI_EXCLAMATION);
        Screenshot(hBox, "options_refusal");
        uidriver::Click(hBox, IDOK);
        uidriver::WaitWindowGone(hBox, WAIT_MS);
        uidriver::WaitIdle(h);
        bPageStillOpen = IsWindow(h) && IsWindowVisible(h);
        afterRefusal = ReadBoxes(h);
        nOptionsWhileOpen = dialog.m_nOptions;
        PressBack(h);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ("An option must be selected to continue the installation.", boxText);
    EXPECT_TRUE(bOkOnly) << "an OK button alone";
    EXPECT_TRUE(bExclamation) << "the exclamation icon";
    EXPECT_TRUE(bPageStillOpen);
    EXPECT_FALSE(afterRefusal.bApplication);
    EXPECT_FALSE(afterRefusal.bManuals);
    EXPECT_FALSE(afterRefusal.bReader);
    EXPECT_EQ(0u, nOptionsWhileOpen);
    EXPECT_EQ(0u, dialog.m_nOptions) << "Back leaves the refused value";

    // The next display: the application box clear, the manuals ticked (on the medium).
    OptionBoxes next = ShowOptions(dialog, &nResult, PressBack);
    EXPECT_FALSE(next.bApplication);
    EXPECT_TRUE(next.bManuals);
    EXPECT_EQ(static_cast<UINT>(OPTION_MANUALS), dialog.m_nOptions);
}

TEST_F(OptionsPage, EnterIsNextAndEscIsBack)
{
    Medium medium("pages_keys");
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    ShowOptions(dialog, &nResult, [](HWND h) { uidriver::PressEscape(h); });
    EXPECT_EQ(IDCANCEL, nResult);
    ShowOptions(dialog, &nResult, [](HWND h) { uidriver::PressEnter(h); });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION), dialog.m_nOptions);
}

TEST_F(OptionsPage, UnquotedCommandLineFindsTheSameMedium)
{
    Medium medium("pages_unquoted");
    medium.AddManual();
    medium.AddReader();
    StartFrom(medium.Dir() + "\\Setup.exe");
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressBack);
    EXPECT_TRUE(boxes.bManualsEnabled);
    EXPECT_TRUE(boxes.bReaderEnabled);
}

TEST_F(OptionsPage, SetupAtADriveRootLooksInThatDrivesCurrentDirectory)
{
    // "C:\Setup.exe" leaves "C:", which expands to the current directory of drive C:.
    Medium medium("pages_root");
    medium.AddManual();
    char szOldDir[MAX_PATH];
    GetCurrentDirectoryA(sizeof szOldDir, szOldDir);
    ASSERT_TRUE(SetCurrentDirectoryA(medium.Dir().c_str()));
    ASSERT_EQ('C', medium.Dir()[0]) << "the temporary directory is expected on drive C:";
    StartFrom("\"C:\\Setup.exe\"");
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressBack);
    SetCurrentDirectoryA(szOldDir);
    EXPECT_TRUE(boxes.bManualsEnabled);
    EXPECT_TRUE(boxes.bManuals);
    EXPECT_FALSE(boxes.bReaderEnabled);
}

TEST_F(OptionsPage, SetupDirectoryTooLongForThePathBufferCountsAsNoMedium)
{
    StartFrom("\"C:\\" + std::string(300, 'd') + "\\Setup.exe\"");
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = OPTION_APPLICATION;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressNext);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_FALSE(boxes.bManualsEnabled);
    EXPECT_FALSE(boxes.bReaderEnabled);
    EXPECT_EQ(static_cast<UINT>(OPTION_APPLICATION), dialog.m_nOptions);
}

// --- The setup directory, resolved on Windows ----------------------------------------

TEST(SetupDirectoryFile, ResolvesTheMediumFolderAsAFullPath)
{
    char szPath[SETUP_DIR_PATH_SIZE];
    ASSERT_TRUE(SetupDirectoryFile("\"C:\\Disk1\\Setup.exe\" -restart", "\\Docs\\Index.pdf", szPath, sizeof szPath));
    EXPECT_STREQ("C:\\Disk1\\Docs\\Index.pdf", szPath);
    ASSERT_TRUE(SetupDirectoryFile("C:\\Disk1\\..\\Disk2\\Setup.exe", "\\AcroRead\\Setup.exe", szPath, sizeof szPath));
    EXPECT_STREQ("C:\\Disk2\\AcroRead\\Setup.exe", szPath);
}

TEST(SetupDirectoryFile, RelativeTextIsResolvedAgainstTheCurrentDirectory)
{
    char szCurrent[MAX_PATH];
    GetCurrentDirectoryA(sizeof szCurrent, szCurrent);
    char szPath[SETUP_DIR_PATH_SIZE];
    ASSERT_TRUE(SetupDirectoryFile("Setup.exe", "\\Docs\\Index.pdf", szPath, sizeof szPath));
    EXPECT_EQ(std::string(szCurrent) + "\\Setup.exe\\Docs\\Index.pdf", std::string(szPath))
        << "a command line without a backslash is taken whole";
}

TEST(SetupDirectoryFile, PathThatDoesNotFitTwoHundredFiftySixCharactersIsRefused)
{
    const char* pszFile = "\\Docs\\Index.pdf";  // 15 characters
    char szPath[SETUP_DIR_PATH_SIZE];
    // "C:\" and 237 more make 240; with the file name 255 characters, the most that fit.
    std::string fits = "C:\\" + std::string(237, 'f');
    ASSERT_TRUE(SetupDirectoryFile(("\"" + fits + "\\Setup.exe\"").c_str(), pszFile, szPath, sizeof szPath));
    EXPECT_EQ(fits + pszFile, std::string(szPath));
    std::string tooLong = "C:\\" + std::string(238, 'f');
    std::memset(szPath, 'x', sizeof szPath);
    EXPECT_FALSE(SetupDirectoryFile(("\"" + tooLong + "\\Setup.exe\"").c_str(), pszFile, szPath, sizeof szPath));
    EXPECT_STREQ("", szPath);
    // A directory that alone does not fit the full-path buffer.
    std::string huge = "C:\\" + std::string(300, 'h');
    EXPECT_FALSE(SetupDirectoryFile(("\"" + huge + "\\Setup.exe\"").c_str(), pszFile, szPath, sizeof szPath));
    EXPECT_STREQ("", szPath);
}

TEST(SetupDirectoryFile, EmptyTextCannotBeResolved)
{
    char szPath[SETUP_DIR_PATH_SIZE] = "x";
    EXPECT_FALSE(SetupDirectoryFile("\\Setup.exe", "\\Docs\\Index.pdf", szPath, sizeof szPath));
    EXPECT_STREQ("", szPath);
}

// --- The refusal's caption, in a setup-like program run from a medium -----------------

// A copy of a test program, deleted again when the test ends.
struct ProgramCopy {
    ProgramCopy(const char* pszProgram, const std::string& dir, const char* pszAs) : path(dir + "\\" + pszAs)
    {
        copied = CopyFileA((uidriver::ModuleDirectory() + pszProgram).c_str(), path.c_str(), FALSE) != FALSE;
    }
    ~ProgramCopy() { DeleteFileA(path.c_str()); }
    std::string path;
    bool copied;
};

TEST(OptionsProgram, RefusalIsCaptionedWithTheExecutablesNameAndTheMediumIsItsFolder)
{
    Medium medium("pages_program");
    medium.AddManual();
    medium.AddReader();
    ProgramCopy exe("options_page.exe", medium.Dir(), "Setup.exe");
    ASSERT_TRUE(exe.copied);
    DWORD dwExit = STILL_ACTIVE;
    std::string boxText;
    OptionBoxes boxes = {};
    {
        uidriver::Process app = uidriver::Launch(exe.path, "-autorun");
        ASSERT_TRUE(app.Started());
        HWND hPage = uidriver::WaitForWindow("Select Option", WAIT_MS, app.Id(), "#32770");
        ASSERT_TRUE(hPage != NULL);
        uidriver::WaitIdle(hPage);
        boxes = ReadBoxes(hPage);
        uidriver::SetCheck(hPage, IDC_OPT_APPLICATION, false);
        uidriver::SetCheck(hPage, IDC_OPT_MANUALS, false);
        uidriver::WaitIdle(hPage);
        uidriver::Click(hPage, IDOK);
        HWND hBox = uidriver::WaitForWindow("Setup", WAIT_MS, app.Id(), "#32770");
        ASSERT_TRUE(hBox != NULL) << "no message box captioned \"Setup\"";
        uidriver::WaitIdle(hBox);
        boxText = uidriver::ControlText(hBox, MESSAGE_BOX_TEXT_ID);
        Screenshot(hBox, "options_refusal_program");
        uidriver::Click(hBox, IDOK);
        uidriver::WaitWindowGone(hBox, WAIT_MS);
        uidriver::SetCheck(hPage, IDC_OPT_READER, true);
        uidriver::WaitIdle(hPage);
        uidriver::Click(hPage, IDOK);
        dwExit = app.WaitExit(WAIT_MS);
    }
    EXPECT_TRUE(boxes.bApplication);
    EXPECT_TRUE(boxes.bManuals) << "the manual beside the program is found";
    EXPECT_TRUE(boxes.bManualsEnabled);
    EXPECT_TRUE(boxes.bReaderEnabled) << "the reader's installer beside the program is found";
    EXPECT_EQ("An option must be selected to continue the installation.", boxText);
    // The program's exit code: the page's result times 256 plus the option bits.
    EXPECT_EQ(static_cast<DWORD>(IDOK * 256 + OPTION_READER), dwExit);
}

} // namespace
