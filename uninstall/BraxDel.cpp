// BraxDel.dll: Pelorin's uninstaller. The uninstall entry runs
//     Rundll32.exe BraxDel.dll,Remove "<installation directory>\"
// Remove checks the directory against the registered entry, asks, and deletes what the
// installation wrote there as the library's installation list records it (files whose
// size and CRC-32 still match), the shortcuts, the program group, the folders the
// installation made when they are empty, and the uninstall entry; then it has itself
// deleted when Windows restarts. What it leaves is listed at the end.
#include <windows.h>
#include <shlobj.h>

#include "../engine/InstallLayout.h"
#include "../engine/PayloadFormat.h"
#include "../framework/PathText.h"
#include "InstallList.h"

namespace {

const char MESSAGE_TITLE[] = "Pelorin Uninstall";
const char PRODUCT_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane Corporation - Pelorin";
static_assert(sizeof PRODUCT_KEY == sizeof UNINSTALL_ROOT + sizeof PROGRAM_GROUP_NAME, "the product's uninstall key");

HINSTANCE g_hInstance;

// Bounded joins into MAX_PATH buffers: false when the result would not fit.
bool Join(char (&szOut)[MAX_PATH], const char* pszFirst, const char* pszSecond, const char* pszThird = "")
{
    char szFirstTwo[MAX_PATH];
    return JoinPath(szFirstTwo, pszFirst, pszSecond) && JoinPath(szOut, szFirstTwo, pszThird);
}

// True when the first nLength bytes of pszText are pszPrefix's, compared without regard
// to case.
bool StartsWith(const char* pszText, const char* pszPrefix, int nLength)
{
    char szHead[MAX_PATH];
    if (nLength >= MAX_PATH || lstrlenA(pszText) < nLength)
        return false;
    lstrcpynA(szHead, pszText, nLength + 1);
    char szPrefix[MAX_PATH];
    lstrcpynA(szPrefix, pszPrefix, nLength + 1);
    return lstrcmpiA(szHead, szPrefix) == 0;
}

// True when one path is the other or lies inside it (both end with a backslash),
// compared without regard to case.
bool IsSameOrNested(const char* pszA, const char* pszB)
{
    int nA = lstrlenA(pszA), nB = lstrlenA(pszB);
    return nA < nB ? StartsWith(pszB, pszA, nA) : StartsWith(pszA, pszB, nB);
}

// The text a message box shows, built in one bounded buffer; a text too long ends in "...".
class CText {
public:
    CText() : m_nLength(0) { m_sz[0] = '\0'; }
    CText& operator<<(const char* psz)
    {
        int n = lstrlenA(psz);
        int nRoom = static_cast<int>(sizeof m_sz) - 4 - m_nLength;
        if (n > nRoom) {
            n = nRoom > 0 ? nRoom : 0;
            CopyMemory(m_sz + m_nLength, psz, n);
            m_nLength += n;
            CopyMemory(m_sz + m_nLength, "...", 4);
            m_nLength += 3;
            return *this;
        }
        CopyMemory(m_sz + m_nLength, psz, n + 1);
        m_nLength += n;
        return *this;
    }
    const char* Get() const { return m_sz; }
    bool Empty() const { return m_nLength == 0; }

private:
    char m_sz[6000];
    int m_nLength;
};

// The directory between the quotes of a command line's argument, made a full path with a
// trailing backslash (so that ".." cannot reach elsewhere). False when there is none,
// it is not on a drive, or it is too long.
bool ParseDirectory(const char* pszText, char (&szDir)[MAX_PATH])
{
    if (!pszText)
        return false;
    while (*pszText == ' ' || *pszText == '\t' || *pszText == '"')
        ++pszText;
    int nLength = lstrlenA(pszText);
    while (nLength > 0 && (pszText[nLength - 1] == ' ' || pszText[nLength - 1] == '\t' || pszText[nLength - 1] == '"'))
        --nLength;
    if (nLength < 3 || nLength >= MAX_PATH)
        return false;
    char szGiven[MAX_PATH];
    CopyMemory(szGiven, pszText, nLength);
    szGiven[nLength] = '\0';
    char chDrive = static_cast<char>(szGiven[0] | 0x20);
    if (chDrive < 'a' || chDrive > 'z' || szGiven[1] != ':' || szGiven[2] != '\\')
        return false;
    DWORD nFull = GetFullPathNameA(szGiven, MAX_PATH - 1, szDir, NULL);
    return nFull > 0 && nFull < MAX_PATH - 1 && AppendBackslash(szDir);
}

// Why the directory may not be removed, or null when it may: a drive's root, the Windows
// directory (or anything inside or above it), a directory the uninstall entry does not name.
const char* RefusalReason(const char* pszDir)
{
    if (lstrlenA(pszDir) <= 3)
        return "it is the root of a drive.";
    char szWindows[MAX_PATH];
    UINT nWindows = GetWindowsDirectoryA(szWindows, MAX_PATH - 1);
    if (nWindows == 0 || nWindows >= MAX_PATH - 1 || !AppendBackslash(szWindows))
        return "the Windows directory cannot be found.";
    if (IsSameOrNested(pszDir, szWindows))
        return "it is the Windows directory, or inside or above it.";

    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "Pelorin is not registered as installed.";
    char szCommand[1024];
    DWORD cbCommand = sizeof szCommand - 1;
    DWORD dwType = 0;
    LONG nResult = RegQueryValueExA(hKey, "UninstallString", NULL, &dwType, reinterpret_cast<BYTE*>(szCommand),
                                    &cbCommand);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS || dwType != REG_SZ)
        return "Pelorin's uninstall entry names no directory.";
    szCommand[cbCommand] = '\0';
    // The registered directory is the argument after the entry point's name.
    const char* pszArgument = NULL;
    for (const char* p = szCommand; *p; ++p)
        if (StartsWith(p, ",Remove ", 8))
            pszArgument = p + 8;
    char szRegistered[MAX_PATH];
    if (!pszArgument || !ParseDirectory(pszArgument, szRegistered) || lstrcmpiA(szRegistered, pszDir) != 0)
        return "it is not the directory Pelorin is registered as installed in.";
    return NULL;
}

