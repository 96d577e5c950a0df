// The Windows half of the setup directory: the derived text made a full path.
#include <windows.h>

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

bool GetSetupDirectoryFile(const char* pszCommandLine, const char* pszFile, char* pszPath, size_t cchPath)
{
    if (cchPath == 0)
        return false;
    pszPath[0] = '\0';
    char szDir[SETUP_DIR_PATH_SIZE];
    return ResolveSetupDirectory(pszCommandLine, szDir, sizeof szDir) && JoinPath(pszPath, cchPath, szDir, pszFile);
}
