#include "Refusal.h"

#include "../engine/InstallLayout.h"
#include "../framework/Handles.h"
#include "../framework/PathText.h"
#include "RemoveArguments.h"

namespace {

// True when one path is the other or lies inside it (both end with a backslash), compared
// byte by byte without regard to the case of ASCII letters.
bool IsSameOrNested(const char* pszA, const char* pszB)
{
    return StartsWithIgnoringAsciiCase(pszA, pszB) || StartsWithIgnoringAsciiCase(pszB, pszA);
}

// The directory the registered uninstall command names, made a full path; false when
// Pelorin is not registered (pszWhy says how).
bool RegisteredDirectory(char (&szDir)[MAX_PATH], const char*& pszWhy)
{
    pszWhy = "Pelorin is not registered as installed.";
    CRegKey uninstall, product;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT, 0, KEY_READ, uninstall.Out()) != ERROR_SUCCESS ||
        RegOpenKeyExA(uninstall.Get(), PROGRAM_GROUP_NAME, 0, KEY_READ, product.Out()) != ERROR_SUCCESS)
        return false;
    pszWhy = "Pelorin's uninstall entry names no directory.";
    char szCommand[1024];
    DWORD cbCommand = sizeof szCommand - 1;
    DWORD dwType = 0;
    if (RegQueryValueExA(product.Get(), "UninstallString", NULL, &dwType, reinterpret_cast<BYTE*>(szCommand),
                         &cbCommand) != ERROR_SUCCESS ||
        dwType != REG_SZ)
        return false;
    szCommand[cbCommand] = '\0';
    const char* pszArguments = RegisteredRemoveArguments(szCommand);
    RemoveArguments registered;
    return pszArguments && ParseRemoveArguments(pszArguments, &registered) && FullDirectory(registered.szDir, szDir);
}

} // namespace

bool FullDirectory(const char* pszText, char (&szDir)[MAX_PATH])
{
    char chDrive = static_cast<char>(pszText[0] | 0x20);
    if (chDrive < 'a' || chDrive > 'z' || pszText[1] != ':' || pszText[2] != '\\')
        return false;
    DWORD nFull = GetFullPathNameA(pszText, MAX_PATH - 1, szDir, NULL);
    return nFull > 0 && nFull < MAX_PATH - 1 && AppendBackslash(szDir);
}

const char* RefusalReason(const char* pszDir, char (&szRegistered)[MAX_PATH])
{
    if (lstrlenA(pszDir) <= 3)
        return "it is the root of a drive.";
    char szWindows[MAX_PATH];
    UINT nWindows = GetWindowsDirectoryA(szWindows, MAX_PATH - 1);
    if (nWindows == 0 || nWindows >= MAX_PATH - 1 || !AppendBackslash(szWindows))
        return "the Windows directory cannot be found.";
    if (IsSameOrNested(pszDir, szWindows))
        return "it is the Windows directory, or inside or above it.";

    const char* pszWhy;
    if (!RegisteredDirectory(szRegistered, pszWhy))
        return pszWhy;
    if (!EqualsIgnoringAsciiCase(szRegistered, pszDir))
        return "it is not the directory Pelorin is registered as installed in.";
    return NULL;
}
