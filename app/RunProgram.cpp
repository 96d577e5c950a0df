#include "RunProgram.h"

#include <windows.h>

#include "../framework/Handles.h"

namespace {

// Waits for the process to end while answering the messages that other programs send to
// this thread's windows. A program that broadcasts with SendMessage (many installers tell
// every top-level window about a changed setting) waits until each window has answered:
// a plain wait would leave it waiting for the setup program, and the setup program for
// it. Posted messages (input, paint, timers) stay queued, so nothing moves on screen and
// the installation holds until the program has ended, as with a plain wait.
void WaitAnsweringSentMessages(HANDLE hProcess)
{
    while (MsgWaitForMultipleObjects(1, &hProcess, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        // Looking at the queue delivers the sent messages; a posted one is left where it is.
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    }
}

} // namespace

// With the name given as the application, CreateProcess completes a bare name from the
// current directory only and never searches the path.
bool RunProgramAndWait(const char* pszProgram)
{
    char szCommandLine[MAX_PATH];
    lstrcpynA(szCommandLine, pszProgram, sizeof szCommandLine);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(pszProgram, szCommandLine, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    CHandle process(pi.hProcess);
    CHandle thread(pi.hThread);
    WaitAnsweringSentMessages(process);
    return true;
}
