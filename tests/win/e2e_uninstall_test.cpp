// The uninstaller on real installations: Setup.exe installs the demo payload and manuals,
// the registered uninstall command is started as the system starts it, and BraxDel.dll's
// message boxes are answered through the UI driver. Afterwards the machine is inspected:
// what the installation wrote is gone, what the user added or changed is still there.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "e2e_support.h"
#include "uidriver/UiDriver.h"

namespace {

using namespace e2e;
using uidriver::WaitForWindow;

const DWORD UNINSTALL_MS = 60000;
const char TITLE[] = "Pelorin Uninstall";
// The static text of a message box.
const int MESSAGE_TEXT_ID = 0xFFFF;

void WriteAll(const std::string& path, const std::string& text)
{
    FILE* pFile = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(pFile) << path;
    std::fwrite(text.data(), 1, text.size(), pFile);
    std::fclose(pFile);
}

std::string UninstallString()
{
    std::string command;
    ReadUninstallValue("UninstallString", &command);
    return command;
}

// Every file and folder below pszDir with its size and content, for comparing states.
void Snapshot(const std::string& dir, std::vector<std::string>& lines)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines.push_back(path + "\\");
            Snapshot(path, lines);
        } else {
            lines.push_back(path + " " + std::to_string(ReadFileText(path).size()) + " " +
                            std::to_string(std::hash<std::string>()(ReadFileText(path))));
        }
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
}

// The installation, the shortcuts and the uninstall entry as one comparable text.
std::string MachineState(const std::string& dir)
{
    std::vector<std::string> lines;
    Snapshot(dir, lines);
    Snapshot(GroupDir(), lines);
    std::sort(lines.begin(), lines.end());
    std::string state;
    for (const std::string& line : lines)
        state += line + "\n";
    state += "desktop link: " + std::to_string(Exists(DesktopLink())) + "\n";
    state += "uninstall entry: " + UninstallString() + "\n";
    return state;
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

// Starts a command line as the system's list of installed programs does: from a 64-bit
// process on 64-bit Windows (here, from a 32-bit test, through the 64-bit cmd).
bool StartCommand(std::string command)
{
    if (IsWow64()) {
        char szWindows[MAX_PATH] = "";
        GetWindowsDirectoryA(szWindows, sizeof szWindows);
        command = "\"" + std::string(szWindows) + "\\Sysnative\\cmd.exe\" /c \"" + command + "\"";
    }
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
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

    // The library itself goes when Windows restarts: the system's list of pending
    // deletions names it.
    char szPending[8192] = "";
    DWORD cbPending = sizeof szPending - 2;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                      &hKey) == ERROR_SUCCESS) {
        RegQueryValueExA(hKey, "PendingFileRenameOperations", NULL, NULL, reinterpret_cast<BYTE*>(szPending),
                         &cbPending);
        RegCloseKey(hKey);
    }
    std::string pending(szPending, cbPending);
    std::transform(pending.begin(), pending.end(), pending.begin(), ::tolower);
    EXPECT_TRUE(Contains(pending, "braxdel.dll")) << "the library is not deleted at the next restart";
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

    // A command line naming another directory, and one naming none, are refused.
    ASSERT_TRUE(StartCommand(WithArgument(command, " \"" + other + "\\\"")));
    std::string refusal = Answer(IDOK);
    EXPECT_TRUE(Contains(refusal, "Nothing was removed")) << refusal;
    EXPECT_TRUE(Contains(refusal, "not the directory Pelorin is registered")) << refusal;
    EXPECT_TRUE(Exists(other + "\\Varnix.exe"));
    StartCommand(WithArgument(command, ""));
    refusal = Answer(IDOK);
    EXPECT_TRUE(Contains(refusal, "names no installation directory")) << refusal;

    // The registered command, answered No.
    StartCommand(command);
    std::string question = Answer(IDNO);
    EXPECT_TRUE(Contains(question, dir + "\\")) << question;
    Sleep(2000);
    EXPECT_TRUE(FindWindowA("#32770", TITLE) == NULL) << "No is the end";
    EXPECT_EQ(before, MachineState(dir));
    DeleteTree(other);
}

} // namespace
