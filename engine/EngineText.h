// Text helpers of the installation engine: bounded path joins and the ASCII-only name
// comparisons of the extraction rules. No windows.h.
#pragma once

#include <cstddef>
#include <cstring>

// pszDest = pszFirst followed by pszSecond, when both fit nDestSize with the NUL; false
// (pszDest untouched) otherwise. pszFirst is read at most nDestSize bytes far, so an
// unterminated fixed-size buffer cannot lead the join astray.
inline bool JoinPath(char* pszDest, size_t nDestSize, const char* pszFirst, const char* pszSecond)
{
    size_t nFirst = strnlen(pszFirst, nDestSize);
    size_t nSecond = strnlen(pszSecond, nDestSize);
    if (nFirst + nSecond >= nDestSize)
        return false;
    std::memmove(pszDest, pszFirst, nFirst);
    std::memmove(pszDest + nFirst, pszSecond, nSecond);
    pszDest[nFirst + nSecond] = '\0';
    return true;
}

template <size_t N>
bool JoinPath(char (&szDest)[N], const char* pszFirst, const char* pszSecond)
{
    return JoinPath(szDest, N, pszFirst, pszSecond);
}

inline char LowerAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// Equality without regard to the case of ASCII letters; other bytes must match exactly,
// whatever the code page makes of them.
inline bool EqualsIgnoringAsciiCase(const char* pszA, const char* pszB)
{
    for (; *pszA && *pszB; ++pszA, ++pszB) {
        if (LowerAscii(*pszA) != LowerAscii(*pszB))
            return false;
    }
    return *pszA == *pszB;
}

inline bool EndsWithIgnoringAsciiCase(const char* pszText, const char* pszSuffix)
{
    size_t nText = std::strlen(pszText);
    size_t nSuffix = std::strlen(pszSuffix);
    return nText >= nSuffix && EqualsIgnoringAsciiCase(pszText + nText - nSuffix, pszSuffix);
}

// The common-control libraries of the payload, kept only on Windows 95/98.
inline bool IsCommonControlLibrary(const char* pszName)
{
    return EqualsIgnoringAsciiCase(pszName, "Comctl32.dll") || EqualsIgnoringAsciiCase(pszName, "Comdlg32.dll");
}

// Pattern and script files are installed read-only.
inline bool IsReadOnlyKind(const char* pszName)
{
    return EndsWithIgnoringAsciiCase(pszName, ".ptn") || EndsWithIgnoringAsciiCase(pszName, ".vbs");
}