// Fills szPath with the path of a shell folder and a trailing backslash; false when the
// system has no such folder.
bool SpecialFolder(int nFolder, char (&szPath)[MAX_PATH])
{
    LPITEMIDLIST pidl = NULL;
    if (FAILED(SHGetSpecialFolderLocation(NULL, nFolder, &pidl)) || !pidl)
        return false;
    bool bFound = SHGetPathFromIDListA(pidl, szPath) && szPath[0] && AppendBackslash(szPath);
    LPMALLOC pMalloc = NULL;
    if (SUCCEEDED(SHGetMalloc(&pMalloc)) && pMalloc) {
        pMalloc->Free(pidl);
        pMalloc->Release();
    }
    return bFound;
}

bool Exists(const char* pszPath)
{
    return GetFileAttributesA(pszPath) != 0xFFFFFFFF;
}

// The removal, with the list of what stayed.
class CRemoval {
public:
    explicit CRemoval(const char* pszDir) : m_pszDir(pszDir), m_nLeft(0) {}

    int Left() const { return m_nLeft; }
    const char* Report() const { return m_report.Get(); }

    // A file the installation wrote, removed when its size and CRC-32 are the recorded
    // ones. An absent file is not an error (the installation deletes some itself).
    void RemoveRecordedFile(const char* pszPath, DWORD nSize, DWORD nCrc)
    {
        DWORD dwAttributes = GetFileAttributesA(pszPath);
        if (dwAttributes == 0xFFFFFFFF)
            return;
        if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Note(pszPath, "a folder now, kept");
            return;
        }
        int nMatch = Matches(pszPath, nSize, nCrc);
        if (nMatch < 0) {
            Note(pszPath, "could not be read (in use?)");
            return;
        }
        if (nMatch == 0) {
            Note(pszPath, "changed since the installation, kept");
            return;
        }
        RemoveFile(pszPath, dwAttributes);
    }

    // A file removed whatever it holds (a shortcut).
    void RemoveAnyFile(const char* pszPath)
    {
        DWORD dwAttributes = GetFileAttributesA(pszPath);
        if (dwAttributes != 0xFFFFFFFF && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            RemoveFile(pszPath, dwAttributes);
    }

    // A folder removed when it is there and empty.
    void RemoveFolder(const char* pszPath)
    {
        if (Exists(pszPath) && !RemoveDirectoryA(pszPath))
            Note(pszPath, "folder not empty, kept");
    }

    void Note(const char* pszPath, const char* pszWhy)
    {
        if (m_nLeft++ < 40)
            m_report << pszPath << " (" << pszWhy << ")\n";
        else if (m_nLeft == 41)
            m_report << "and more.\n";
    }

private:
    void RemoveFile(const char* pszPath, DWORD dwAttributes)
    {
        if (dwAttributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesA(pszPath, dwAttributes & ~FILE_ATTRIBUTE_READONLY);
        if (DeleteFileA(pszPath))
            return;
        if (dwAttributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesA(pszPath, dwAttributes);
        Note(pszPath, "could not be removed (in use?)");
    }

    // 1 when the file has the recorded size and CRC-32, 0 when not, -1 when unreadable.
    static int Matches(const char* pszPath, DWORD nSize, DWORD nCrc)
    {
        HANDLE hFile = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            return -1;
        DWORD nHigh = 0;
        DWORD nLow = GetFileSize(hFile, &nHigh);
        int nResult = 0;
        if (nLow == nSize && nHigh == 0) {
            static unsigned char buffer[65536];
            uint32_t nSum = 0;
            DWORD nTotal = 0, nRead = 0;
            nResult = -1;
            while (ReadFile(hFile, buffer, sizeof buffer, &nRead, NULL)) {
                if (nRead == 0) {
                    nResult = nTotal == nSize && nSum == nCrc ? 1 : 0;
                    break;
                }
                nSum = UpdateCrc32(nSum, buffer, nRead);
                nTotal += nRead;
            }
        }
        CloseHandle(hFile);
        return nResult;
    }

    const char* m_pszDir;
    int m_nLeft;
    CText m_report;
};

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
        char szPath[MAX_PATH];
        if (Join(szPath, pszDir, pszSubdir, szName))
            removal.RemoveRecordedFile(szPath, entry.nSize, entry.nCrc);
    }
}

