#include "SetupDirectory.h"

#include <cstring>

CString DeriveSetupDirectory(const char* pszCommandLine)
{
    if (!pszCommandLine)
        return CString();
    const char* pszBegin = pszCommandLine;
    const char* pszEnd = std::strrchr(pszCommandLine, '\\');
    if (!pszEnd)
        pszEnd = pszCommandLine + std::strlen(pszCommandLine);
    if (pszBegin < pszEnd && *pszBegin == '"')
        ++pszBegin;
    return CString(pszBegin, static_cast<int>(pszEnd - pszBegin));
}

bool AppendToSetupDirectory(const char* pszDirectory, const char* pszFile, char* pszPath, size_t cchPath)
{
    if (cchPath == 0)
        return false;
    pszPath[0] = '\0';
    size_t cchDirectory = std::strlen(pszDirectory);
    size_t cchFile = std::strlen(pszFile);
    if (cchDirectory + cchFile >= cchPath)
        return false;
    std::memcpy(pszPath, pszDirectory, cchDirectory);
    std::memcpy(pszPath + cchDirectory, pszFile, cchFile + 1);
    return true;
}
