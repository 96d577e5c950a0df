// Drives the typical installation of Setup.exe as a user would: the welcome's OK, the
// agreement's Yes, the options page's Next with the application and the manuals ticked,
// the chooser's Next with the default directory, the confirmation's Next, the progress
// slideshow and the completion message. Saves a screenshot of every page and says what
// it does on standard output.
//
// Usage: typical_install SCREENSHOT_DIR SETUP_EXE
#include <windows.h>

#include <cstdio>
#include <string>

#include "uidriver/UiDriver.h"

namespace {

const DWORD PAGE_MS = 30000;
const DWORD COMPLETION_MS = 90000;
const int IDC_TEXT = 1000;
const int IDC_OPT_APPLICATION = 1008;
const int IDC_OPT_MANUALS = 1010;

std::string g_screenshotDir;
int g_nShot = 0;

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Screenshot(const char* pszName)
{
    char szFile[64];
    std::snprintf(szFile, sizeof szFile, "%02d-%s.png", ++g_nShot, pszName);
    std::string path = g_screenshotDir + "\\" + szFile;
    Say(uidriver::SaveScreenshot(path) ? "  screenshot " + std::string(szFile) : "  (no screenshot)");
}

HWND Page(DWORD pid, const char* pszTitle, DWORD dwTimeoutMs = PAGE_MS)
{
    HWND hPage = uidriver::WaitForWindow(pszTitle, dwTimeoutMs, pid, "#32770");
    if (!hPage) {
        Say(std::string("no page titled \"") + pszTitle + "\" came");
        return NULL;
    }
    uidriver::WaitIdle(hPage);
    Sleep(300);  // let the backdrop and the page finish painting for the screenshot
    Say(std::string("page \"") + pszTitle + "\"");
    return hPage;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: typical_install SCREENSHOT_DIR SETUP_EXE\n");
        return 2;
    }
    g_screenshotDir = argv[1];
    CreateDirectoryA(g_screenshotDir.c_str(), NULL);

    uidriver::Process setup = uidriver::Launch(argv[2], "");
    if (!setup.Started()) {
        Say("Setup.exe could not be started");
        return 1;
    }
    DWORD pid = setup.Id();

    HWND hWelcome = Page(pid, "Welcome...");
    if (!hWelcome)
        return 1;
    Screenshot("welcome");
    uidriver::Click(hWelcome, IDOK);

    HWND hAgreement = Page(pid, "License Agreement");
    if (!hAgreement)
        return 1;
    Screenshot("agreement");
    uidriver::Click(hAgreement, IDOK);

    HWND hOptions = Page(pid, "Select Option");
    if (!hOptions)
        return 1;
    uidriver::SetCheck(hOptions, IDC_OPT_APPLICATION, true);
    uidriver::SetCheck(hOptions, IDC_OPT_MANUALS, true);
    uidriver::WaitIdle(hOptions);
    Screenshot("options");
    uidriver::Click(hOptions, IDOK);

    HWND hChooser = Page(pid, "Select Installation Directory");
    if (!hChooser)
        return 1;
    Screenshot("directory");
    uidriver::Click(hChooser, IDOK);

    HWND hConfirm = Page(pid, "Attention...");
    if (!hConfirm)
        return 1;
    Say("  " + uidriver::ControlText(hConfirm, IDC_TEXT).substr(0, 60) + "...");
    Screenshot("confirm");
    uidriver::Click(hConfirm, IDOK);

    HWND hProgress = uidriver::WaitForWindow("", PAGE_MS, pid, "#32770");
    if (hProgress) {
        Say("progress slideshow (30 seconds)");
        for (int nSlide = 0; nSlide < 4; ++nSlide) {
            Sleep(nSlide == 0 ? 3000 : 7500);
            Screenshot("progress");
        }
    }

    HWND hComplete = Page(pid, "Installation Complete...", COMPLETION_MS);
    if (!hComplete)
        return 1;
    Screenshot("complete");
    uidriver::Click(hComplete, IDOK);

    HWND hFolder = uidriver::WaitForWindow("Corvane Corporation - Pelorin", PAGE_MS);
    if (hFolder) {
        Sleep(1000);
        Say("the program group's folder is open");
        Screenshot("program-group");
        PostMessageA(hFolder, WM_CLOSE, 0, 0);
    }
    DWORD code = setup.WaitExit(PAGE_MS);
    Say("Setup.exe ended with exit code " + std::to_string(code));
    return code == 0 ? 0 : 1;
}
