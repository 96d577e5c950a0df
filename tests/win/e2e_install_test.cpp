// Whole installations: the built Setup.exe started as a user starts it, driven page by
// page through the UI driver, and the machine inspected afterwards (files, the system
// directory, shortcuts, the uninstall entry, processes started). Scenarios run one after
// another in the test prefix; each installs into a directory of its own and starts from
// a machine without a program group, desktop link or uninstall entry.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/String.h"
#include "res/resource.h"
#include "e2e_support.h"
#include "uidriver/UiDriver.h"

namespace {

using namespace e2e;
using uidriver::ControlText;
using uidriver::WaitForWindow;


bool UninstallKeyInView(REGSAM view)
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ | view, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

std::string ScreenshotPath(const std::string& name)
{
    std::string dir = uidriver::ModuleDirectory() + "..\\screenshots\\";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir + "e2e-" + name + ".png";
}

// Closes every window titled pszTitle (the shell's window on the program group that the
// hand-over opens), so that a later scenario sees its own. A window that does not close
// has its process ended, unless that process is the one drawing Wine's desktop.
void CloseWindowsTitled(const char* pszTitle)
{
    DWORD desktopPid = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopPid);
    HWND hWnd;
    while ((hWnd = FindWindowA(NULL, pszTitle)) != NULL) {
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        if (uidriver::WaitWindowGone(hWnd, 5000))
            continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(hWnd, &pid);
        HANDLE hProcess = pid != desktopPid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : NULL;
        if (!hProcess)
            break;
        TerminateProcess(hProcess, 0);
        WaitForSingleObject(hProcess, 5000);
        CloseHandle(hProcess);
        if (!uidriver::WaitWindowGone(hWnd, 5000))
            break;
    }
}

class Installation : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteTree(GroupDir());
        DeleteFileA(DesktopLink().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        DeleteFileA((WindowsDirectory() + "\\axdist-ran.log").c_str());
        DeleteFileA((WindowsDirectory() + "\\acroread-ran.log").c_str());
    }
    void TearDown() override { CloseWindowsTitled(PROGRAM_GROUP); }
};

// What the typical installation (application and manuals) leaves on the machine under an
// NT-family Windows.
void ExpectTypicalInstallation(const std::string& dir)
{
    ExpectInstalledFilesLinksAndEntry(dir);
    EXPECT_FALSE(Exists(dir + "\\Comctl32.dll")) << "kept on Windows 95/98 only";
    EXPECT_FALSE(Exists(dir + "\\Comdlg32.dll"));
    EXPECT_FALSE(Exists(WindowsDirectory() + "\\axdist-ran.log")) << "run on Windows 95/98 only";
    EXPECT_TRUE(Exists(dir + "\\ChmMacros"));
    EXPECT_TRUE(Exists(dir + "\\5&10ChannelExamples"));
}

TEST_F(Installation, TypicalInstallationToCompletion)
{
    const std::string dir = "C:\\E2E\\Typical";
    DeleteTree(dir);
    SetupRun setup("");

    HWND hWelcome = setup.Page("Welcome...");
    ASSERT_TRUE(hWelcome);
    // The backdrop stands behind the pages: its first band at the top of the screen,
    // its last at the bottom (the window's sunken edge is 2 pixels).
    EXPECT_EQ(RGB(63, 63, 63), uidriver::ScreenPixel(20, 4));
    EXPECT_EQ(RGB(0, 190, 190), uidriver::ScreenPixel(20, 762));
    uidriver::SaveScreenshot(ScreenshotPath("1-welcome"));
    EXPECT_EQ("OK", ControlText(hWelcome, IDOK));
    EXPECT_EQ("Cancel", ControlText(hWelcome, IDCANCEL));
    uidriver::Click(hWelcome, IDOK);

    HWND hAgreement = setup.Page("License Agreement");
    uidriver::SaveScreenshot(ScreenshotPath("2-agreement"));
    uidriver::Click(hAgreement, IDOK);

    HWND hOptions = setup.Page("Select Option");
    EXPECT_TRUE(uidriver::IsChecked(hOptions, IDC_OPT_APPLICATION));
    EXPECT_TRUE(uidriver::IsChecked(hOptions, IDC_OPT_MANUALS)) << "Docs\\Index.pdf is on the medium";
    EXPECT_FALSE(uidriver::IsChecked(hOptions, IDC_OPT_READER));
    EXPECT_TRUE(uidriver::IsEnabled(hOptions, IDC_OPT_READER)) << "AcroRead\\Setup.exe is on the medium";
    uidriver::SaveScreenshot(ScreenshotPath("3-options"));
    uidriver::Click(hOptions, IDOK);

    HWND hChooser = setup.Page("Select Installation Directory");
    EXPECT_EQ("C:\\Pelorin\\", ControlText(hChooser, IDC_DIR_EDIT));
    uidriver::TypeText(hChooser, IDC_DIR_EDIT, dir);
    uidriver::SaveScreenshot(ScreenshotPath("4-directory"));
    uidriver::Click(hChooser, IDOK);

    HWND hConfirm = setup.Page("Attention...");
    EXPECT_EQ("The directory you selected for installation is:\n\n<C:\\E2E\\Typical>\n\nSelect 'Next' to confirm "
              "you want the\ninstallation to begin in this directory.",
              ControlText(hConfirm, IDC_TEXT));
    EXPECT_EQ("Next >>>", ControlText(hConfirm, IDOK));
    EXPECT_EQ("<<< Back", ControlText(hConfirm, IDCANCEL));
    uidriver::SaveScreenshot(ScreenshotPath("5-confirm"));
    uidriver::Click(hConfirm, IDOK);

    HWND hProgress = setup.ProgressDialog();
    ASSERT_TRUE(hProgress) << "no progress dialog";
    auto progressSeen = std::chrono::steady_clock::now();
    Sleep(2000);
    uidriver::SaveScreenshot(ScreenshotPath("6-progress"));

    HWND hComplete = setup.Page("Installation Complete...", COMPLETION_MS);
    ASSERT_TRUE(hComplete);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - progressSeen).count();
    // The driver saw the progress dialog a little after it appeared, so the true interval
    // is at least this long.
    EXPECT_GE(seconds, 29.8) << "the hand-over came before the 30 seconds of the slideshow";
    EXPECT_FALSE(IsWindow(hProgress)) << "the progress dialog is gone before the completion message";
    EXPECT_FALSE(uidriver::IsVisible(hComplete, IDCANCEL));
    EXPECT_EQ("OK", ControlText(hComplete, IDOK));
    uidriver::SaveScreenshot(ScreenshotPath("7-complete"));
    uidriver::Click(hComplete, IDOK);

    // The program group's folder is opened in the shell.
    HWND hFolder = WaitForWindow(PROGRAM_GROUP, 20000);
    EXPECT_TRUE(hFolder != NULL) << "the program group's folder was not opened";
    EXPECT_EQ(0u, setup.ExitCode());

    ExpectTypicalInstallation(dir);
}

