// BraxDel.dll: Pelorin's uninstaller. The uninstall entry runs
//     Rundll32.exe BraxDel.dll,Remove "<installation directory>\"
// and, for deployment tools, the same with -silent (QuietUninstallString). Remove checks the
// directory against the registered entry, asks (unless silent), and deletes what the
// installation wrote there as the library's installation list records it (files whose
// size and CRC-32 still match), the shortcuts, the program group, the folders the
// installation made when they are empty, and the uninstall entry; then it has itself
// deleted when Windows restarts. What it leaves is listed at the end, and the outcome is
// the process exit code (Rundll32's own is always 0).
#include <windows.h>
#include <shlobj.h>

#include "../app/InstallLog.h"
#include "../engine/InstallLayout.h"
#include "../engine/PayloadFormat.h"
#include "../engine/SpecialFolder.h"
#include "../framework/Handles.h"
#include "../framework/PathText.h"
#include "../framework/RunningObject.h"
#include "InstallList.h"
#include "MessageText.h"
#include "Refusal.h"
#include "Removal.h"
#include "RemoveArguments.h"
#include "SelfDeletion.h"

namespace {

const char MESSAGE_TITLE[] = "Pelorin Uninstall";

HINSTANCE g_hInstance;

// COM on this thread for the shell's folder lookups, as the setup program has it: the
// shell then allocates its item lists with the allocator they are freed with.
class CComInitialization {
public:
    CComInitialization() : m_bInitialized(SUCCEEDED(CoInitialize(NULL))) {}
    ~CComInitialization()
    {
        if (m_bInitialized)
            CoUninitialize();
    }
    CComInitialization(const CComInitialization&) = delete;
    CComInitialization& operator=(const CComInitialization&) = delete;

private:
    bool m_bInitialized;
};

// Bounded join into a MAX_PATH buffer: false when the result would not fit.
bool Join(char (&szOut)[MAX_PATH], const char* pszFirst, const char* pszSecond, const char* pszThird = "")
{
    char szFirstTwo[MAX_PATH];
    return JoinPath(szFirstTwo, pszFirst, pszSecond) && JoinPath(szOut, szFirstTwo, pszThird);
}

bool Exists(const char* pszPath)
{
    return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

// The installation list from the library's resource; false when it is missing or damaged.
bool LoadList(const char*& pText, size_t& nLength)
{
    HRSRC hResource = FindResourceA(g_hInstance, MAKEINTRESOURCEA(INSTALL_LIST_RESOURCE), MAKEINTRESOURCEA(10));
    HGLOBAL hData = hResource ? LoadResource(g_hInstance, hResource) : NULL;
    pText = hData ? static_cast<const char*>(LockResource(hData)) : NULL;
    nLength = pText ? SizeofResource(g_hInstance, hResource) : 0;
    if (!pText)
        return false;
    CInstallListReader reader(pText, nLength);
    InstallListEntry entry;
    while (reader.Next(entry)) {
    }
    return !reader.Failed();
}

void RemoveListedFiles(CRemoval& removal, const char* pszDir, const char* pText, size_t nLength)
{
    CInstallListReader reader(pText, nLength);
    InstallListEntry entry;
    while (reader.Next(entry)) {
        char szName[MAX_PATH];
        CopyMemory(szName, entry.pName, entry.nNameLength);
        szName[entry.nNameLength] = '\0';
        const char* pszSubdir = "";
        if (entry.bManual)
            pszSubdir = DOCS_SUBDIR;
        else if (entry.nCode == DEST_SYSTEM)
            continue;  // the system directory keeps all but this library
        else if (entry.nCode == DEST_MACROS)
            pszSubdir = MACROS_SUBDIR;
        else if (entry.nCode == DEST_EXAMPLES)
            pszSubdir = EXAMPLES_SUBDIR;
        // Nothing behind a folder that is a link is the installation's.
        char szFolder[MAX_PATH], szPath[MAX_PATH];
        if (Join(szFolder, pszDir, pszSubdir) && CRemoval::MayEnter(pszDir) && CRemoval::MayEnter(szFolder) &&
            JoinPath(szPath, szFolder, szName))
            removal.RemoveRecordedFile(szPath, entry.nSize, entry.nCrc);
    }
}

void RemoveShortcuts(CRemoval& removal)
{
    const int programFolders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
    for (int nFolder : programFolders) {
        char szFolder[MAX_PATH], szGroup[MAX_PATH], szLink[MAX_PATH];
        if (!GetSpecialFolder(nFolder, szFolder) || !Join(szGroup, szFolder, PROGRAM_GROUP_NAME) || !Exists(szGroup))
            continue;
        if (CRemoval::MayEnter(szGroup)) {
            if (Join(szLink, szGroup, "\\", APPLICATION_LINK_NAME))
                removal.RemoveAnyFile(szLink);
            if (Join(szLink, szGroup, "\\", MANUALS_LINK_NAME))
                removal.RemoveAnyFile(szLink);
        }
        removal.RemoveFolder(szGroup);
    }
    const int desktopFolders[] = {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY};
    for (int nFolder : desktopFolders) {
        char szFolder[MAX_PATH], szLink[MAX_PATH];
        if (GetSpecialFolder(nFolder, szFolder) && Join(szLink, szFolder, APPLICATION_LINK_NAME))
            removal.RemoveAnyFile(szLink);
    }
}

void RemoveFolders(CRemoval& removal, const char* pszDir)
{
    // The directory may be the current one; a current directory cannot be removed.
    char szSystem[MAX_PATH];
    if (GetSystemDirectoryA(szSystem, MAX_PATH))
        SetCurrentDirectoryA(szSystem);
    // A directory that is a link is reported as such, and its folders are not looked into.
    const char* subdirs[] = {MACROS_SUBDIR, EXAMPLES_SUBDIR, DOCS_SUBDIR, ""};
    const bool bEntered = CRemoval::MayEnter(pszDir);
    for (const char* pszSubdir : subdirs) {
        char szPath[MAX_PATH];
        if ((bEntered || !*pszSubdir) && Join(szPath, pszDir, pszSubdir))
            removal.RemoveFolder(szPath);
    }
}

void RemoveUninstallEntry(CRemoval& removal)
{
    char szKey[MAX_PATH];
    if (!ProductKeyText(szKey, sizeof szKey))
        lstrcpynA(szKey, PROGRAM_GROUP_NAME, sizeof szKey);
    CRegKey root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT, 0, KEY_ALL_ACCESS, root.Out()) != ERROR_SUCCESS) {
        removal.Note(szKey, "registry key could not be opened");
        return;
    }
    LONG nResult = RegDeleteKeyA(root.Get(), PROGRAM_GROUP_NAME);
    if (nResult != ERROR_SUCCESS && nResult != ERROR_FILE_NOT_FOUND)
        removal.Note(szKey, "registry key could not be removed");
}

