// The uninstaller on real installations: Setup.exe installs the demo payload and manuals,
// the registered uninstall command is started as the system starts it (or the quiet one as
// a deployment tool does), and BraxDel.dll's message boxes are answered through the UI
// driver. Afterwards the machine is inspected: what the installation wrote is gone, what
// the user added or changed is still there, and so is whatever lies behind a link.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "uninstall/InstallList.h"
#include "uninstall/Removal.h"
#include "e2e_support.h"
#include "uidriver/UiDriver.h"

namespace {

using namespace e2e;
using uidriver::WaitForWindow;

const DWORD UNINSTALL_MS = 60000;
const char TITLE[] = "Pelorin Uninstall";
// The static text of a message box.
const int MESSAGE_TEXT_ID = 0xFFFF;

std::string UninstallString()
{
    std::string command;
    ReadUninstallValue("UninstallString", &command);
    return command;
}

// Closes the shell's window on the program group that the setup program opens at the end.
void CloseGroupWindow()
{
    for (int i = 0; i < 50; ++i) {
        HWND hWnd = FindWindowA(NULL, PROGRAM_GROUP);
        if (!hWnd)
            return;
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        uidriver::WaitWindowGone(hWnd, 2000);
    }
}

// The typical installation (application and manuals) into dir, started fresh.
void Install(const std::string& dir)
{
    DeleteTree(dir);
    DeleteTree(GroupDir());
    DeleteFileA(DesktopLink().c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
    SetupRun setup("");
    setup.ThroughOptions(true, true, false);
    setup.ChooseAndConfirm(dir);
    uidriver::Click(setup.Page("Installation Complete...", COMPLETION_MS), IDOK);
    EXPECT_EQ(0u, setup.ExitCode());
    WaitForWindow(PROGRAM_GROUP, 20000);
    CloseGroupWindow();
    for (const char* pszName : TYPICAL_INSTALLED_FILES)
        ASSERT_TRUE(Exists(dir + "\\" + pszName)) << pszName << " was not installed";
}

// An installation as a deployment tool makes it: application and manuals, no window.
void InstallSilently(const std::string& dir, const char* pszExe = "Setup.exe")
{
    SetupRun setup("-silent -dir=\"" + dir + "\"", uidriver::ModuleDirectory() + pszExe);
    ASSERT_EQ(0u, setup.ExitCode()) << pszExe << " into " << dir;
}

// The next uninstaller message box: its text, after pressing nButton in it.
std::string Answer(int nButton)
{
    HWND hBox = WaitForWindow(TITLE, UNINSTALL_MS, 0, "#32770");
    EXPECT_TRUE(hBox != NULL) << "no message box titled " << TITLE;
    if (!hBox)
        return "";
    uidriver::WaitIdle(hBox);
    std::string text = uidriver::ControlText(hBox, MESSAGE_TEXT_ID);
    uidriver::Click(hBox, nButton);
    EXPECT_TRUE(uidriver::WaitWindowGone(hBox, 10000));
    return text;
}

// The registered command with another argument in place of the directory.
std::string WithArgument(const std::string& command, const std::string& argument)
{
    size_t nEntry = command.find(",Remove");
    return nEntry == std::string::npos ? command : command.substr(0, nEntry + 7) + argument;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class Uninstall : public ::testing::Test {
protected:
    void TearDown() override
    {
        // No message box of a failed scenario is left for the next one.
        while (HWND hBox = FindWindowA("#32770", TITLE)) {
            PostMessageA(hBox, WM_CLOSE, 0, 0);
            if (!uidriver::WaitWindowGone(hBox, 5000))
                break;
        }
    }
};

TEST_F(Uninstall, RemovesWhatWasInstalledAndKeepsWhatTheUserAddedOrChanged)
{
    const std::string dir = "C:\\E2E\\Removal";
    Install(dir);
    ASSERT_FALSE(HasFatalFailure());
    // The user's own files, and an installed file changed in place (same size).
    WriteAll(dir + "\\My notes.txt", "mine");
    WriteAll(dir + "\\Docs\\Annotated.pdf", "%PDF-1.4 mine");
    std::string tlb = ReadFileText(dir + "\\Varnix.tlb");
    ASSERT_GT(tlb.size(), 8u);
    tlb.replace(tlb.size() - 4, 4, "EDIT");
    WriteAll(dir + "\\Varnix.tlb", tlb);

    std::string command = UninstallString();
    ASSERT_FALSE(command.empty());
    ASSERT_TRUE(StartCommand(command)) << command;
    std::string question = Answer(IDYES);
    EXPECT_TRUE(Contains(question, "Pelorin")) << question;
    EXPECT_TRUE(Contains(question, dir + "\\")) << question;
    std::string report = Answer(IDOK);

    EXPECT_TRUE(Contains(report, dir + "\\Varnix.tlb (changed")) << report;
    EXPECT_TRUE(Contains(report, dir + "\\Docs (folder not empty")) << report;
    EXPECT_TRUE(Contains(report, dir + " (folder not empty")) << report;
    EXPECT_FALSE(Contains(report, "Varnix.exe")) << report;

    for (const char* pszName : TYPICAL_INSTALLED_FILES) {
        if (std::string(pszName) != "Varnix.tlb") {
            EXPECT_FALSE(Exists(dir + "\\" + pszName)) << pszName << " is still there";
        }
    }
    EXPECT_EQ(tlb, ReadFileText(dir + "\\Varnix.tlb")) << "the changed file is kept as the user left it";
    EXPECT_EQ("mine", ReadFileText(dir + "\\My notes.txt"));
    EXPECT_EQ("%PDF-1.4 mine", ReadFileText(dir + "\\Docs\\Annotated.pdf"));
    EXPECT_FALSE(Exists(dir + "\\ChmMacros")) << "the empty folders the installation made go";
    EXPECT_FALSE(Exists(dir + "\\5&10ChannelExamples"));
    EXPECT_FALSE(Exists(GroupDir())) << "the program group with its two shortcuts";
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_EQ("", UninstallString()) << "the uninstall entry";
    HKEY hKey;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &hKey));

    EXPECT_FALSE(Contains(report, "uninstaller itself")) << "the library goes at the next restart";
}

TEST_F(Uninstall, ForgedOrDeclinedRemovesNothing)
{
    const std::string dir = "C:\\E2E\\Declined";
    const std::string other = "C:\\E2E\\Other";
    Install(dir);
    ASSERT_FALSE(HasFatalFailure());
    // Another directory holding files of the payload's names.
    DeleteTree(other);
    CreateDirectoryA(other.c_str(), NULL);
    ASSERT_TRUE(CopyFileA((dir + "\\Varnix.exe").c_str(), (other + "\\Varnix.exe").c_str(), FALSE));
    const std::string command = UninstallString();
    ASSERT_FALSE(command.empty());
    const std::string before = MachineState(dir);

    // Another directory, none, a drive's root and the Windows directory (with what lies
    // inside it) are refused.
    const struct {
        std::string argument;
        const char* pszWhy;
    } refused[] = {
        {" \"" + other + "\\\"", "not the directory Pelorin is registered"},
        {"", "names no installation directory"},
        {" \"C:\\\"", "the root of a drive"},
        {" \"" + WindowsDirectory() + "\\\"", "the Windows directory"},
        {" \"" + SystemDirectory() + "\\\"", "the Windows directory"},
    };
    for (const auto& refusal : refused) {
        ASSERT_TRUE(StartCommand(WithArgument(command, refusal.argument)));
        std::string text = Answer(IDOK);
        EXPECT_TRUE(Contains(text, "Nothing was removed")) << text;
        EXPECT_TRUE(Contains(text, refusal.pszWhy)) << text;
    }
    EXPECT_TRUE(Exists(other + "\\Varnix.exe"));

    // The registered directory in other letters is the same one; the uninstaller shows and
    // works on the text the entry holds. Answered No.
    std::string lower = dir;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    StartCommand(WithArgument(command, " \"" + lower + "\\\""));
    std::string question = Answer(IDNO);
    EXPECT_TRUE(Contains(question, dir + "\\")) << question;
    Sleep(2000);
    EXPECT_TRUE(FindWindowA("#32770", TITLE) == NULL) << "No is the end";
    EXPECT_EQ(before, MachineState(dir));
    DeleteTree(other);
}

// What deployment tools read and run: the entry's values after a silent installation, and
// the quiet command, whose exit code tells whether everything went.
TEST_F(Uninstall, QuietRemovalAndTheValuesDeploymentToolsRead)
{
    // A vendor's build, into a directory whose name holds the entry point's name.
    const std::string dir = "C:\\E2E\\Quiet,Remove Me";
    DeleteTree(dir);
    ASSERT_NO_FATAL_FAILURE(InstallSilently(dir, "VendorSetup.exe"));
    std::string value;
    const std::string command = UninstallString();
    EXPECT_TRUE(ReadUninstallValue("QuietUninstallString", &value));
    EXPECT_EQ(command + " -silent", value);
    EXPECT_TRUE(ReadUninstallValue("InstallLocation", &value));
    EXPECT_EQ(dir + "\\", value);
    EXPECT_TRUE(ReadUninstallValue("DisplayIcon", &value));
    EXPECT_EQ(dir + "\\varnix.exe,0", value);
    EXPECT_TRUE(ReadUninstallValue("DisplayVersion", &value));
    EXPECT_EQ("3.2.1.0", value);
    EXPECT_TRUE(ReadUninstallValue("Publisher", &value));
    EXPECT_EQ("Vendor Ltd", value);
    SYSTEMTIME today;
    GetLocalTime(&today);
    EXPECT_TRUE(ReadUninstallValue("InstallDate", &value));
    EXPECT_EQ(today.wYear * 10000 + today.wMonth * 100 + today.wDay, std::atoi(value.c_str()));
    // Kilobytes of what was installed: the directory's files and the library.
    uint64_t nBytes = ReadFileText(SystemDirectory() + "\\BraxDel.dll").size();
    for (const char* pszName : TYPICAL_INSTALLED_FILES)
        nBytes += ReadFileText(dir + "\\" + pszName).size();
    EXPECT_EQ((nBytes + 1023) / 1024, ReadUninstallNumber("EstimatedSize"));
    EXPECT_EQ(1u, ReadUninstallNumber("NoModify"));
    EXPECT_EQ(1u, ReadUninstallNumber("NoRepair"));

    // Removed as the tools remove it: no question, no message, exit code 0.
    EXPECT_EQ(0u, RunQuietUninstall());
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(GroupDir()));
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_EQ("", UninstallString());