// --- The ways through the pages ---------------------------------------------------

TEST_F(Installation, CancelOnTheWelcomeOrNoOnTheAgreementEndsWithoutInstalling)
{
    for (const char* pszPage : {"Welcome...", "License Agreement"}) {
        SCOPED_TRACE(pszPage);
        SetupRun setup("");
        if (std::string(pszPage) != "Welcome...")
            uidriver::Click(setup.Page("Welcome..."), IDOK);
        uidriver::Click(setup.Page(pszPage), IDCANCEL);
        EXPECT_EQ(0u, setup.ExitCode(20000));
        EXPECT_FALSE(Exists(GroupDir()));
    }
}

TEST_F(Installation, BackAndForthKeepsOrRestoresWhatEachPageShould)
{
    CString strAgreement;
    ASSERT_TRUE(strAgreement.LoadString(IDS_AGREEMENT_TEXT));
    CString strNoOption;
    ASSERT_TRUE(strNoOption.LoadString(IDS_ERR_NO_OPTION));
    SetupRun setup("");
    uidriver::Click(setup.Page("Welcome..."), IDOK);
    HWND hAgreement = setup.Page("License Agreement");
    EXPECT_EQ(strAgreement.GetString(), ControlText(hAgreement, IDC_AGREEMENT_EDIT));
    uidriver::Click(hAgreement, IDOK);

    // Back on the options page: the agreement again, its text loaded anew.
    uidriver::Click(setup.Page("Select Option"), IDCANCEL);
    uidriver::WaitWindowGone(hAgreement, 5000);
    hAgreement = setup.Page("License Agreement");
    EXPECT_EQ(strAgreement.GetString(), ControlText(hAgreement, IDC_AGREEMENT_EDIT));
    uidriver::Click(hAgreement, IDOK);

    // An empty choice is refused in a message box captioned with the program's name.
    HWND hOptions = setup.Page("Select Option");
    uidriver::SetCheck(hOptions, IDC_OPT_APPLICATION, false);
    uidriver::SetCheck(hOptions, IDC_OPT_MANUALS, false);
    uidriver::SetCheck(hOptions, IDC_OPT_READER, false);
    uidriver::Click(hOptions, IDOK);
    HWND hRefusal = setup.Page("Setup");
    ASSERT_TRUE(hRefusal);
    uidriver::SaveScreenshot(ScreenshotPath("refusal"));
    uidriver::Click(hRefusal, IDOK);
    uidriver::WaitWindowGone(hRefusal, 5000);
    EXPECT_TRUE(IsWindow(hOptions) && IsWindowVisible(hOptions)) << "the options page stays open";
    uidriver::SetCheck(hOptions, IDC_OPT_APPLICATION, true);
    uidriver::Click(hOptions, IDOK);

    HWND hChooser = setup.Page("Select Installation Directory");
    EXPECT_EQ("C:\\Pelorin\\", ControlText(hChooser, IDC_DIR_EDIT));
    uidriver::TypeText(hChooser, IDC_DIR_EDIT, "C:\\E2E\\Chosen");
    uidriver::Click(hChooser, IDOK);

    // Back on the confirmation: the chooser keeps the path just chosen.
    uidriver::Click(setup.Page("Attention..."), IDCANCEL);
    uidriver::WaitWindowGone(hChooser, 5000);
    hChooser = setup.Page("Select Installation Directory");
    EXPECT_EQ("C:\\E2E\\Chosen\\", ControlText(hChooser, IDC_DIR_EDIT));

    // Back on the chooser, forward on the options page: the default is restored.
    uidriver::Click(hChooser, IDCANCEL);
    uidriver::WaitWindowGone(hChooser, 5000);
    uidriver::Click(setup.Page("Select Option"), IDOK);
    hChooser = setup.Page("Select Installation Directory");
    EXPECT_EQ("C:\\Pelorin\\", ControlText(hChooser, IDC_DIR_EDIT));

    uidriver::Click(hChooser, IDCANCEL);
    uidriver::WaitWindowGone(hChooser, 5000);
    HWND hBackOptions = setup.Page("Select Option");
    uidriver::Click(hBackOptions, IDCANCEL);
    uidriver::WaitWindowGone(hBackOptions, 5000);
    uidriver::Click(setup.Page("License Agreement"), IDCANCEL);
    EXPECT_EQ(0u, setup.ExitCode(20000));
    EXPECT_FALSE(Exists("C:\\E2E\\Chosen"));
}

