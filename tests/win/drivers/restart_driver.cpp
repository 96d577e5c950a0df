// Drives Setup.exe through a scenario whose end may restart Windows. A restart ends every
// process of the Wine prefix, this one included, so the driver reports through a log
// file, one flushed line per observation, that the test script reads afterwards.
//
// Usage: restart_driver LOG SCENARIO SETUP_EXE [SETUP_ARGS] [INSTALL_DIR]
//   autorun-install  the first page must be the chooser: install to INSTALL_DIR
//   cancel           Cancel on the first page
//   first-page       report the first page, then end the setup program
//   silent           no page is expected: wait for the setup program's end
// Every scenario starts a stand-in shell (explorer_standin.exe copied as explorer.exe)
// and reports its exit code when something ends it.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "uidriver/UiDriver.h"

namespace {

std::string g_logPath;
// Off once the driver ends the stand-in shell itself on its way out.
volatile bool g_bReportShell = true;

// Three threads report: one at a time, or two appends can land at the same offset and
// one line overwrite the other.
void Log(const std::string& line)
{
    static std::mutex s_mutex;
    std::lock_guard<std::mutex> lock(s_mutex);
    FILE* pFile = std::fopen(g_logPath.c_str(), "ab");
    if (!pFile)
        return;
    std::fprintf(pFile, "%s\n", line.c_str());
    std::fflush(pFile);
    std::fclose(pFile);
}

const DWORD PAGE_TIMEOUT_MS = 30000;

// The first modal page the setup program shows, whatever its title.
HWND WaitForAnyPage(DWORD pid)
{
    for (DWORD waited = 0; waited < PAGE_TIMEOUT_MS; waited += 50) {
        HWND hWnd = NULL;
        while ((hWnd = FindWindowExA(NULL, hWnd, "#32770", NULL)) != NULL) {
            DWORD owner = 0;
            GetWindowThreadProcessId(hWnd, &owner);
            if (owner == pid && IsWindowVisible(hWnd) && GetWindowTextLengthA(hWnd) > 0)
                return hWnd;
        }
        Sleep(50);
    }
    return NULL;
}

uidriver::Process StartStandInShell()
{
    std::string source = uidriver::ModuleDirectory() + "explorer_standin.exe";
    CreateDirectoryA("C:\\standin", NULL);
    CopyFileA(source.c_str(), "C:\\standin\\explorer.exe", FALSE);
    return uidriver::Launch("C:\\standin\\explorer.exe", "");
}

void ReportShellEnd(uidriver::Process& shell)
{
    DWORD code = shell.WaitExit(INFINITE);
    if (g_bReportShell)
        Log("shell exit " + std::to_string(code));
}

// Reports every titled page the setup program shows, in order, until it ends.
void ReportPages(HANDLE hSetup, DWORD pid)
{
    HWND hLast = NULL;
    while (WaitForSingleObject(hSetup, 50) == WAIT_TIMEOUT) {
        HWND hWnd = NULL;
        while ((hWnd = FindWindowExA(NULL, hWnd, "#32770", NULL)) != NULL) {
            DWORD owner = 0;
            GetWindowThreadProcessId(hWnd, &owner);
            if (owner == pid && hWnd != hLast && IsWindowVisible(hWnd)) {
                hLast = hWnd;
                Log("page " + uidriver::Text(hWnd));
                break;
            }
        }
    }
}

bool InstallFromChooser(HWND hChooser, DWORD pid, const std::string& installDir)
{
    uidriver::TypeText(hChooser, 1004 /* IDC_DIR_EDIT */, installDir);
    uidriver::Click(hChooser, IDOK);
    HWND hConfirm = uidriver::WaitForWindow("Attention...", PAGE_TIMEOUT_MS, pid, "#32770");
    if (!hConfirm)
        return false;
    Log("confirm " + uidriver::ControlText(hConfirm, 1000 /* IDC_TEXT */).substr(0, 60));
    uidriver::Click(hConfirm, IDOK);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: restart_driver LOG SCENARIO SETUP_EXE [SETUP_ARGS] [INSTALL_DIR]\n");
        return 2;
    }
    g_logPath = argv[1];
    std::string scenario = argv[2];
    std::string setupExe = argv[3];
    std::string setupArgs = argc > 4 ? argv[4] : "";
    std::string installDir = argc > 5 ? argv[5] : "C:\\Pelorin";

    uidriver::Process shell = StartStandInShell();
    Log(shell.Started() ? "shell started" : "shell not started");
    std::thread shellWatch([&shell] { ReportShellEnd(shell); });
    shellWatch.detach();

    uidriver::Process setup = uidriver::Launch(setupExe, setupArgs);
    if (!setup.Started()) {
        Log("setup not started");
        return 1;
    }
    std::thread pageWatch([&setup] { ReportPages(setup.Handle(), setup.Id()); });
    pageWatch.detach();
    HWND hFirst = WaitForAnyPage(setup.Id());
    Log("first page " + (hFirst ? uidriver::Text(hFirst) : std::string("none")));

    if (scenario == "first-page") {
        TerminateProcess(setup.Handle(), 0);
        setup.WaitExit(10000);
        Log(WaitForSingleObject(shell.Handle(), 0) == WAIT_TIMEOUT ? "shell alive" : "shell gone");
        g_bReportShell = false;
        return 0;
    }
    if (scenario == "cancel" && hFirst) {
        uidriver::Click(hFirst, IDCANCEL);
    } else if (scenario == "autorun-install" && hFirst) {
        if (!InstallFromChooser(hFirst, setup.Id(), installDir))
            Log("no confirmation page");
    }

    DWORD code = setup.WaitExit(120000);
    Log("setup exit " + std::to_string(code));
    // A restart ends this process before the wait is over.
    Sleep(10000);
    Log(WaitForSingleObject(shell.Handle(), 0) == WAIT_TIMEOUT ? "shell alive" : "shell gone");
    Log("driver survived");
    g_bReportShell = false;
    return 0;
}
