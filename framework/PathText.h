// Path text in fixed buffers: bounded joins, the trailing backslash, and comparisons that
// ignore the case of ASCII letters only (other bytes are code-page characters and are
// compared as they stand). No windows.h: the host tests and tools use it too.
#pragma once

#include <cstddef>
#include <cstring>

// pszDest = pszFirst followed by pszSecond, when both fit nDestSize with the NUL; false
// (pszDest untouched) otherwise. Each part is read at most nDestSize bytes far, so an
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

inline bool EndsWithBackslash(const char* pszPath)
{
    size_t nLength = std::strlen(pszPath);
    return nLength > 0 && pszPath[nLength - 1] == '\\';
}

// Appends a backslash to the path in pszPath (a buffer of nSize bytes) unless it ends with
// one already; false (nothing changed) when there is no room for it. An empty path stays
// empty and is refused: it names no directory.
inline bool AppendBackslash(char* pszPath, size_t nSize)
{
    size_t nLength = strnlen(pszPath, nSize);
    if (nLength == 0 || nLength >= nSize)
        return false;
    if (pszPath[nLength - 1] == '\\')
        return true;
    if (nLength + 1 >= nSize)
        return false;
    pszPath[nLength] = '\\';
    pszPath[nLength + 1] = '\0';
    return true;
}

template <size_t N>
bool AppendBackslash(char (&szPath)[N])
{
    return AppendBackslash(szPath, N);
}

inline char LowerAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

inline char UpperAscii(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}

inline bool EqualsIgnoringAsciiCase(const char* pszA, const char* pszB)
{
    for (; *pszA && *pszB; ++pszA, ++pszB) {
        if (LowerAscii(*pszA) != LowerAscii(*pszB))
            return false;
    }
    return *pszA == *pszB;
}

// True when pszText begins with pszPrefix.
inline bool StartsWithIgnoringAsciiCase(const char* pszText, const char* pszPrefix)
{
    for (; *pszPrefix; ++pszText, ++pszPrefix) {
        if (!*pszText || LowerAscii(*pszText) != LowerAscii(*pszPrefix))
            return false;
    }
    return true;
}

// The first place in pszText where pszPart begins, or null.
inline const char* FindIgnoringAsciiCase(const char* pszText, const char* pszPart)
{
    for (; *pszText; ++pszText) {
        if (StartsWithIgnoringAsciiCase(pszText, pszPart))
            return pszText;
    }
    return *pszPart ? nullptr : pszText;
}

inline bool EndsWithIgnoringAsciiCase(const char* pszText, const char* pszSuffix)
{
    size_t nText = std::strlen(pszText);
    size_t nSuffix = std::strlen(pszSuffix);
    return nText >= nSuffix && EqualsIgnoringAsciiCase(pszText + nText - nSuffix, pszSuffix);
}