// --- What the options install ----------------------------------------------------

void CompleteAndExit(SetupRun& setup)
{
    HWND hComplete = setup.Page("Installation Complete...", COMPLETION_MS);
    uidriver::Click(hComplete, IDOK);
    EXPECT_EQ(0u, setup.ExitCode());
}

// The application alone, then the manuals alone: each brings its files and its shortcut,
// the desktop link comes with the application, and either is registered for removal.
TEST_F(Installation, ApplicationOnlyOrManualsOnly)
{
    struct Choice {
        const char* pszDir;
        bool bApplication;
    };
    for (const Choice& choice : {Choice{"C:\\E2E\\AppOnly", true}, Choice{"C:\\E2E\\ManualsOnly", false}}) {
        const std::string dir = choice.pszDir;
        SCOPED_TRACE(dir);
        SetUp();
        DeleteTree(dir);
        SetupRun setup("");
        setup.ThroughOptions(choice.bApplication, !choice.bApplication, false);
        setup.ChooseAndConfirm(dir);
        CompleteAndExit(setup);
        EXPECT_EQ(choice.bApplication, Exists(dir + "\\Varnix.exe"));
        EXPECT_EQ(!choice.bApplication, Exists(dir + "\\Docs\\Index.pdf"));
        EXPECT_EQ(!choice.bApplication, Exists(dir + "\\Docs")) << "no manuals, no Docs folder";
        EXPECT_EQ(choice.bApplication, Exists(GroupDir() + "\\Pelorin.lnk"));
        EXPECT_EQ(!choice.bApplication, Exists(GroupDir() + "\\Manuals.lnk"));
        EXPECT_EQ(choice.bApplication, Exists(DesktopLink())) << "a desktop link with the application only";
        std::string value;
        EXPECT_TRUE(ReadUninstallValue("UninstallString", &value));
        TearDown();
    }
}

TEST_F(Installation, ReaderOnlyRunsTheReaderInstallerAndTouchesNothingElse)
{
    // A file named like the redistributable installer in the directory the setup program
    // is started from is not the setup's own: it is neither run nor deleted.
    const std::string startDir = "C:\\E2E\\StartDir";
    DeleteTree(startDir);
    CreateDirectoryA("C:\\E2E", NULL);
    CreateDirectoryA(startDir.c_str(), NULL);
    FILE* pFile = std::fopen((startDir + "\\axdist.exe").c_str(), "wb");
    ASSERT_TRUE(pFile);
    std::fputs("not a program", pFile);
    std::fclose(pFile);

    uidriver::Process process = uidriver::Launch(uidriver::ModuleDirectory() + "Setup.exe", "", startDir.c_str());
    HWND hWelcome = WaitForWindow("Welcome...", PAGE_MS, process.Id(), "#32770");
    ASSERT_TRUE(hWelcome);
    uidriver::Click(hWelcome, IDOK);
    uidriver::Click(WaitForWindow("License Agreement", PAGE_MS, process.Id(), "#32770"), IDOK);
    HWND hOptions = WaitForWindow("Select Option", PAGE_MS, process.Id(), "#32770");
    uidriver::SetCheck(hOptions, IDC_OPT_APPLICATION, false);
    uidriver::SetCheck(hOptions, IDC_OPT_MANUALS, false);
    uidriver::SetCheck(hOptions, IDC_OPT_READER, true);
    uidriver::Click(hOptions, IDOK);

    EXPECT_EQ(0u, process.WaitExit(60000));
    EXPECT_TRUE(Exists(WindowsDirectory() + "\\acroread-ran.log")) << "the reader's installer was not run";
    EXPECT_TRUE(Exists(startDir + "\\axdist.exe"));
    EXPECT_EQ("not a program", ReadFileText(startDir + "\\axdist.exe"));
    EXPECT_FALSE(Exists(GroupDir())) << "no program group without a directory";
}

TEST_F(Installation, AllThreeIntoAnExistingDirectoryWithAPercentSign)
{
    const std::string dir = "C:\\E2E\\100%s";
    DeleteTree(dir);
    CreateDirectoryA("C:\\E2E", NULL);
    CreateDirectoryA(dir.c_str(), NULL);
    SetupRun setup("");
    setup.ThroughOptions(true, true, true);
    std::string text = setup.ChooseAndConfirm(dir);
    EXPECT_EQ("The directory you selected already exists:\n\n<C:\\E2E\\100%s>\n\nSelect 'Next' to confirm that "
              "you want to\nuse this directory anyway, replacing it's\nprevious contents with this new installation.",
              text);
    HWND hComplete = setup.Page("Installation Complete...", COMPLETION_MS);
    EXPECT_FALSE(Exists(WindowsDirectory() + "\\acroread-ran.log")) << "the reader's installer comes last";
    uidriver::Click(hComplete, IDOK);
    EXPECT_EQ(0u, setup.ExitCode());
    EXPECT_TRUE(Exists(WindowsDirectory() + "\\acroread-ran.log"));
    EXPECT_TRUE(Exists(dir + "\\Varnix.exe"));
    EXPECT_TRUE(Exists(dir + "\\Docs\\Index.pdf"));
    EXPECT_TRUE(Exists(GroupDir() + "\\Manuals.lnk"));
    EXPECT_TRUE(Exists(GroupDir() + "\\Pelorin.lnk"));
}