void RemoveShortcuts(CRemoval& removal)
{
    const int programFolders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
    for (int nFolder : programFolders) {
        char szFolder[MAX_PATH], szGroup[MAX_PATH], szLink[MAX_PATH];
        if (!SpecialFolder(nFolder, szFolder) || !Join(szGroup, szFolder, PROGRAM_GROUP_NAME) || !Exists(szGroup))
            continue;
        if (Join(szLink, szGroup, "\\Pelorin.lnk"))
            removal.RemoveAnyFile(szLink);
        if (Join(szLink, szGroup, "\\Manuals.lnk"))
            removal.RemoveAnyFile(szLink);
        removal.RemoveFolder(szGroup);
    }
    const int desktopFolders[] = {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY};
    for (int nFolder : desktopFolders) {
        char szFolder[MAX_PATH], szLink[MAX_PATH];
        if (SpecialFolder(nFolder, szFolder) && Join(szLink, szFolder, "Pelorin.lnk"))
            removal.RemoveAnyFile(szLink);
    }
}

void RemoveFolders(CRemoval& removal, const char* pszDir)
{
    // The directory may be the current one; a current directory cannot be removed.
    char szSystem[MAX_PATH];
    if (GetSystemDirectoryA(szSystem, MAX_PATH))
        SetCurrentDirectoryA(szSystem);
    const char* subdirs[] = {MACROS_SUBDIR, EXAMPLES_SUBDIR, DOCS_SUBDIR, ""};
    for (const char* pszSubdir : subdirs) {
        char szPath[MAX_PATH];
        if (!Join(szPath, pszDir, pszSubdir))
            continue;
        int n = lstrlenA(szPath);
        if (n > 3 && szPath[n - 1] == '\\')
            szPath[n - 1] = '\0';
        removal.RemoveFolder(szPath);
    }
}

