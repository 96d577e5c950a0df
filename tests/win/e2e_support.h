// What the end-to-end tests of the installation and of the uninstaller share: where the
// installation's traces are, and small readers of the machine's state.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "host_support.h"
#include "uidriver/UiDriver.h"

namespace e2e {

const char PROGRAM_GROUP[] = "Corvane Corporation - Pelorin";
const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane Corporation - Pelorin";

// What the typical installation of the demo payload (application and manuals) writes into
// the installation directory.
const char* const TYPICAL_INSTALLED_FILES[] = {
    "Varnix.exe", "Varnix.tlb", "Varnix.hlp", "Varnix.cnt", "BraxAbs.dll", "BraxAcq.dll", "BraxAlg.dll",
    "DataDependentJitter1.bxd", "TimingJitter1.bxd", "AmplitudeNoise1.bxd", "Docs\\Index.pdf", "Docs\\UserGuide.pdf",
    "Docs\\Reference.pdf"};

inline std::string SpecialFolder(int csidl)
{
    char szPath[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, szPath, csidl, FALSE);
    return szPath;
}

inline std::string SystemDirectory()
{
    char szPath[MAX_PATH] = "";
    GetSystemDirectoryA(szPath, sizeof szPath);
    return szPath;
}

inline std::string WindowsDirectory()
{
    char szPath[MAX_PATH] = "";
    GetWindowsDirectoryA(szPath, sizeof szPath);
    return szPath;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadFileText(const std::string& path)
{
    std::string text;
    FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
        text.append(buffer, n);
    std::fclose(pFile);
    return text;
}

inline void WriteAll(const std::string& path, const std::string& text)
{
    FILE* pFile = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(pFile) << path;
    std::fwrite(text.data(), 1, text.size(), pFile);
    std::fclose(pFile);
}

inline bool ReadUninstallValue(const char* pszName, std::string* pValue)
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    char szValue[1024];
    DWORD cbValue = sizeof szValue;
    DWORD dwType = 0;
    LONG result = RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue);
    RegCloseKey(hKey);
    if (result != ERROR_SUCCESS || dwType != REG_SZ)
        return false;
    pValue->assign(szValue, cbValue > 0 ? cbValue - 1 : 0);
    return true;
}

// A DWORD value of the product's uninstall key; 0xFFFFFFFF when there is none.
inline DWORD ReadUninstallNumber(const char* pszName)
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    DWORD dwValue = 0, cbValue = sizeof dwValue, dwType = 0;
    LONG result = RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cbValue);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS && dwType == REG_DWORD ? dwValue : 0xFFFFFFFF;
}

// The log's lines without their time stamps, after checking that each has one.
inline std::vector<std::string> LogLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text = ReadFileText(path);
    size_t nAt = 0;
    size_t nEnd;
    while ((nEnd = text.find("\r\n", nAt)) != std::string::npos) {
        std::string line = text.substr(nAt, nEnd - nAt);
        nAt = nEnd + 2;
        // "2026-12-09 05:43:08 text"
        bool bStamped = line.size() > 20 && line[4] == '-' && line[7] == '-' && line[10] == ' ' && line[13] == ':' &&
                        line[16] == ':' && line[19] == ' ';
        EXPECT_TRUE(bStamped) << "a line without its time stamp: " << line;
        lines.push_back(bStamped ? line.substr(20) : line);
    }
    EXPECT_EQ(text.size(), nAt) << "the log ends with an unfinished line";
    return lines;
}

inline bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& candidate : lines) {
        if (candidate == line)
            return true;
    }
    return false;
}