// --- Failures ----------------------------------------------------------------------

HWND ErrorPage(SetupRun& setup)
{
    HWND hError = setup.Page("Installation Error!!!");
    if (hError) {
        EXPECT_FALSE(uidriver::IsVisible(hError, IDCANCEL)) << "OK stands alone";
        EXPECT_EQ("OK", ControlText(hError, IDOK));
    }
    return hError;
}

TEST_F(Installation, DirectoryThatCannotBePreparedShowsTheDirectoryError)
{
    CreateDirectoryA("C:\\E2E", NULL);
    FILE* pFile = std::fopen("C:\\E2E\\Blocked", "wb");
    ASSERT_TRUE(pFile);
    std::fclose(pFile);
    CString strError;
    ASSERT_TRUE(strError.LoadString(IDS_ERR_CREATE_DIR));

    SetupRun setup("");
    setup.ThroughOptions(true, true, false);
    setup.ChooseAndConfirm("C:\\E2E\\Blocked\\Sub");
    HWND hError = ErrorPage(setup);
    ASSERT_TRUE(hError);
    EXPECT_EQ(strError.GetString(), ControlText(hError, IDC_TEXT));
    uidriver::SaveScreenshot(ScreenshotPath("error"));
    uidriver::Click(hError, IDOK);
    EXPECT_EQ(0u, setup.ExitCode(20000));
    EXPECT_FALSE(Exists(GroupDir()));
    std::string value;
    EXPECT_FALSE(ReadUninstallValue("DisplayName", &value));
    DeleteFileA("C:\\E2E\\Blocked");
}

TEST_F(Installation, ManualThatCannotBeCopiedShowsItsMessage)
{
    const std::string dir = "C:\\E2E\\ManualFails";
    DeleteTree(dir);
    CreateDirectoryA("C:\\E2E", NULL);
    CreateDirectoryA(dir.c_str(), NULL);
    CreateDirectoryA((dir + "\\Docs").c_str(), NULL);
    // A folder where the copy of Index.pdf should go: the copy cannot create its file.
    std::string blocked = dir + "\\Docs\\Index.pdf";
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), NULL));

    SetupRun setup("");
    setup.ThroughOptions(false, true, false);
    setup.ChooseAndConfirm(dir);
    HWND hError = ErrorPage(setup);
    ASSERT_TRUE(hError);
    EXPECT_EQ("Error installing documentation file <" + blocked + ">", ControlText(hError, IDC_TEXT));
    uidriver::Click(hError, IDOK);
    EXPECT_EQ(0u, setup.ExitCode(20000));
    EXPECT_FALSE(Exists(GroupDir())) << "nothing after the failing step";
}

// A copy of the setup program beside the same medium, with one of its resources replaced
// (or, with no bytes, removed).
class ChangedSetupCopy {
public:
    ChangedSetupCopy(const char* pszName, LPCSTR pszType, LPCSTR pszResource, const void* pData, DWORD nSize)
        : m_path(uidriver::ModuleDirectory() + pszName)
    {
        m_bMade = CopyFileA((uidriver::ModuleDirectory() + "Setup.exe").c_str(), m_path.c_str(), FALSE) &&
                  Replace(pszType, pszResource, pData, nSize);
    }
    ~ChangedSetupCopy() { DeleteFileA(m_path.c_str()); }
    bool Made() const { return m_bMade; }
    const std::string& Path() const { return m_path; }

private:
    // A changed payload gets the CRC-32 record the payload tool would write for it, so
    // that the extraction itself meets what is wrong with it.
    bool Replace(LPCSTR pszType, LPCSTR pszResource, const void* pData, DWORD nSize)
    {
        const WORD wLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
        uLong nCrc = crc32(0, static_cast<const Bytef*>(pData), nSize);
        BYTE record[4] = {BYTE(nCrc), BYTE(nCrc >> 8), BYTE(nCrc >> 16), BYTE(nCrc >> 24)};
        HANDLE hUpdate = BeginUpdateResourceA(m_path.c_str(), FALSE);
        bool bPayload = pszResource == MAKEINTRESOURCEA(IDR_PAYLOAD);
        return hUpdate && UpdateResourceA(hUpdate, pszType, pszResource, wLanguage, const_cast<void*>(pData), nSize) &&
               (!bPayload ||
                UpdateResourceA(hUpdate, RT_RCDATA, MAKEINTRESOURCEA(IDR_PAYLOAD_CHECK), wLanguage, record, 4)) &&
               EndUpdateResourceA(hUpdate, FALSE);
    }

    std::string m_path;
    bool m_bMade;
};

