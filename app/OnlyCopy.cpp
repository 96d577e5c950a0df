#include "OnlyCopy.h"

#include "../engine/InstallLayout.h"
#include "../framework/RunningObject.h"
#include "../framework/WinApp.h"
#include "InstallLog.h"

namespace {

CRunningObject g_running;
BOOL g_bSecondCopy = FALSE;

const char SECOND_COPY_TEXT[] =
    "Pelorin Setup or its uninstaller is already running. Wait until it has finished, then start Setup again.";

// The first copy's window: the setup program's backdrop with its page, or the
// uninstaller's question.
void BringFirstCopyForward()
{
    HWND hFirst = FindWindowA(NULL, "Pelorin Setup");
    if (!hFirst)
        hFirst = FindWindowA("#32770", "Pelorin Uninstall");
    if (hFirst)
        SetForegroundWindow(GetLastActivePopup(hFirst));
}

} // namespace

BOOL ClaimOnlyCopy()
{
    g_bSecondCopy = !g_running.Claim(RUNNING_OBJECT_NAME);
    return !g_bSecondCopy;
}

int RefuseSecondCopy(BOOL bSilent)
{
    LogStepFormat("Refused: %s", SECOND_COPY_TEXT);
    if (!bSilent) {
        AfxMessageBox(SECOND_COPY_TEXT, MB_OK | MB_ICONINFORMATION);
        BringFirstCopyForward();
    }
    return SETUP_EXIT_ALREADY_RUNNING;
}

BOOL IsSecondCopy()
{
    return g_bSecondCopy;
}

void ReleaseOnlyCopy()
{
    g_running.Release();
}