    // Again, with a file the user changed: it stays, the exit code says so, and the log
    // names it.
    ASSERT_NO_FATAL_FAILURE(InstallSilently(dir));
    WriteAll(dir + "\\Varnix.cnt", "changed");
    const std::string log = "C:\\E2E\\quiet-uninstall.log";
    DeleteFileA(log.c_str());
    EXPECT_EQ(2u, RunQuietUninstall(" -log=\"" + log + "\""));
    EXPECT_EQ("changed", ReadFileText(dir + "\\Varnix.cnt"));
    EXPECT_FALSE(Exists(dir + "\\Varnix.exe"));
    EXPECT_EQ("", UninstallString());
    std::vector<std::string> lines = LogLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines.front().find("Pelorin Uninstall started on Windows ")) << lines.front();
    EXPECT_TRUE(HasLine(lines, "Stayed: " + dir + "\\Varnix.cnt (changed since the installation, kept)"));
    EXPECT_EQ("Uninstall ended with exit code 2", lines.back());
    DeleteTree(dir);
}

// The folder BraxDel.dll was loaded from: the system directory, under WOW64 the 32-bit one.
std::string LibraryDirectory()
{
    char szPath[MAX_PATH] = "";
    if (IsWow64())
        GetSystemWow64DirectoryA(szPath, sizeof szPath);
    else
        GetSystemDirectoryA(szPath, sizeof szPath);
    return szPath;
}