// The payload of the built Setup.exe.
std::string BuiltPayload()
{
    std::string bytes;
    HMODULE hModule = LoadLibraryExA((uidriver::ModuleDirectory() + "Setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC hInfo = hModule ? FindResourceA(hModule, MAKEINTRESOURCEA(IDR_PAYLOAD), RT_RCDATA) : NULL;
    HGLOBAL hData = hInfo ? LoadResource(hModule, hInfo) : NULL;
    if (hData)
        bytes.assign(static_cast<const char*>(LockResource(hData)), SizeofResource(hModule, hInfo));
    if (hModule)
        FreeLibrary(hModule);
    return bytes;
}

// Application only into dir, to the error page; returns its text.
std::string InstallToError(const std::string& exe, const std::string& dir)
{
    DeleteTree(dir);
    SetupRun setup("", exe);
    setup.ThroughOptions(true, false, false);
    setup.ChooseAndConfirm(dir);
    HWND hError = ErrorPage(setup);
    std::string text = hError ? ControlText(hError, IDC_TEXT) : "(no error page)";
    if (hError)
        uidriver::Click(hError, IDOK);
    EXPECT_EQ(0u, setup.ExitCode(20000));
    return text;
}

TEST_F(Installation, DamagedOrCutPayloadShowsTheDecompressionError)
{
    // A stream that does not inflate.
    unsigned char damaged[268 + 8 + 268] = {};
    damaged[4] = 'x';    // name "x", destination 0
    damaged[260] = 100;  // size 100
    damaged[264] = 8;    // 8 packed bytes that are no zlib stream
    for (int i = 0; i < 8; ++i)
        damaged[268 + i] = 0x5A;
    for (int i = 0; i < 4; ++i)
        damaged[276 + i] = 0xFF;  // the end record
    {
        ChangedSetupCopy copy("SetupDamaged.exe", RT_RCDATA, MAKEINTRESOURCEA(IDR_PAYLOAD), damaged, sizeof damaged);
        ASSERT_TRUE(copy.Made());
        EXPECT_EQ("Decompression error", InstallToError(copy.Path(), "C:\\E2E\\Damaged"));
        EXPECT_TRUE(Exists("C:\\E2E\\Damaged")) << "the directory was prepared before the extraction failed";
        EXPECT_FALSE(Exists(GroupDir()));
    }

    // The real payload cut in the middle of its second entry, as a broken download leaves
    // it: the first entry is sound, but nothing is written from a payload that cannot be
    // installed whole.
    std::string payload = BuiltPayload();
    ASSERT_GT(payload.size(), 268u * 3);
    uint32_t nFirstPacked = 0;
    std::memcpy(&nFirstPacked, &payload[264], 4);
    ASSERT_LT(268u + nFirstPacked + 300u, payload.size());
    std::string cut = payload.substr(0, 268 + nFirstPacked + 300);
    {
        ChangedSetupCopy copy("SetupCut.exe", RT_RCDATA, MAKEINTRESOURCEA(IDR_PAYLOAD), cut.data(),
                              static_cast<DWORD>(cut.size()));
        ASSERT_TRUE(copy.Made());
        EXPECT_EQ("Decompression error", InstallToError(copy.Path(), "C:\\E2E\\Cut"));
        EXPECT_FALSE(Exists("C:\\E2E\\Cut\\Varnix.exe")) << "the sound first entry is not written either";
    }
}

// One byte of the payload changed in the file of a Setup.exe the payload tool made (a
// broken download, a scratched medium): the CRC-32 recorded beside the payload tells, and
// nothing is written, not the directory either, nor over an existing installation.
TEST_F(Installation, PayloadChangedInTheFileInstallsNothing)
{
    std::string image = ReadFileText(uidriver::ModuleDirectory() + "Setup.exe");
    std::string payload = BuiltPayload();
    ASSERT_GT(payload.size(), 1000u);
    size_t nAt = image.find(payload.substr(payload.size() / 2, 64));
    ASSERT_NE(std::string::npos, nAt);
    image[nAt] ^= 0x01;
    const std::string damaged = uidriver::ModuleDirectory() + "SetupFlipped.exe";
    WriteAll(damaged, image);
    ASSERT_FALSE(HasFatalFailure());

    const std::string dir = "C:\\E2E\\Flipped";
    EXPECT_EQ("Decompression error", InstallToError(damaged, dir));
    EXPECT_FALSE(Exists(dir)) << "the directory was made for a damaged payload";

    {
        SetupRun setup("-silent -dir=\"" + dir + "\"");
        ASSERT_EQ(0u, setup.ExitCode());
    }
    const std::string before = MachineState(dir);
    const std::string log = "C:\\E2E\\flipped.log";
    DeleteFileA(log.c_str());
    Sleep(50);  // a file written again now would show a later time
    {
        SetupRun setup("-silent -dir=\"" + dir + "\" -log=" + log, damaged);
        EXPECT_EQ(2u, setup.ExitCode());
    }
    EXPECT_EQ(before, MachineState(dir)) << "the installation was touched";
    std::vector<std::string> lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, "The payload does not match the checksum written with it: Setup.exe is damaged"));
    EXPECT_TRUE(HasLine(lines, "Installation failed: Decompression error"));
    DeleteFileA(damaged.c_str());
    DeleteTree(dir);
}

