#include <windows.h>
#include <tlhelp32.h>

#include "SetupApp.h"

namespace {

typedef HANDLE(WINAPI* CreateSnapshotFn)(DWORD, DWORD);
typedef BOOL(WINAPI* ProcessWalkFn)(HANDLE, LPPROCESSENTRY32);

// The file name part of a process entry: after the last backslash, or all of it.
const char* ExeFileName(const char* pszExeFile)
{
    const char* pszName = pszExeFile;
    for (const char* p = pszExeFile; *p; ++p)
        if (*p == '\\')
            pszName = p + 1;
    return pszName;
}

// PROCESS_ALL_ACCESS as Windows NT 4.0, 2000 and XP know it. Headers for Vista and later
// define it with bits those systems refuse (0x1FFFFF): OpenProcess would then fail there
// with access denied, and the shell would never be ended.
const DWORD ALL_PROCESS_ACCESS_NT4 = 0x1F0FFF;

void TerminateProcessById(DWORD dwProcessId)
{
    HANDLE hProcess = OpenProcess(ALL_PROCESS_ACCESS_NT4, FALSE, dwProcessId);
    if (!hProcess)
        return;
    TerminateProcess(hProcess, 1);
    CloseHandle(hProcess);
}

// On the NT family ExitWindowsEx fails without the shutdown privilege, and by then the
// shell is gone: enable it first. Windows 95/98 have no token functions, so they are
// looked up at run time; their absence simply leaves nothing to enable.
void EnableShutdownPrivilege()
{
    typedef BOOL(WINAPI* OpenTokenFn)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI* LookupFn)(LPCSTR, LPCSTR, PLUID);
    typedef BOOL(WINAPI* AdjustFn)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);

    HMODULE hAdvapi = LoadLibraryA("Advapi32.dll");
    if (!hAdvapi)
        return;
    OpenTokenFn pOpenToken = reinterpret_cast<OpenTokenFn>(GetProcAddress(hAdvapi, "OpenProcessToken"));
    LookupFn pLookup = reinterpret_cast<LookupFn>(GetProcAddress(hAdvapi, "LookupPrivilegeValueA"));
    AdjustFn pAdjust = reinterpret_cast<AdjustFn>(GetProcAddress(hAdvapi, "AdjustTokenPrivileges"));
    HANDLE hToken = NULL;
    if (pOpenToken && pLookup && pAdjust &&
        pOpenToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken)) {
        TOKEN_PRIVILEGES privileges;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (pLookup(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
            pAdjust(hToken, FALSE, &privileges, 0, NULL, NULL);
        CloseHandle(hToken);
    }
    FreeLibrary(hAdvapi);
}

} // namespace

BOOL RestartWindows(UINT dwFlags)
{
    EnableShutdownPrivilege();
    if (!(dwFlags & EWX_FORCE))
        return ExitWindowsEx(dwFlags, 0);

    HMODULE hKernel = LoadLibraryA("Kernel32.DLL");
    if (!hKernel)
        return FALSE;
    CreateSnapshotFn pCreateSnapshot =
        reinterpret_cast<CreateSnapshotFn>(GetProcAddress(hKernel, "CreateToolhelp32Snapshot"));
    ProcessWalkFn pFirst = reinterpret_cast<ProcessWalkFn>(GetProcAddress(hKernel, "Process32First"));
    ProcessWalkFn pNext = reinterpret_cast<ProcessWalkFn>(GetProcAddress(hKernel, "Process32Next"));
    if (!pCreateSnapshot || !pFirst || !pNext) {
        FreeLibrary(hKernel);
        return FALSE;
    }
    HANDLE hSnapshot = pCreateSnapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) {
        FreeLibrary(hKernel);
        return FALSE;
    }

    static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296, "the 32-bit narrow process entry of every Windows version");
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL bMore = pFirst(hSnapshot, &entry); bMore; bMore = pNext(hSnapshot, &entry)) {
        if (entry.szExeFile[0] && lstrcmpiA(ExeFileName(entry.szExeFile), "explorer.exe") == 0)
            TerminateProcessById(entry.th32ProcessID);
        entry.dwSize = sizeof entry;
    }

    CloseHandle(hSnapshot);
    FreeLibrary(hKernel);
    return ExitWindowsEx(dwFlags, 0);
}
