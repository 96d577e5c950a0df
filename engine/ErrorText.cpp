#include <cstdio>

#include "Engine.h"

char g_szErrorText[ERROR_TEXT_SIZE];

const char* FormatErrorText(const char* pszFormat, const char* pszFirst, const char* pszSecond)
{
    // Leaves room for the longest message text around the path.
    char szPath[ERROR_TEXT_SIZE - 64];
    const int nMax = static_cast<int>(sizeof szPath);
    std::snprintf(szPath, sizeof szPath, "%.*s%.*s", nMax, pszFirst, nMax, pszSecond);
    std::snprintf(g_szErrorText, sizeof g_szErrorText, pszFormat, szPath);
    return g_szErrorText;
}
