// The options page on a medium folder with and without the manual and the PDF reader's
// installer: which boxes it offers and ticks, what it hands back, the refusal of an empty
// choice; the medium folder as the program resolves it from its command line; and the
// refusal's caption in a setup-like program started from a medium.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "engine/Options.h"
#include "engine/SetupDirectory.h"
#include "modal_support.h"
#include "res/resource.h"
#include "ui/OptionsDlg.h"
#include "uidriver/UiDriver.h"

using namespace modaltest;

namespace {

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
// The file below the setup directory of a program started with pszCommandLine.
bool SetupDirectoryFile(const char* pszCommandLine, const char* pszFile, char* pszPath, size_t cchPath)
{
    ResolveProcessSetupDirectory(pszCommandLine);
    return GetMediumFile(pszFile, pszPath, cchPath);
}

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
