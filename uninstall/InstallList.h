// The installation list BraxDel.dll carries (written into it by the payload tool): one
// text line per payload file and per manual, with the size and CRC-32 of the bytes the
// setup program wrote. No windows.h: the host tests read lists with it too.
//
//   F<TAB>code<TAB>size<TAB>crc32 (hex)<TAB>name
//   D<TAB>size<TAB>crc32 (hex)<TAB>name
//
// Lines starting with # are comments. Names are bytes of the Windows code page.
#pragma once

#include <cstddef>
#include <cstdint>

// The resource (RT_RCDATA) that holds the list.
const int INSTALL_LIST_RESOURCE = 1;

struct InstallListEntry {
    bool bManual;        // a manual of the medium, in <dir>Docs\ .
    uint32_t nCode;      // a payload entry's destination code
    uint32_t nSize;
    uint32_t nCrc;
    const char* pName;   // not terminated: nNameLength bytes
    size_t nNameLength;
};

// CRC-32 (the zlib and PNG polynomial) of nLength bytes, continuing from nCrc (0 to start).
inline uint32_t UpdateCrc32(uint32_t nCrc, const unsigned char* pData, size_t nLength)
{
    nCrc = ~nCrc;
    while (nLength--) {
        nCrc ^= *pData++;
        for (int nBit = 0; nBit < 8; ++nBit)
            nCrc = (nCrc >> 1) ^ (0xEDB88320u & (0u - (nCrc & 1u)));
    }
    return ~nCrc;
}

// Walks the list's lines. Next() is false at the end and at the first malformed line
// (Failed() tells which): a damaged list is one the uninstaller does not act on.
class CInstallListReader {
public:
    CInstallListReader(const char* pText, size_t nLength) : m_pPos(pText), m_pEnd(pText + nLength), m_bFailed(false) {}

    bool Failed() const { return m_bFailed; }

    bool Next(InstallListEntry& entry)
    {
        while (m_pPos < m_pEnd) {
            const char* pLine = m_pPos;
            const char* pLineEnd = pLine;
            while (pLineEnd < m_pEnd && *pLineEnd != '\n')
                ++pLineEnd;
            m_pPos = pLineEnd < m_pEnd ? pLineEnd + 1 : pLineEnd;
            if (pLineEnd > pLine && pLineEnd[-1] == '\r')
                --pLineEnd;
            if (pLineEnd == pLine || *pLine == '#')
                continue;
            if (!ParseLine(pLine, pLineEnd, entry)) {
                m_bFailed = true;
                m_pPos = m_pEnd;
                return false;
            }
            return true;
        }
        return false;
    }

private:
    static bool Field(const char*& p, const char* pEnd, unsigned nBase, uint32_t& nValue)
    {
        uint64_t n = 0;
        const char* pStart = p;
        for (; p < pEnd && *p != '\t'; ++p) {
            unsigned nDigit;
            if (*p >= '0' && *p <= '9')
                nDigit = static_cast<unsigned>(*p - '0');
            else if (nBase == 16 && (*p | 0x20) >= 'a' && (*p | 0x20) <= 'f')
                nDigit = static_cast<unsigned>((*p | 0x20) - 'a' + 10);
            else
                return false;
            n = n * nBase + nDigit;
            if (n > 0xFFFFFFFFu)
                return false;
        }
        if (p == pStart || p == pEnd)
            return false;
        ++p;  // the tab
        nValue = static_cast<uint32_t>(n);
        return true;
    }

    static bool ParseLine(const char* p, const char* pEnd, InstallListEntry& entry)
    {
        if (pEnd - p < 2 || (p[0] != 'F' && p[0] != 'D') || p[1] != '\t')
            return false;
        entry.bManual = p[0] == 'D';
        p += 2;
        entry.nCode = 0;
        if (!entry.bManual && !Field(p, pEnd, 10, entry.nCode))
            return false;
        if (!Field(p, pEnd, 10, entry.nSize) || !Field(p, pEnd, 16, entry.nCrc))
            return false;
        entry.pName = p;
        entry.nNameLength = static_cast<size_t>(pEnd - p);
        for (; p < pEnd; ++p)
            if (*p == '\t' || *p == '\\' || *p == '/' || *p == ':' || *p == '\0')
                return false;
        return entry.nNameLength > 0 && entry.nNameLength < 256;
    }

    const char* m_pPos;
    const char* m_pEnd;
    bool m_bFailed;
};
