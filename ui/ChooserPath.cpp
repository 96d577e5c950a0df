#include "ChooserPath.h"

#include <cstring>

#include "../framework/PathText.h"

namespace {

// Appends to a fixed buffer and remembers whether everything fitted; a text that did not
// fit is never half written, the buffer is emptied instead.
class BoundedText {
public:
    BoundedText(char* pszOut, size_t cchOut) : m_psz(pszOut), m_cch(cchOut), m_nLength(0), m_bFits(cchOut > 0)
    {
        if (m_bFits)
            m_psz[0] = '\0';
    }

    void Append(const char* pch, size_t nCount)
    {
        if (!m_bFits)
            return;
        if (nCount >= m_cch - m_nLength) {
            m_bFits = false;
            m_psz[0] = '\0';
            return;
        }
        std::memcpy(m_psz + m_nLength, pch, nCount);
        m_nLength += nCount;
        m_psz[m_nLength] = '\0';
    }
    void Append(const char* psz) { Append(psz, std::strlen(psz)); }

    bool Fits() const { return m_bFits; }

private:
    char* m_psz;
    size_t m_cch;
    size_t m_nLength;
    bool m_bFits;
};

bool EndsWith(const char* psz, size_t nLength, char ch)
{
    return nLength > 0 && psz[nLength - 1] == ch;
}

} // namespace

bool BuildStartPattern(const char* pszPath, char* pszOut, size_t cchOut)
{
    BoundedText out(pszOut, cchOut);
    size_t nLength = std::strlen(pszPath);
    out.Append(pszPath, nLength);
    if (!EndsWith(pszPath, nLength, '\\'))
        out.Append("\\");
    out.Append("*");
    return out.Fits();
}

bool BuildUpPattern(const char* pszEditText, char* pszOut, size_t cchOut)
{
    size_t nLength = std::strlen(pszEditText);
    if (EndsWith(pszEditText, nLength, '\\'))
        --nLength;
    while (nLength > 0 && pszEditText[nLength - 1] != '\\' && pszEditText[nLength - 1] != ':')
        --nLength;

    BoundedText out(pszOut, cchOut);
    if (nLength == 0)
        out.Append("\\");
    else
        out.Append(pszEditText, nLength);
    out.Append("*");
    return out.Fits();
}

bool BuildDescendPattern(const char* pszEditText, const char* pszEntry, char* pszOut, size_t cchOut)
{
    BoundedText out(pszOut, cchOut);
    size_t nEntryLength = std::strlen(pszEntry);
    if (nEntryLength < 2)
        return false;
    size_t nEditLength = std::strlen(pszEditText);
    out.Append(pszEditText, nEditLength);
    if (!EndsWith(pszEditText, nEditLength, '\\'))
        out.Append("\\");
    out.Append(pszEntry + 1, nEntryLength - 2);
    out.Append("\\*");
    return out.Fits();
}

bool BuildDrivePattern(const char* pszDriveEntry, char* pszOut, size_t cchOut)
{
    BoundedText out(pszOut, cchOut);
    if (std::strlen(pszDriveEntry) < 3)
        return false;
    out.Append(pszDriveEntry + 2, 1);
    out.Append(":*");
    return out.Fits();
}

bool IsDriveRootPattern(const char* pszResolved)
{
    return pszResolved[0] != '\0' && pszResolved[1] == ':' && pszResolved[2] != '\0' && pszResolved[3] == '*';
}

bool IsParentEntry(const char* pszEntry)
{
    return std::strcmp(pszEntry, "[..]") == 0;
}

bool BuildDirectoryEntry(const char* pszName, bool bDriveRoot, char* pszOut, size_t cchOut)
{
    BoundedText out(pszOut, cchOut);
    if (std::strcmp(pszName, ".") == 0 || (bDriveRoot && std::strcmp(pszName, "..") == 0))
        return false;
    out.Append("[");
    out.Append(pszName);
    out.Append("]");
    return out.Fits();
}

void CutAtFirstStar(char* pszText)
{
    char* pStar = std::strchr(pszText, '*');
    if (pStar)
        *pStar = '\0';
}

char DriveCharOf(const char* pszResolved)
{
    return static_cast<char>(pszResolved[0] | 0x20);
}

bool DriveEntryMatches(const char* pszDriveEntry, char chDrive)
{
    for (const char* p = pszDriveEntry; *p; ++p) {
        if (LowerAscii(*p) == chDrive)
            return true;
    }
    return false;
}

size_t LengthWithoutTrailingBackslash(const char* pszText)
{
    size_t nLength = std::strlen(pszText);
    return EndsWith(pszText, nLength, '\\') ? nLength - 1 : nLength;
}
