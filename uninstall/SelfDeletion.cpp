#include "SelfDeletion.h"

#include "../app/InstallLog.h"
#include "../engine/InstallLayout.h"
#include "../engine/SpecialFolder.h"
#include "../framework/PathText.h"
#include "Removal.h"

namespace {

const char BY_HAND[] = "the uninstaller itself; delete it by hand after restarting Windows";

// The system directory with a trailing backslash.
bool SystemDirectory(char (&szDir)[MAX_PATH])
{
    UINT nLength = GetSystemDirectoryA(szDir, MAX_PATH);
    return nLength > 0 && nLength < MAX_PATH && AppendBackslash(szDir);
}

// True when pszModule is UNINSTALL_LIBRARY_NAME in one of the system directories.
bool IsInstalledLibrary(const char* pszModule)
{
    char szExpected[MAX_PATH], szDir[MAX_PATH];
    if (SystemDirectory(szDir) && JoinPath(szExpected, szDir, UNINSTALL_LIBRARY_NAME) &&
        EqualsIgnoringAsciiCase(pszModule, szExpected))
        return true;
    return GetWow64SystemDirectory(szDir) && AppendBackslash(szDir) &&
           JoinPath(szExpected, szDir, UNINSTALL_LIBRARY_NAME) && EqualsIgnoringAsciiCase(pszModule, szExpected);
}

// Eight hexadecimal digits over the eight characters at pszOut.
void WriteHex(char* pszOut, DWORD dwValue)
{
    for (int i = 7; i >= 0; --i, dwValue >>= 4)
        pszOut[i] = "0123456789ABCDEF"[dwValue & 0xF];
}

// Moves the library aside to "BraxDel-XXXXXXXX.del" in its folder; false, with nothing
// moved, when no such name could be had.
bool MoveAside(const char* pszModule, char (&szAside)[MAX_PATH])
{
    char szFolder[MAX_PATH];
    lstrcpynA(szFolder, pszModule, MAX_PATH);
    char* pszName = szFolder + lstrlenA(szFolder);
    while (pszName > szFolder && pszName[-1] != '\\')
        --pszName;
    *pszName = '\0';
    DWORD dwUnique = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int nTry = 0; nTry < 16; ++nTry) {
        char szName[] = "BraxDel-XXXXXXXX.del";
        WriteHex(szName + 8, dwUnique + nTry);
        if (JoinPath(szAside, szFolder, szName) && MoveFileA(pszModule, szAside))
            return true;
    }
    return false;
}

} // namespace

void RemoveLibraryAtRestart(HINSTANCE hLibrary, CRemoval& removal)
{
    char szModule[MAX_PATH];
    DWORD nModule = GetModuleFileNameA(hLibrary, szModule, MAX_PATH);
    if (nModule == 0 || nModule >= MAX_PATH) {
        removal.Note(UNINSTALL_LIBRARY_NAME, BY_HAND);
        return;
    }
    if (!IsInstalledLibrary(szModule)) {
        removal.Note(szModule, "the uninstaller itself, not where the installation put it; left as it is");
        return;
    }
    // Where no name of its own can be had, the library is scheduled by its own name.
    char szAside[MAX_PATH];
    bool bAside = MoveAside(szModule, szAside);
    const char* pszScheduled = bAside ? szAside : szModule;
    if (MoveFileExA(pszScheduled, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        LogStepFormat("%s is deleted when Windows restarts", pszScheduled);
        return;
    }
    // Not scheduled (Windows 95/98 have no such deletion): the library goes back where a
    // user looks for it.
    if (bAside && MoveFileA(szAside, szModule))
        pszScheduled = szModule;
    removal.Note(pszScheduled, BY_HAND);
}
