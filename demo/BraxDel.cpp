// Stand-in for the uninstall library of the demo payload. The uninstall entry runs
//     Rundll32.exe BraxDel.dll,Remove "<installation directory>\"
// and Remove deletes that directory with everything in it. It refuses a drive's root and
// the Windows directory with what is inside or above it, and it does not follow
// junctions or other reparse points out of the tree. The Start-menu group and the
// registry entry stay.
#include <windows.h>

#include <cstring>

#include "framework/FileSearch.h"

namespace {

const int MAX_DEPTH = 32;

// Copies pszDir + pszName (+ pszTail) into szOut; false when it would not fit.
bool JoinPath(char (&szOut)[MAX_PATH], const char* pszDir, const char* pszName, const char* pszTail)
{
    size_t nDir = std::strlen(pszDir), nName = std::strlen(pszName), nTail = std::strlen(pszTail);
    if (nDir + nName + nTail >= MAX_PATH)
        return false;
    std::memcpy(szOut, pszDir, nDir);
    std::memcpy(szOut + nDir, pszName, nName);
    std::memcpy(szOut + nDir + nName, pszTail, nTail + 1);
    return true;
}

bool IsDotEntry(const char* pszName)
{
    return std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0;
}

// Deletes everything inside pszDir (which ends with a backslash), then pszDir itself.
void RemoveTree(const char* pszDir, int nDepth)
{
    char szPattern[MAX_PATH];
    if (nDepth > MAX_DEPTH || !JoinPath(szPattern, pszDir, "*", ""))
        return;
    WIN32_FIND_DATAA data;
    CFileSearch search(szPattern, &data);
    if (search.Started()) {
        do {
            if (IsDotEntry(data.cFileName))
                continue;
            char szPath[MAX_PATH];
            bool bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            bool bReparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (!JoinPath(szPath, pszDir, data.cFileName, bDirectory && !bReparse ? "\\" : ""))
                continue;
            SetFileAttributesA(szPath, FILE_ATTRIBUTE_NORMAL);
            if (bDirectory && !bReparse)
                RemoveTree(szPath, nDepth + 1);
            else if (bDirectory)
                RemoveDirectoryA(szPath);
            else
                DeleteFileA(szPath);
        } while (search.Next(&data));
    }
    char szDir[MAX_PATH];
    if (JoinPath(szDir, pszDir, "", "")) {
        size_t nLength = std::strlen(szDir);
        if (nLength > 3 && szDir[nLength - 1] == '\\')
            szDir[nLength - 1] = '\0';
        RemoveDirectoryA(szDir);
    }
}

// True when one path is the other or lies inside it, compared without regard to case.
bool IsSameOrNested(const char* pszA, const char* pszB)
{
    size_t nA = std::strlen(pszA), nB = std::strlen(pszB);
    size_t nShorter = nA < nB ? nA : nB;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, pszA, static_cast<int>(nShorter), pszB,
                          static_cast<int>(nShorter)) == CSTR_EQUAL;
}

// The directory from the command line: quotes and surrounding blanks dropped, made a
// full path (so that ".." cannot reach above it) with a trailing backslash. Refused: no
// drive, a drive's root, and the Windows directory, anything inside it or above it.
bool ParseInstallDir(const char* pszCmdLine, char (&szDir)[MAX_PATH])
{
    if (!pszCmdLine)
        return false;
    while (*pszCmdLine == ' ' || *pszCmdLine == '\t' || *pszCmdLine == '"')
        ++pszCmdLine;
    size_t nLength = std::strlen(pszCmdLine);
    while (nLength > 0 && (pszCmdLine[nLength - 1] == ' ' || pszCmdLine[nLength - 1] == '\t' ||
                           pszCmdLine[nLength - 1] == '"'))
        --nLength;
    char szGiven[MAX_PATH];
    if (nLength < 3 || nLength >= MAX_PATH)
        return false;
    std::memcpy(szGiven, pszCmdLine, nLength);
    szGiven[nLength] = '\0';
    bool bDrive = ((szGiven[0] | 0x20) >= 'a' && (szGiven[0] | 0x20) <= 'z') && szGiven[1] == ':' && szGiven[2] == '\\';
    if (!bDrive)
        return false;

    DWORD nFull = GetFullPathNameA(szGiven, MAX_PATH - 1, szDir, NULL);
    if (nFull == 0 || nFull >= MAX_PATH - 1)
        return false;
    if (szDir[nFull - 1] != '\\') {
        szDir[nFull++] = '\\';
        szDir[nFull] = '\0';
    }
    if (nFull <= 3)
        return false;
    char szWindows[MAX_PATH];
    UINT nWindows = GetWindowsDirectoryA(szWindows, MAX_PATH - 1);
    if (nWindows == 0 || nWindows >= MAX_PATH - 1)
        return false;
    if (szWindows[nWindows - 1] != '\\') {
        szWindows[nWindows++] = '\\';
        szWindows[nWindows] = '\0';
    }
    return !IsSameOrNested(szDir, szWindows);
}

}  // namespace

extern "C" __declspec(dllexport) void CALLBACK Remove(HWND, HINSTANCE, LPSTR pszCmdLine, int)
{
    char szDir[MAX_PATH];
    if (ParseInstallDir(pszCmdLine, szDir))
        RemoveTree(szDir, 0);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
