// The extraction's two rules on names, ASCII-only: the common-control libraries are kept
// on Windows 95/98 only, and pattern and script files are installed read-only. No windows.h.
#pragma once

#include "../framework/PathText.h"

inline bool IsCommonControlLibrary(const char* pszName)
{
    return EqualsIgnoringAsciiCase(pszName, "Comctl32.dll") || EqualsIgnoringAsciiCase(pszName, "Comdlg32.dll");
}

inline bool IsReadOnlyKind(const char* pszName)
{
    return EndsWithIgnoringAsciiCase(pszName, ".ptn") || EndsWithIgnoringAsciiCase(pszName, ".vbs");
}