inline void DeleteTree(const std::string& path)
{
    // SHFileOperation wants a double-NUL-terminated list.
    std::string from = path + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

// A 32-bit process under WOW64, that is in a 64-bit prefix.
inline bool IsWow64()
{
    BOOL bWow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64;
}

inline std::string GroupDir()
{
    return SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\" + PROGRAM_GROUP;
}

inline std::string DesktopLink()
{
    return SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Pelorin.lnk";
}

inline std::string Wow64SystemDirectory()
{
    char szPath[MAX_PATH] = "";
    GetSystemWow64DirectoryA(szPath, sizeof szPath);
    return szPath;
}

// What the system's list of installed programs starts: the 32-bit Rundll32 by its full
// path under WOW64, the plain command elsewhere.
inline std::string ExpectedUninstallCommand(const std::string& dir)
{
    std::string rundll = IsWow64() ? "\"" + Wow64SystemDirectory() + "\\Rundll32.exe\"" : "Rundll32.exe";
    return rundll + " BraxDel.dll,Remove \"" + dir + "\\\"";
}

// The files of the typical installation (application and manuals), the library in the
// system directory, the group's and the desktop's shortcuts and the uninstall entry.
inline void ExpectInstalledFilesLinksAndEntry(const std::string& dir)
{
    for (const char* pszName : TYPICAL_INSTALLED_FILES)
        EXPECT_TRUE(Exists(dir + "\\" + pszName)) << pszName;
    EXPECT_TRUE(Exists(SystemDirectory() + "\\BraxDel.dll"));
    EXPECT_FALSE(Exists(dir + "\\BraxDel.dll"));
    EXPECT_FALSE(Exists(dir + "\\Axdist.exe")) << "the redistributable installer is never left behind";
    EXPECT_TRUE(Exists(GroupDir() + "\\Pelorin.lnk"));
    EXPECT_TRUE(Exists(GroupDir() + "\\Manuals.lnk"));
    EXPECT_TRUE(Exists(DesktopLink()));
    std::string value;
    EXPECT_TRUE(ReadUninstallValue("DisplayName", &value));
    EXPECT_EQ(PROGRAM_GROUP, value);
    EXPECT_TRUE(ReadUninstallValue("UninstallString", &value));
    EXPECT_EQ(ExpectedUninstallCommand(dir), value);
}

// Every file and folder below dir with its size, content and time of last writing, for
// comparing states: a file written again with the same bytes shows too.
inline void Snapshot(const std::string& dir, std::vector<std::string>& lines)
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
            std::string bytes = ReadFileText(path);
            lines.push_back(path + " " + std::to_string(bytes.size()) + " " +
                            std::to_string(std::hash<std::string>()(bytes)) + " written " +
                            std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
                            std::to_string(data.ftLastWriteTime.dwLowDateTime));
        }
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
}

// The installation in dir, the shortcuts and the uninstall entry as one comparable text.
inline std::string MachineState(const std::string& dir)
{
    std::vector<std::string> lines;
    Snapshot(dir, lines);
    Snapshot(GroupDir(), lines);
    std::sort(lines.begin(), lines.end());
    std::string state;
    for (const std::string& line : lines)
        state += line + "\n";
    std::string command;
    ReadUninstallValue("UninstallString", &command);
    state += "desktop link: " + std::to_string(Exists(DesktopLink())) + "\n";
    state += "uninstall entry: " + command + "\n";
    return state;
}


// How long an uninstall command may take.
const DWORD COMMAND_MS = 60000;