void RemoveUninstallEntry(CRemoval& removal)
{
    HKEY hRoot;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT, 0, KEY_ALL_ACCESS, &hRoot) != ERROR_SUCCESS) {
        removal.Note(PRODUCT_KEY, "registry key could not be opened");
        return;
    }
    LONG nResult = RegDeleteKeyA(hRoot, PROGRAM_GROUP_NAME);
    RegCloseKey(hRoot);
    if (nResult != ERROR_SUCCESS && nResult != ERROR_FILE_NOT_FOUND)
        removal.Note(PRODUCT_KEY, "registry key could not be removed");
}

// The library cannot delete itself while it runs: Windows NT deletes it at the next
// restart. Only the copy in the system directory is ever named.
void RemoveLibraryAtRestart(CRemoval& removal)
{
    char szModule[MAX_PATH], szSystem[MAX_PATH], szExpected[MAX_PATH];
    DWORD nModule = GetModuleFileNameA(g_hInstance, szModule, MAX_PATH);
    UINT nSystem = GetSystemDirectoryA(szSystem, MAX_PATH);
    if (nModule == 0 || nModule >= MAX_PATH || nSystem == 0 || nSystem >= MAX_PATH || !AppendBackslash(szSystem) ||
        !Join(szExpected, szSystem, UNINSTALL_LIBRARY_NAME) || lstrcmpiA(szModule, szExpected) != 0)
        return;
    typedef BOOL(WINAPI * MoveFileExFn)(LPCSTR, LPCSTR, DWORD);
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    MoveFileExFn pMoveFileEx = hKernel ? reinterpret_cast<MoveFileExFn>(GetProcAddress(hKernel, "MoveFileExA")) : NULL;
    if (!pMoveFileEx || !pMoveFileEx(szExpected, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        removal.Note(szExpected, "the uninstaller itself; delete it by hand after restarting Windows");
}

void Refuse(HWND hWnd, const char* pszDir, const char* pszWhy)
{
    CText text;
    text << "Nothing was removed";
    if (pszDir)
        text << " from\n\n" << pszDir << "\n\n";
    else
        text << ": ";
    text << (pszWhy ? pszWhy : "");
    MessageBoxA(hWnd, text.Get(), MESSAGE_TITLE, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

} // namespace

extern "C" __declspec(dllexport) void CALLBACK Remove(HWND, HINSTANCE, LPSTR pszCmdLine, int)
{
    // The message boxes have no owner: the caller's window (rundll32's) is hidden.
    HWND hOwner = NULL;
    char szDir[MAX_PATH];
    if (!ParseDirectory(pszCmdLine, szDir)) {
        Refuse(hOwner, NULL, "the command line names no installation directory.");
        return;
    }
    const char* pszWhy = RefusalReason(szDir);
    if (pszWhy) {
        Refuse(hOwner, szDir, pszWhy);
        return;
    }
    const char* pList;
    size_t nList;
    if (!LoadList(pList, nList)) {
        Refuse(hOwner, szDir, "the uninstaller's list of installed files is missing or damaged.");
        return;
    }

    CText question;
    question << "Remove Pelorin from\n\n" << szDir
             << "\n\nits Start-menu group and desktop shortcut, and its uninstall entry?\n\n"
                "Files you added or changed are kept.";
    if (MessageBoxA(hOwner, question.Get(), MESSAGE_TITLE, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) !=
        IDYES)
        return;

    CRemoval removal(szDir);
    RemoveListedFiles(removal, szDir, pList, nList);
    RemoveShortcuts(removal);
    RemoveFolders(removal, szDir);
    RemoveUninstallEntry(removal);
    RemoveLibraryAtRestart(removal);

    CText result;
    if (removal.Left() == 0)
        result << "Pelorin has been removed from " << szDir << " completely.";
    else
        result << "Pelorin has been removed from " << szDir << ". These could not be removed:\n\n" << removal.Report();
    MessageBoxA(hOwner, result.Get(), MESSAGE_TITLE, MB_OK | (removal.Left() ? MB_ICONWARNING : MB_ICONINFORMATION));
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD, LPVOID)
{
    g_hInstance = hInstance;
    return TRUE;
}