// A dialog template whose one control is of a class no program registers: the system
// cannot make the dialog.
std::vector<WORD> UnmakeableDialogTemplate()
{
    std::vector<WORD> words;
    auto put32 = [&words](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    put32(WS_POPUP | WS_VISIBLE);  // style
    put32(0);                      // extended style
    words.push_back(1);            // one control
    for (int i = 0; i < 4; ++i)
        words.push_back(10);       // x, y, cx, cy
    words.push_back(0);            // no menu
    words.push_back(0);            // the standard dialog class
    words.push_back(0);            // no title
    if (words.size() % 2)
        words.push_back(0);        // the control starts on a DWORD boundary
    put32(WS_CHILD | WS_VISIBLE);
    put32(0);
    for (int i = 0; i < 4; ++i)
        words.push_back(5);
    words.push_back(1000);         // control id
    for (const char* p = "NoSuchClass"; *p; ++p)
        words.push_back(static_cast<WORD>(*p));
    words.push_back(0);
    words.push_back(0);            // no text
    words.push_back(0);            // no creation data
    return words;
}

// Without its progress dialog (its template cannot be made here), the installation still
// reaches its completion: nobody else would post the hand-over, and the disabled
// backdrop would stay up.
TEST_F(Installation, WithoutAProgressDialogTheInstallationStillCompletes)
{
    std::vector<WORD> dialog = UnmakeableDialogTemplate();
    ChangedSetupCopy copy("SetupNoProgress.exe", RT_DIALOG, MAKEINTRESOURCEA(IDD_PROGRESS), dialog.data(),
                          static_cast<DWORD>(dialog.size() * sizeof(WORD)));
    ASSERT_TRUE(copy.Made());
    const std::string dir = "C:\\E2E\\NoProgress";
    DeleteTree(dir);
    SetupRun setup("", copy.Path());
    setup.ThroughOptions(true, false, false);
    setup.ChooseAndConfirm(dir);
    HWND hComplete = setup.Page("Installation Complete...");
    EXPECT_FALSE(uidriver::WaitForWindow("", 0, setup.Process().Id(), "#32770")) << "a progress dialog after all";
    ASSERT_TRUE(hComplete) << "the backdrop stayed up without a progress dialog";
    uidriver::Click(hComplete, IDOK);
    EXPECT_EQ(0u, setup.ExitCode());
    EXPECT_TRUE(Exists(dir + "\\Varnix.exe"));
    EXPECT_TRUE(Exists(DesktopLink()));
}

// Started by a relative path from the folder above the medium (Disk1\Setup.exe typed in a
// console), the program finds the medium's manuals and reader installer although the
// installation directory has become the current directory by the time it copies and runs
// them.
TEST_F(Installation, StartedByARelativePathItFindsItsMedium)
{
    std::string bin = uidriver::ModuleDirectory();  // ends with a backslash
    bin.pop_back();
    const size_t nCut = bin.find_last_of('\\');
    ASSERT_NE(std::string::npos, nCut);
    const std::string parent = bin.substr(0, nCut);
    const std::string relative = bin.substr(nCut + 1) + "\\Setup.exe";

    char szOldDir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szOldDir);
    ASSERT_TRUE(SetCurrentDirectoryA(parent.c_str()));
    const std::string dir = "C:\\E2E\\Relative";
    DeleteTree(dir);
    SetupRun setup("", relative);
    SetCurrentDirectoryA(szOldDir);
    setup.ThroughOptions(false, true, true);
    setup.ChooseAndConfirm(dir);
    HWND hComplete = setup.Page("Installation Complete...", COMPLETION_MS);
    ASSERT_TRUE(hComplete) << "the installation did not complete";
    uidriver::Click(hComplete, IDOK);
    EXPECT_EQ(0u, setup.ExitCode());
    EXPECT_TRUE(Exists(dir + "\\Docs\\Index.pdf")) << "the manuals were looked for below the installation directory";
    EXPECT_TRUE(Exists(WindowsDirectory() + "\\acroread-ran.log")) << "the reader's installer was not found";
}

// --- Unattended installations ----------------------------------------------------

struct WindowSearch {
    DWORD pid;
    bool bFound;
};

BOOL CALLBACK NoteVisibleWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == pSearch->pid && IsWindowVisible(hWnd))
        pSearch->bFound = true;
    return TRUE;
}

// Waits for the setup program's end and tells whether any window of it became visible
// meanwhile; the exit code in *pdwExitCode (STILL_ACTIVE when it did not end in time).
bool ShowedAWindowUntilExit(SetupRun& setup, DWORD* pdwExitCode, DWORD dwTimeoutMs = 120000)
{
    WindowSearch search = {setup.Process().Id(), false};
    for (DWORD waited = 0; waited < dwTimeoutMs; waited += 20) {
        EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (WaitForSingleObject(setup.Process().Handle(), 20) != WAIT_TIMEOUT)
            break;
    }
    *pdwExitCode = setup.ExitCode(0);
    return search.bFound;
}

TEST_F(Installation, SilentInstallationDoesTheWholeWorkWithoutAWindow)
{
    // A directory with a space, and a log that already holds an earlier run.
    const std::string dir = "C:\\E2E\\Silent Path";
    const std::string log = "C:\\E2E\\silent.log";
    DeleteTree(dir);
    CreateDirectoryA("C:\\E2E", NULL);
    FILE* pFile = std::fopen(log.c_str(), "wb");
    ASSERT_TRUE(pFile);
    std::fputs("2026-01-01 00:00:00 an earlier run\r\n", pFile);
    std::fclose(pFile);

    DWORD dwExit = 0;
    {
        // Without -options=: the application, and the manuals that the medium has.
        SetupRun setup("-silent -dir=\"" + dir + "\" -log=\"" + log + "\"");
        EXPECT_FALSE(ShowedAWindowUntilExit(setup, &dwExit)) << "no backdrop, page, progress or message";
    }
    EXPECT_EQ(0u, dwExit);

    ExpectTypicalInstallation(dir);
    EXPECT_FALSE(Exists(WindowsDirectory() + "\\acroread-ran.log")) << "the reader was not asked for";
    EXPECT_EQ(NULL, FindWindowA(NULL, PROGRAM_GROUP)) << "no folder is opened";

    std::vector<std::string> lines = LogLines(log);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ("an earlier run", lines[0]) << "the log is appended to";
    EXPECT_EQ(0u, lines[1].find("Pelorin Setup started on Windows ")) << lines[1];
    EXPECT_EQ("Prepared the installation directory " + dir, lines[3]);
    EXPECT_EQ("Unpacked the application's files", lines[4]);
    EXPECT_EQ("Deleted axdist.exe", lines[5]);
    EXPECT_EQ("Copied the manuals", lines[6]);
    EXPECT_EQ("Created the program group, the shortcuts and the uninstall entry", lines[7]);
    EXPECT_EQ("Installation complete", lines[8]);
    EXPECT_EQ("Setup ended with exit code 0", lines.back());

    // The reader alone: no directory, its installer run and waited for.
    {
        SetupRun setup("-options=READER -silent");
        EXPECT_FALSE(ShowedAWindowUntilExit(setup, &dwExit));
    }
    EXPECT_EQ(0u, dwExit);
    EXPECT_TRUE(Exists(WindowsDirectory() + "\\acroread-ran.log")) << "the reader's installer was not run";
}