// Starts a command line as the system's list of installed programs does: from a 64-bit
// process on 64-bit Windows (here, from a 32-bit test, through the 64-bit cmd, which ends
// with the command's exit code). With pdwExitCode, waits for the end.
inline bool StartCommand(std::string command, DWORD* pdwExitCode = nullptr)
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
    if (pdwExitCode) {
        *pdwExitCode = WaitForSingleObject(pi.hProcess, COMMAND_MS) == WAIT_OBJECT_0 ? 0 : STILL_ACTIVE;
        if (*pdwExitCode == 0)
            GetExitCodeProcess(pi.hProcess, pdwExitCode);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// The deployment tools' command, run to its end: its exit code.
inline DWORD RunQuietUninstall(const std::string& extra = "")
{
    std::string command;
    EXPECT_TRUE(ReadUninstallValue("QuietUninstallString", &command));
    DWORD dwExitCode = STILL_ACTIVE;
    EXPECT_TRUE(StartCommand(command + extra, &dwExitCode)) << command;
    return dwExitCode;
}

const DWORD PAGE_MS = 30000;
// The completion message follows the 30-second slideshow.
const DWORD COMPLETION_MS = 90000;

// One run of the setup program.
class SetupRun {
public:
    explicit SetupRun(const std::string& args, const std::string& exe = uidriver::ModuleDirectory() + "Setup.exe")
        : m_process(uidriver::Launch(exe, args))
    {
    }

    // The page titled pszTitle; fails the test when it does not come.
    HWND Page(const char* pszTitle, DWORD dwTimeoutMs = PAGE_MS)
    {
        HWND hPage = uidriver::WaitForWindow(pszTitle, dwTimeoutMs, m_process.Id(), "#32770");
        EXPECT_TRUE(hPage != NULL) << "no page titled \"" << pszTitle << "\"; " << WhatItShows();
        if (hPage)
            uidriver::WaitIdle(hPage);
        return hPage;
    }

    // The untitled progress dialog.
    HWND ProgressDialog() { return uidriver::WaitForWindow("", PAGE_MS, m_process.Id(), "#32770"); }

    DWORD ExitCode(DWORD dwTimeoutMs = 90000) { return m_process.WaitExit(dwTimeoutMs); }
    uidriver::Process& Process() { return m_process; }

    // Welcome, agreement and options pages, leaving the option boxes as given.
    void ThroughOptions(bool bApplication, bool bManuals, bool bReader)
    {
        uidriver::Click(Page("Welcome..."), IDOK);
        uidriver::Click(Page("License Agreement"), IDOK);
        HWND hOptions = Page("Select Option");
        uidriver::SetCheck(hOptions, IDC_OPT_APPLICATION, bApplication);
        uidriver::SetCheck(hOptions, IDC_OPT_MANUALS, bManuals);
        uidriver::SetCheck(hOptions, IDC_OPT_READER, bReader);
        uidriver::Click(hOptions, IDOK);
    }

    // The chooser with a typed directory, then the confirmation; returns the
    // confirmation's text.
    std::string ChooseAndConfirm(const std::string& directory)
    {
        HWND hChooser = Page("Select Installation Directory");
        uidriver::TypeText(hChooser, IDC_DIR_EDIT, directory);
        uidriver::Click(hChooser, IDOK);
        HWND hConfirm = Page("Attention...");
        std::string text = hConfirm ? uidriver::ControlText(hConfirm, IDC_TEXT) : "";
        uidriver::Click(hConfirm, IDOK);
        return text;
    }

private:
    // For a page that did not come: the program's end, or the windows it shows instead.
    std::string WhatItShows()
    {
        DWORD dwCode = m_process.WaitExit(0);
        if (dwCode != STILL_ACTIVE)
            return "the program has ended with exit code " + std::to_string(dwCode);
        struct Collect {
            static BOOL CALLBACK Window(HWND hWnd, LPARAM pState)
            {
                auto* state = reinterpret_cast<std::pair<DWORD, std::string>*>(pState);
                DWORD pid = 0;
                GetWindowThreadProcessId(hWnd, &pid);
                char szClass[64] = "";
                GetClassNameA(hWnd, szClass, sizeof szClass);
                if (pid == state->first && IsWindowVisible(hWnd)) {
                    state->second += std::string(" ") + szClass + " \"" + uidriver::Text(hWnd) + "\"";
                    if (GetDlgItem(hWnd, IDC_TEXT))
                        state->second += " saying \"" + uidriver::ControlText(hWnd, IDC_TEXT) + "\"";
                }
                return TRUE;
            }
        };
        std::pair<DWORD, std::string> state(m_process.Id(), "");
        EnumWindows(Collect::Window, reinterpret_cast<LPARAM>(&state));
        return "it runs and shows:" + (state.second.empty() ? std::string(" no window") : state.second);
    }

    uidriver::Process m_process;
};

} // namespace e2e
