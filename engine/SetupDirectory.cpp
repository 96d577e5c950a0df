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