TEST_F(Installation, SilentInstallationReportsFailuresAndRefusals)
{
    CreateDirectoryA("C:\\E2E", NULL);
    // A file in the way of the directory.
    FILE* pFile = std::fopen("C:\\E2E\\SilentBlocked", "wb");
    ASSERT_TRUE(pFile);
    std::fclose(pFile);
    const std::string log = "C:\\E2E\\silent-failures.log";
    DeleteFileA(log.c_str());
    CString strError;
    ASSERT_TRUE(strError.LoadString(IDS_ERR_CREATE_DIR));

    DWORD dwExit = 0;
    {
        SetupRun setup("-silent -dir=C:\\E2E\\SilentBlocked\\Sub -log=" + log);
        EXPECT_FALSE(ShowedAWindowUntilExit(setup, &dwExit)) << "the failure is not shown";
    }
    EXPECT_EQ(2u, dwExit);
    EXPECT_FALSE(Exists(GroupDir()));
    std::string value;
    EXPECT_FALSE(ReadUninstallValue("DisplayName", &value));
    std::vector<std::string> lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, std::string("Installation failed: ") + strError.GetString()));
    EXPECT_EQ("Setup ended with exit code 2", lines.empty() ? "" : lines.back());

    // A switch that cannot be understood: nothing is done, and the log says why.
    {
        SetupRun setup("-silent -options=app,tools -log=" + log);
        EXPECT_FALSE(ShowedAWindowUntilExit(setup, &dwExit));
    }
    EXPECT_EQ(3u, dwExit);
    lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, "Refused: The switch -options= cannot be used. \"tools\" is not one of app, manuals, reader."));
    EXPECT_EQ("Setup ended with exit code 3", lines.empty() ? "" : lines.back());
    EXPECT_FALSE(Exists("C:\\Pelorin"));

    // A directory with a device's name in it would open a port or the console, not a folder.
    for (const char* pszDir : {"C:\\CON", "C:\\Pelorin\\NUL.txt", "C:\\COM1\\x"}) {
        {
            SetupRun setup(std::string("-silent -dir=") + pszDir);
            EXPECT_FALSE(ShowedAWindowUntilExit(setup, &dwExit));
        }
        EXPECT_EQ(3u, dwExit) << pszDir;
        EXPECT_FALSE(Exists("C:\\Pelorin")) << pszDir;
    }

    // A log that cannot be written is a refusal too: a script asked for it.
    {
        SetupRun setup("-silent -log=C:\\NoSuchFolder\\setup.log");
        EXPECT_FALSE(ShowedAWindowUntilExit(setup, &dwExit));
    }
    EXPECT_EQ(3u, dwExit);

    // Without -silent the refusal is shown in a message box, and no page follows.
    {
        SetupRun setup("-dir=Pelorin");
        HWND hBox = setup.Page("Setup");
        ASSERT_TRUE(hBox);
        EXPECT_EQ("The switch -dir= cannot be used. The installation directory must be a full path beginning with a "
                  "drive, such as C:\\Pelorin.",
                  ControlText(hBox, 0xFFFF));
        uidriver::Click(hBox, IDOK);
        EXPECT_EQ(3u, setup.ExitCode(20000));
    }
    EXPECT_FALSE(Exists(GroupDir()));
    DeleteFileA("C:\\E2E\\SilentBlocked");
}