// The uninstallers moved aside in the library's folder, waiting for the restart.
int LibrariesMovedAside()
{
    int nFound = 0;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((LibraryDirectory() + "\\BraxDel-*.del").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do {
        ++nFound;
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return nFound;
}

// Wine's restart of Windows without ending any process: it does what the system does at
// its start, the pending deletions among it.
void RestartWine()
{
    uidriver::Process wineboot = uidriver::Launch(WindowsDirectory() + "\\system32\\wineboot.exe", "-r");
    ASSERT_TRUE(wineboot.Started());
    EXPECT_EQ(0u, wineboot.WaitExit(60000));
}

// Run in the 32-bit prefix, and in the 64-bit one where the library lies in the WOW64
// system directory (ctest's e2e_uninstall_wow64).
TEST_F(Uninstall, TheLibraryGoesAtTheRestartAndAReinstallBeforeItKeepsItsOwn)
{
    const std::string dir = "C:\\E2E\\Restart";
    const std::string library = LibraryDirectory() + "\\BraxDel.dll";
    ASSERT_NO_FATAL_FAILURE(RestartWine());
    ASSERT_EQ(0, LibrariesMovedAside()) << "the restart deletes every one scheduled before";
    ASSERT_NO_FATAL_FAILURE(InstallSilently(dir));
    ASSERT_TRUE(Exists(library));
    EXPECT_EQ(0u, RunQuietUninstall()) << "the library is scheduled, so nothing stays";
    EXPECT_EQ(1, LibrariesMovedAside()) << "moved aside in its folder";
    EXPECT_FALSE(Exists(library));

    // Installed again before the restart: the restart deletes the old library only, and the
    // new entry still reaches its uninstaller.
    ASSERT_NO_FATAL_FAILURE(InstallSilently(dir));
    ASSERT_NO_FATAL_FAILURE(RestartWine());
    EXPECT_EQ(0, LibrariesMovedAside()) << "the restart deletes what was scheduled";
    EXPECT_TRUE(Exists(library)) << "the new installation's uninstaller is kept";
    EXPECT_EQ(0u, RunQuietUninstall());
    EXPECT_FALSE(Exists(dir));
}

// A user who may write to the installation directory replaces a folder in it, or the
// directory itself, with a link to another place holding files of the same names and
// contents. The uninstaller neither enters nor removes the link (Wine shows a host's
// symbolic link to a folder as a folder link), and what lies behind it stays.
TEST_F(Uninstall, NothingBehindALinkIsRemoved)
{
    const std::string base = "C:\\E2E\\Links";
    const std::string unixBase = host::UnixPath(base);
    ASSERT_FALSE(unixBase.empty());
    ASSERT_TRUE(host::RunOnHost("rm -rf '" + unixBase + "' && mkdir -p '" + unixBase + "/Elsewhere' '" + unixBase +
                              "/Inst' '" + unixBase + "/Whole.target' && ln -s '" + unixBase + "/Elsewhere' '" +
                              unixBase + "/Inst/Docs' && ln -s '" + unixBase + "/Whole.target' '" + unixBase + "/Whole'",
                          "C:\\E2E\\links-planted"));
    ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              GetFileAttributesA((base + "\\Inst\\Docs").c_str()));

    // The manuals go through the link when installed; they stay there.
    ASSERT_NO_FATAL_FAILURE(InstallSilently(base + "\\Inst"));
    ASSERT_TRUE(Exists(base + "\\Elsewhere\\Index.pdf"));
    EXPECT_EQ(2u, RunQuietUninstall());
    for (const char* pszManual : {"Index.pdf", "UserGuide.pdf", "Reference.pdf"})
        EXPECT_TRUE(Exists(base + "\\Elsewhere\\" + pszManual)) << pszManual;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((base + "\\Inst\\Docs").c_str())) << "the link stays";
    EXPECT_FALSE(Exists(base + "\\Inst\\Varnix.exe")) << "the rest is removed";

    // The whole directory a link.
    ASSERT_NO_FATAL_FAILURE(InstallSilently(base + "\\Whole"));
    ASSERT_TRUE(Exists(base + "\\Whole.target\\Varnix.exe"));
    EXPECT_EQ(2u, RunQuietUninstall());
    for (const char* pszName : TYPICAL_INSTALLED_FILES)
        EXPECT_TRUE(Exists(base + "\\Whole.target\\" + pszName)) << pszName;
    EXPECT_TRUE(Exists(base + "\\Whole.target\\ChmMacros"));
    EXPECT_EQ("", UninstallString()) << "the entry goes all the same";
    host::RunOnHost("rm -rf '" + unixBase + "'", "C:\\E2E\\links-removed");
}

