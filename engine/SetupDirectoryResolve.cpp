// The Windows half of the setup directory: the derived text made a full path.
#include <windows.h>

#include <cstdio>

#include "../framework/PathText.h"
#include "SetupDirectory.h"

bool ResolveSetupDirectory(const char* pszCommandLine, char* pszDir, size_t nDirSize)
{
    if (nDirSize == 0)
        return false;
    CString strText = DeriveSetupDirectory(pszCommandLine);
    DWORD nLength = GetFullPathNameA(strText, static_cast<DWORD>(nDirSize), pszDir, NULL);
    // 0 is a failure; a result that does not fit comes back as the size it would need.
    if (nLength == 0 || nLength >= nDirSize) {
        pszDir[0] = '\0';
        return false;
    }
    return true;
}

namespace {

// Empty while unresolved, or when the command line gave no directory that fits.
char g_szProcessSetupDir[SETUP_DIR_PATH_SIZE];

} // namespace

void ResolveProcessSetupDirectory(const char* pszCommandLine)
{
    ResolveSetupDirectory(pszCommandLine, g_szProcessSetupDir, sizeof g_szProcessSetupDir);
}

bool GetMediumFile(const char* pszFile, char* pszPath, size_t cchPath)
{
    if (cchPath == 0)
        return false;
    pszPath[0] = '\0';
    return g_szProcessSetupDir[0] != '\0' && JoinPath(pszPath, cchPath, g_szProcessSetupDir, pszFile);
}

bool MediumFileReadable(const char* pszFile)
{
    char szPath[SETUP_DIR_PATH_SIZE];
    if (!GetMediumFile(pszFile, szPath, sizeof szPath))
        return false;
    FILE* pFile = std::fopen(szPath, "r");
    if (!pFile)
        return false;
    std::fclose(pFile);
    return true;
}