// One copy at a time: while a setup program waits on its welcome page, a second one does
// nothing (a deployment tool retries on 1618), and so does the uninstaller.
TEST_F(Installation, ASecondCopyDoesNothingWhileTheFirstRuns)
{
    const std::string dir = "C:\\E2E\\SecondCopy";
    const std::string log = "C:\\E2E\\second-copy.log";
    DeleteTree(dir);
    CreateDirectoryA("C:\\E2E", NULL);
    DeleteFileA(log.c_str());
    SetupRun first("");
    HWND hWelcome = first.Page("Welcome...");
    ASSERT_TRUE(hWelcome != NULL);

    DWORD dwExit = 0;
    {
        SetupRun second("-silent -dir=" + dir + " -log=" + log);
        EXPECT_FALSE(ShowedAWindowUntilExit(second, &dwExit));
    }
    EXPECT_EQ(1618u, dwExit);
    EXPECT_FALSE(Exists(dir)) << "nothing is written";
    std::vector<std::string> lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, "Refused: Pelorin Setup or its uninstaller is already running. Wait until it has "
                               "finished, then start Setup again."));
    EXPECT_EQ("Setup ended with exit code 1618", lines.empty() ? "" : lines.back());

    {
        SetupRun second("");
        HWND hBox = second.Page("Setup");
        ASSERT_TRUE(hBox != NULL);
        EXPECT_NE(std::string::npos, ControlText(hBox, 0xFFFF).find("already running"));
        uidriver::Click(hBox, IDOK);
        EXPECT_EQ(1618u, second.ExitCode(20000));
    }
    for (int waited = 0; waited < 5000 && GetForegroundWindow() != hWelcome; waited += 100)
        Sleep(100);
    EXPECT_EQ(hWelcome, GetForegroundWindow()) << "the first copy's page is brought forward";

    // The uninstaller refuses too, silently with its "nothing removed" code.
    const std::string library = uidriver::ModuleDirectory() + "..\\uninstall\\BraxDel.dll";
    uidriver::Process uninstall = uidriver::Launch(
        SystemDirectory() + "\\rundll32.exe", library + ",Remove \"" + dir + "\\\" -silent -log=\"" + log + "\"");
    EXPECT_EQ(3u, uninstall.WaitExit(60000));
    lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, "Refused: nothing was removed: Pelorin Setup or another uninstall of Pelorin is running."));

    uidriver::Click(hWelcome, IDCANCEL);
    EXPECT_EQ(0u, first.ExitCode(20000));
}

// --- 64-bit Windows ------------------------------------------------------------------

// Run in a 64-bit prefix (ctest's e2e_wow64), where this 32-bit test and Setup.exe run
// under WOW64: the system directory and HKLM\Software are the 32-bit ones, and the system
// starts the uninstall command from its 64-bit side.
TEST_F(Installation, Wow64TheSystems64BitSideReachesTheUninstallLibrary)
{
    if (!IsWow64())
        GTEST_SKIP() << "needs a 64-bit prefix";
    const std::string dir = "C:\\E2E\\Wow64";
    DeleteTree(dir);
    {
        SetupRun setup("");
        setup.ThroughOptions(true, false, false);
        setup.ChooseAndConfirm(dir);
        CompleteAndExit(setup);
    }
    EXPECT_TRUE(Exists(dir + "\\Varnix.exe"));
    EXPECT_TRUE(Exists(Wow64SystemDirectory() + "\\BraxDel.dll")) << "the library goes to the 32-bit system directory";
    EXPECT_FALSE(Exists(WindowsDirectory() + "\\Sysnative\\BraxDel.dll"));
    EXPECT_TRUE(UninstallKeyInView(KEY_WOW64_32KEY));
    EXPECT_FALSE(UninstallKeyInView(KEY_WOW64_64KEY)) << "the 32-bit program writes the 32-bit registry view";
    EXPECT_TRUE(Exists(GroupDir() + "\\Pelorin.lnk"));
    EXPECT_TRUE(Exists(DesktopLink()));

    std::string command;
    ASSERT_TRUE(ReadUninstallValue("UninstallString", &command));
    EXPECT_EQ(ExpectedUninstallCommand(dir), command);
    // Started by a 64-bit process, as the system's list of installed programs starts it.
    // cmd /c takes the outer quotes off a command line that begins with one.
    const std::string cmd64 = WindowsDirectory() + "\\Sysnative\\cmd.exe";
    ASSERT_TRUE(Exists(cmd64)) << "no 64-bit command interpreter in this prefix";
    uidriver::Process uninstall = uidriver::Launch(cmd64, "/c \"" + command + "\"");
    // The uninstaller asks, removes the installation (nothing was added to it) and says so.
    HWND hQuestion = WaitForWindow("Pelorin Uninstall", 60000, 0, "#32770");
    ASSERT_TRUE(hQuestion != NULL) << "Remove was not reached by " << command;
    uidriver::Click(hQuestion, IDYES);
    uidriver::WaitWindowGone(hQuestion, 10000);
    HWND hReport = WaitForWindow("Pelorin Uninstall", 60000, 0, "#32770");
    ASSERT_TRUE(hReport != NULL);
    uidriver::Click(hReport, IDOK);
    uninstall.WaitExit(120000);
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(UninstallKeyInView(KEY_WOW64_32KEY));
}

// --- Windows 98 ----------------------------------------------------------------------

TEST_F(Installation, OnWindows98TheRedistributableRunsAndTheCommonControlsStay)
{
    // Wine reports Windows 98 to a program of this name (read when the process starts).
    std::string copy = uidriver::ModuleDirectory() + "Setup98.exe";
    ASSERT_TRUE(CopyFileA((uidriver::ModuleDirectory() + "Setup.exe").c_str(), copy.c_str(), FALSE));
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup98.exe", &hKey));
    RegSetValueExA(hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(hKey);

    const std::string dir = "C:\\E2E\\Win98";
    DeleteTree(dir);
    {
        SetupRun setup("", copy);
        setup.ThroughOptions(true, false, false);
        setup.ChooseAndConfirm(dir);
        CompleteAndExit(setup);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup98.exe");
    DeleteFileA(copy.c_str());

    EXPECT_TRUE(Exists(WindowsDirectory() + "\\axdist-ran.log")) << "the redistributable installer was not run";
    EXPECT_FALSE(Exists(dir + "\\Axdist.exe")) << "and it is deleted afterwards";
    EXPECT_TRUE(Exists(dir + "\\Comctl32.dll"));
    EXPECT_TRUE(Exists(dir + "\\Comdlg32.dll"));
}

} // namespace