// Between the check of a file and its deletion, the folder it lies in is swapped for a
// link to another folder holding a file of the same name, as a user racing the
// uninstaller would: the deletion must not reach the file behind the link.
struct CSwappingRemoval : CRemoval {
    std::string swap;
    bool bSwapped = false;
    void BeforeDelete(const char*) override { bSwapped = host::RunOnHost(swap, "C:\\E2E\\swapped"); }
};

TEST_F(Uninstall, AFolderSwappedForALinkBetweenCheckAndDeletionKeepsWhatLiesBehind)
{
    const std::string base = "C:\\E2E\\Swap";
    const std::string unixBase = host::UnixPath(base);
    ASSERT_FALSE(unixBase.empty());
    ASSERT_TRUE(host::RunOnHost("rm -rf '" + unixBase + "' && mkdir -p '" + unixBase + "/Folder' '" + unixBase + "/Other'",
                          "C:\\E2E\\swap-made"));
    const std::string ours = "the installation's own bytes";
    WriteAll(base + "\\Folder\\Varnix.hlp", ours);
    WriteAll(base + "\\Other\\Varnix.hlp", "a file the installation never wrote");
    const uint32_t nCrc = UpdateCrc32(0, reinterpret_cast<const unsigned char*>(ours.data()), ours.size());

    CSwappingRemoval removal;
    removal.swap = "mv '" + unixBase + "/Folder' '" + unixBase + "/Folder.checked' && ln -s '" + unixBase + "/Other' '" +
                   unixBase + "/Folder'";
    removal.RemoveRecordedFile((base + "\\Folder\\Varnix.hlp").c_str(), static_cast<DWORD>(ours.size()), nCrc);
    ASSERT_TRUE(removal.bSwapped);
    EXPECT_EQ("a file the installation never wrote", ReadFileText(base + "\\Other\\Varnix.hlp"));
    host::RunOnHost("rm -rf '" + unixBase + "'", "C:\\E2E\\swap-removed");
}

} // namespace