// Nothing removed: the reason logged and, unless silent, shown.
int Refuse(const RemoveArguments& arguments, const char* pszDir, const char* pszWhy)
{
    LogStepFormat("Refused: nothing was removed%s%s: %s", pszDir ? " from " : "", pszDir ? pszDir : "", pszWhy);
    if (arguments.bSilent)
        return REMOVE_EXIT_NOTHING_REMOVED;
    CMessageText text;
    text << "Nothing was removed";
    if (pszDir)
        text << " from\n\n" << pszDir << "\n\n";
    else
        text << ": ";
    text << pszWhy;
    // The message boxes have no owner: the caller's window (Rundll32's) is hidden.
    MessageBoxA(NULL, text.Get(), MESSAGE_TITLE, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
    return REMOVE_EXIT_NOTHING_REMOVED;
}

bool Confirm(const char* pszDir)
{
    CMessageText question;
    question << "Remove Pelorin from\n\n" << pszDir
             << "\n\nits Start-menu group and desktop shortcut, and its uninstall entry?\n\n"
                "Files you added or changed are kept.";
    return MessageBoxA(NULL, question.Get(), MESSAGE_TITLE,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

// The outcome: logged and, unless silent, shown with the list of what stayed.
int Finish(const RemoveArguments& arguments, const CRemoval& removal, const char* pszDir)
{
    LogStepFormat("Removed Pelorin from %s; %d things stayed", pszDir, removal.Left());
    if (!arguments.bSilent) {
        CMessageText result;
        if (removal.Left() == 0)
            result << "Pelorin has been removed from " << pszDir << " completely.";
        else
            result << "Pelorin has been removed from " << pszDir << ". These could not be removed:\n\n"
                   << removal.Report();
        MessageBoxA(NULL, result.Get(), MESSAGE_TITLE, MB_OK | (removal.Left() ? MB_ICONWARNING : MB_ICONINFORMATION));
    }
    return removal.Left() ? REMOVE_EXIT_LEFT_SOME : REMOVE_EXIT_REMOVED;
}

int RunRemove(const char* pszCmdLine)
{
    RemoveArguments arguments;
    const bool bUnderstood = ParseRemoveArguments(pszCmdLine, &arguments);
    if (arguments.szLog[0]) {
        if (!StartInstallLog(arguments.szLog, "Pelorin Uninstall started"))
            return Refuse(arguments, NULL, "the log file cannot be written.");
        LogStepFormat("Command line: %s", pszCmdLine ? pszCmdLine : "");
    }
    if (!bUnderstood)
        return Refuse(arguments, NULL,
                      "the command line holds more than the installation directory, -silent and -log=.");
    // One at a time: a setup program or another uninstaller may be working on the same files.
    CRunningObject running;
    if (!running.Claim(RUNNING_OBJECT_NAME))
        return Refuse(arguments, NULL, "Pelorin Setup or another uninstall of Pelorin is running.");
    char szDir[MAX_PATH];
    if (!arguments.szDir[0] || !FullDirectory(arguments.szDir, szDir))
        return Refuse(arguments, NULL, "the command line names no installation directory.");
    char szRegistered[MAX_PATH];
    const char* pszWhy = RefusalReason(szDir, szRegistered);
    if (pszWhy)
        return Refuse(arguments, szDir, pszWhy);
    const char* pList;
    size_t nList;
    if (!LoadList(pList, nList))
        return Refuse(arguments, szRegistered, "the uninstaller's list of installed files is missing or damaged.");
    if (!arguments.bSilent && !Confirm(szRegistered)) {
        LogStep("Nothing was removed: the question was answered No");
        return REMOVE_EXIT_NOTHING_REMOVED;
    }

    CComInitialization com;
    CRemoval removal;
    RemoveListedFiles(removal, szRegistered, pList, nList);
    RemoveShortcuts(removal);
    RemoveFolders(removal, szRegistered);
    RemoveUninstallEntry(removal);
    RemoveLibraryAtRestart(g_hInstance, removal);
    return Finish(arguments, removal, szRegistered);
}

} // namespace

extern "C" __declspec(dllexport) void CALLBACK Remove(HWND, HINSTANCE, LPSTR pszCmdLine, int)
{
    int nExitCode = RunRemove(pszCmdLine);
    LogStepFormat("Uninstall ended with exit code %d", nExitCode);
    // Rundll32 ends with 0 whatever its entry point did: the outcome ends the process.
    ExitProcess(static_cast<UINT>(nExitCode));
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD, LPVOID)
{
    g_hInstance = hInstance;
    return TRUE;
}
