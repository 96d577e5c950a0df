// The options page, one row a display: a medium folder with and without the manual and the
// PDF reader's installer, the program started from it in the ways Windows may write its
// command line; which boxes it offers and ticks, what it hands back. Then the choice
// carried over a return to the page, the refusal of an empty choice, the medium folder
// as the program resolves it from its command line, and the refusal's caption in a
// setup-like program started from a medium.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/Options.h"
#include "engine/SetupDirectory.h"
#include "modal_support.h"
#include "res/resource.h"
#include "ui/OptionsDlg.h"
#include "uidriver/UiDriver.h"

using namespace modaltest;

namespace {

const UINT APP = OPTION_APPLICATION, MANUALS = OPTION_MANUALS, READER = OPTION_READER;
const UINT ALL = APP | MANUALS | READER;

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
    // MANUALS: the manual's index, Docs\Index.pdf; READER: the reader's installer.
    void Add(UINT nFiles)
    {
        if (nFiles & MANUALS)
            AddFile("Docs", "Index.pdf");
        if (nFiles & READER)
            AddFile("AcroRead", "Setup.exe");
    }
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

class OptionsPage : public ::testing::Test {
protected:
    void TearDown() override { ResolveProcessSetupDirectory(GetCommandLineA()); }

    // The page of a setup program started with commandLine.
    static void StartFrom(const std::string& commandLine) { ResolveProcessSetupDirectory(commandLine.c_str()); }
    static void StartFromMedium(const Medium& medium) { StartFrom("\"" + medium.Dir() + "\\Setup.exe\" -autorun"); }
};

// The boxes as option bits: those ticked, those enabled; and the control with the focus.
struct OptionBoxes {
    UINT nTicked, nEnabled;
    int nFocusId;
};

OptionBoxes ReadBoxes(HWND h)
{
    const struct { UINT nBit; int nId; } boxes[] = {
        {APP, IDC_OPT_APPLICATION}, {MANUALS, IDC_OPT_MANUALS}, {READER, IDC_OPT_READER}};
    OptionBoxes read = {0, 0, DialogId(uidriver::Focus(h))};
    for (const auto& box : boxes) {
        read.nTicked |= uidriver::IsChecked(h, box.nId) ? box.nBit : 0;
        read.nEnabled |= uidriver::IsEnabled(h, box.nId) ? box.nBit : 0;
    }
    return read;
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

void TickReaderThenNext(HWND h)
{
    uidriver::SetCheck(h, IDC_OPT_READER, true);
    uidriver::WaitIdle(h);
    PressNext(h);
}

// One display of the page: the files on the medium, the command line the program was
// started with ({medium} stands for the medium folder), whether the medium folder is the
// current directory, the options given and how the user leaves; then the boxes ticked
// and enabled as the page opens, its result and the options it hands back.
struct PageCase {
    const char* name;
    UINT nOnMedium;
    std::string commandLine;
    bool bMediumIsCurrent;
    UINT nGiven;
    void (*leave)(HWND);
    UINT nTicked, nEnabled;
    INT_PTR nResult;
    UINT nHandedBack;
    const char* screenshot = nullptr;
};

void PrintTo(const PageCase& row, std::ostream* os)
{
    *os << row.name;
}

std::vector<PageCase> PageCases()
{
    const std::string fromMedium = "\"{medium}\\Setup.exe\" -autorun";
    const std::string tooLong = "\"C:\\" + std::string(300, 'd') + "\\Setup.exe\"";
    return {
        // The manuals are ticked whenever the manual is on the medium, the reader never.
        {"FullMediumOffersAllAndTicksTheManuals", MANUALS | READER, fromMedium, false, APP, PressNext,
         APP | MANUALS, ALL, IDOK, APP | MANUALS, "options_full_medium"},
        {"EmptyMediumDisablesManualsAndReader", 0, fromMedium, false, APP, PressNext, APP, APP, IDOK, APP,
         "options_empty_medium"},
        {"ReaderAloneIsOfferedButNotTicked", READER, fromMedium, false, APP, TickReaderThenNext, APP, APP | READER,
         IDOK, APP | READER},
        // Back keeps the value, with the manuals bit the page added.
        {"ManualAloneIsTickedAndTheReaderDisabled", MANUALS, fromMedium, false, APP, PressBack, APP | MANUALS,
         APP | MANUALS, IDCANCEL, APP | MANUALS},
        {"DisabledBoxCountsByItsTick", 0, fromMedium, false, ALL, PressNext, ALL, APP, IDOK, ALL},
        {"EnterIsNext", 0, fromMedium, false, APP, uidriver::PressEnter, APP, APP, IDOK, APP},
        {"EscIsBack", 0, fromMedium, false, APP, uidriver::PressEscape, APP, APP, IDCANCEL, APP},
        {"UnquotedCommandLineFindsTheSameMedium", MANUALS | READER, "{medium}\\Setup.exe", false, APP, PressBack,
         APP | MANUALS, ALL, IDCANCEL, APP | MANUALS},
        // "C:\Setup.exe" leaves "C:", which expands to the current directory of drive C:.
        {"SetupAtADriveRootLooksInThatDrivesCurrentDirectory", MANUALS, "\"C:\\Setup.exe\"", true, APP, PressBack,
         APP | MANUALS, APP | MANUALS, IDCANCEL, APP | MANUALS},
        {"SetupDirectoryTooLongForThePathBufferCountsAsNoMedium", MANUALS | READER, tooLong, true, APP, PressNext,
         APP, APP, IDOK, APP},
    };
}

class OptionsPageCase : public OptionsPage, public ::testing::WithParamInterface<PageCase> {};

TEST_P(OptionsPageCase, OffersWhatTheMediumHoldsAndHandsBackTheTicks)
{
    const PageCase& row = GetParam();
    Medium medium(row.name);
    medium.Add(row.nOnMedium);
    std::string commandLine = row.commandLine;
    size_t at = commandLine.find("{medium}");
    if (at != std::string::npos)
        commandLine.replace(at, 8, medium.Dir());
    char szOldDir[MAX_PATH];
    GetCurrentDirectoryA(sizeof szOldDir, szOldDir);
    if (row.bMediumIsCurrent) {
        ASSERT_EQ('C', medium.Dir()[0]) << "the temporary directory is expected on drive C:";
        ASSERT_TRUE(SetCurrentDirectoryA(medium.Dir().c_str()));
    }
    StartFrom(commandLine);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = row.nGiven;
    INT_PTR nResult = 0;
    OptionBoxes boxes = ShowOptions(dialog, &nResult, row.leave, row.screenshot);
    SetCurrentDirectoryA(szOldDir);
    EXPECT_EQ(row.nTicked, boxes.nTicked) << "the boxes ticked (2 application, 4 manuals, 8 reader)";
    EXPECT_EQ(row.nEnabled, boxes.nEnabled) << "the boxes enabled (2 application, 4 manuals, 8 reader)";
    EXPECT_EQ(IDC_OPT_APPLICATION, boxes.nFocusId) << "the focus starts on the application box";
    EXPECT_EQ(row.nResult, nResult);
    EXPECT_EQ(row.nHandedBack, dialog.m_nOptions);
}

INSTANTIATE_TEST_SUITE_P(Display, OptionsPageCase, ::testing::ValuesIn(PageCases()),
                         [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST_F(OptionsPage, ChoiceCarriesOverAndTheManualsBoxIsTickedAgainOnReturn)
{
    Medium medium("pages_return");
    medium.Add(MANUALS | READER);
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = APP;
    INT_PTR nResult = 0;
    // The user clears the manuals, ticks the reader and goes on ...
    ShowOptions(dialog, &nResult, [](HWND h) {
        uidriver::SetCheck(h, IDC_OPT_MANUALS, false);
        TickReaderThenNext(h);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(APP | READER, dialog.m_nOptions);
    // ... then comes back from the chooser: the manual is still on the medium.
    OptionBoxes boxes = ShowOptions(dialog, &nResult, PressBack, "options_returned");
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(ALL, boxes.nTicked) << "the manuals ticked again while the manual is on the medium, the reader as chosen";
    EXPECT_EQ(ALL, dialog.m_nOptions);

    // Without the manual the previous choice shows as it was.
    dialog.m_nOptions = APP | READER;
    medium.RemoveManual();
    boxes = ShowOptions(dialog, &nResult, PressNext);
    EXPECT_EQ(APP | READER, boxes.nTicked);
    EXPECT_EQ(APP | READER, boxes.nEnabled);
    EXPECT_EQ(APP | READER, dialog.m_nOptions);
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
    medium.Add(MANUALS);
    StartFromMedium(medium);
    COptionsDlg dialog(NULL);
    dialog.m_nOptions = APP;
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
    EXPECT_EQ(0u, afterRefusal.nTicked);
    EXPECT_EQ(0u, nOptionsWhileOpen);
    EXPECT_EQ(0u, dialog.m_nOptions) << "Back leaves the refused value";

    // The next display: the application box clear, the manuals ticked (on the medium).
    OptionBoxes next = ShowOptions(dialog, &nResult, PressBack);
    EXPECT_EQ(MANUALS, next.nTicked);
    EXPECT_EQ(MANUALS, dialog.m_nOptions);
}

// --- The setup directory, resolved on Windows ----------------------------------------

// The file below the setup directory of a program started with pszCommandLine.
bool SetupDirectoryFile(const char* pszCommandLine, const char* pszFile, char* pszPath, size_t cchPath)
{
    ResolveProcessSetupDirectory(pszCommandLine);
    return GetMediumFile(pszFile, pszPath, cchPath);
}

// The medium folder is the command line's directory as a full path; a file below it that
// does not fit 256 characters (with the terminator) is refused with an empty result.
TEST(SetupDirectoryFile, IsTheFullPathBelowTheCommandLinesDirectoryWhenItFits)
{
    char szCurrent[MAX_PATH];
    GetCurrentDirectoryA(sizeof szCurrent, szCurrent);
    const char* pszIndex = "\\Docs\\Index.pdf";  // 15 characters
    // "C:\" and 237 more make 240; with the file name 255 characters, the most that fit.
    const std::string fits = "C:\\" + std::string(237, 'f');
    const struct {
        std::string commandLine;
        const char* pszFile;
        std::string expected;
    } cases[] = {
        {"\"C:\\Disk1\\Setup.exe\" -restart", pszIndex, "C:\\Disk1\\Docs\\Index.pdf"},
        {"C:\\Disk1\\..\\Disk2\\Setup.exe", "\\AcroRead\\Setup.exe", "C:\\Disk2\\AcroRead\\Setup.exe"},
        // A command line without a backslash is taken whole, against the current directory.
        {"Setup.exe", pszIndex, std::string(szCurrent) + "\\Setup.exe\\Docs\\Index.pdf"},
        {"\"" + fits + "\\Setup.exe\"", pszIndex, fits + pszIndex},
        {"\"" + fits + "f\\Setup.exe\"", pszIndex, ""},
        {"\"C:\\" + std::string(300, 'h') + "\\Setup.exe\"", pszIndex, ""},  // not even the directory fits
        {"\\Setup.exe", pszIndex, ""},  // the empty text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        char szPath[SETUP_DIR_PATH_SIZE];
        std::memset(szPath, 'x', sizeof szPath - 1);
        szPath[sizeof szPath - 1] = '\0';
        EXPECT_EQ(!c.expected.empty(), SetupDirectoryFile(c.commandLine.c_str(), c.pszFile, szPath, sizeof szPath));
        EXPECT_EQ(c.expected, std::string(szPath));
    }
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
    medium.Add(MANUALS | READER);
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
    EXPECT_EQ(APP | MANUALS, boxes.nTicked) << "the manual beside the program is found";
    EXPECT_EQ(ALL, boxes.nEnabled) << "the manual and the reader's installer beside the program are found";
    EXPECT_EQ("An option must be selected to continue the installation.", boxText);
    // The program's exit code: the page's result times 256 plus the option bits.
    EXPECT_EQ(static_cast<DWORD>(IDOK * 256 + READER), dwExit);
}

} // namespace
