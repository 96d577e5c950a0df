#include "RestartWindows.h"

#include <tlhelp32.h>

#include <cstdio>

#include "../framework/Handles.h"

namespace {

typedef HANDLE(WINAPI* CreateSnapshotFn)(DWORD, DWORD);
typedef BOOL(WINAPI* ProcessWalkFn)(HANDLE, LPPROCESSENTRY32);

// PROCESS_ALL_ACCESS as Windows NT 4.0, 2000 and XP know it. Headers for Vista and later
// define it with bits those systems refuse (0x1FFFFF): OpenProcess would then fail there
// with access denied, and the shell would never be ended.
const DWORD ALL_PROCESS_ACCESS_NT4 = 0x1F0FFF;

// The file name part of a process entry: after the last backslash, or all of it.
const char* ExeFileName(const char* pszExeFile)
{
    const char* pszName = pszExeFile;
    for (const char* p = pszExeFile; *p; ++p)
        if (*p == '\\')
            pszName = p + 1;
    return pszName;
}

void TerminateProcessById(DWORD dwProcessId)
{
    CHandle process(OpenProcess(ALL_PROCESS_ACCESS_NT4, FALSE, dwProcessId));
    if (process.IsValid())
        TerminateProcess(process, 1);
}

// On the NT family ExitWindowsEx fails without the shutdown privilege, and by then the
// shell is gone: enable it first. Windows 95/98 have no token functions, so they are
// looked up at run time; their absence simply leaves nothing to enable.
void EnableShutdownPrivilege()
{
    typedef BOOL(WINAPI * OpenTokenFn)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI * LookupFn)(LPCSTR, LPCSTR, PLUID);
    typedef BOOL(WINAPI * AdjustFn)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);

    CLibrary advapi("Advapi32.dll");
    OpenTokenFn pOpenToken = advapi.Find<OpenTokenFn>("OpenProcessToken");
    LookupFn pLookup = advapi.Find<LookupFn>("LookupPrivilegeValueA");
    AdjustFn pAdjust = advapi.Find<AdjustFn>("AdjustTokenPrivileges");
    HANDLE hToken = NULL;
    if (!pOpenToken || !pLookup || !pAdjust ||
        !pOpenToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
        return;
    CHandle token(hToken);
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (pLookup(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        pAdjust(token, FALSE, &privileges, 0, NULL, NULL);
}

// Ends every "explorer.exe" process. Returns why it could not when the system has no Tool
// Help functions or no process snapshot can be taken (nothing is ended then), or NULL.
const char* TerminateShellProcesses()
{
    CLibrary kernel("Kernel32.DLL");
    CreateSnapshotFn pCreateSnapshot = kernel.Find<CreateSnapshotFn>("CreateToolhelp32Snapshot");
    ProcessWalkFn pFirst = kernel.Find<ProcessWalkFn>("Process32First");
    ProcessWalkFn pNext = kernel.Find<ProcessWalkFn>("Process32Next");
    if (!pCreateSnapshot || !pFirst || !pNext)
        return "Windows is not restarted: the system has no Tool Help functions to find the shell with";
    CHandle snapshot(pCreateSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return "Windows is not restarted: no list of the running processes could be taken";

    static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296,
                  "the 32-bit narrow process entry of every Windows version");
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL bMore = pFirst(snapshot, &entry); bMore; bMore = pNext(snapshot, &entry)) {
        if (entry.szExeFile[0] && lstrcmpiA(ExeFileName(entry.szExeFile), "explorer.exe") == 0)
            TerminateProcessById(entry.th32ProcessID);
        entry.dwSize = sizeof entry;
    }
    return NULL;
}

void Note(RestartNoteFn pfnNote, const char* pszText)
{
    if (pfnNote)
        pfnNote(pszText);
}

// The request is told before it is made: an accepted one may end this process before
// ExitWindowsEx returns.
BOOL RequestRestart(UINT dwFlags, RestartNoteFn pfnNote)
{
    Note(pfnNote, "Restarting Windows");
    if (ExitWindowsEx(dwFlags, 0))
        return TRUE;
    DWORD dwError = GetLastError();
    char szText[64] = "";
    _snprintf(szText, sizeof szText - 1, "Windows refused the restart (error %lu)", dwError);
    Note(pfnNote, szText);
    return FALSE;
}

} // namespace

BOOL RestartWindows(UINT dwFlags, RestartNoteFn pfnNote)
{
    EnableShutdownPrivilege();
    if (dwFlags & EWX_FORCE) {
        const char* pszWhyNot = TerminateShellProcesses();
        if (pszWhyNot) {
            Note(pfnNote, pszWhyNot);
            return FALSE;
        }
    }
    return RequestRestart(dwFlags, pfnNote);
}
