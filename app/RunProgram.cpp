#include "RunProgram.h"

#include <windows.h>

#include "../framework/Handles.h"

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
    WaitForSingleObject(process, INFINITE);
    return true;
}
