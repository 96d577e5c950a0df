#include "String.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "PathText.h"

namespace {

// The program has no way on without its texts: running out of memory for one ends it.
void* Reallocate(void* pBlock, size_t nBytes)
{
    void* pNew = std::realloc(pBlock, nBytes);
    if (!pNew)
        std::abort();
    return pNew;
}

} // namespace

CString::CString(const char* psz) : CString()
{
    if (psz)
        Assign(psz, std::strlen(psz));
}

CString::CString(const char* pch, int nLength) : CString()
{
    if (pch && nLength > 0)
        Assign(pch, static_cast<size_t>(nLength));
}

CString::CString(const CString& other) : CString()
{
    Assign(other.GetString(), other.m_nLength);
}

CString::CString(CString&& other) noexcept
    : m_pszData(other.m_pszData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity)
{
    other.m_pszData = NULL;
    other.m_nLength = 0;
    other.m_nCapacity = 0;
}

CString::~CString()
{
    std::free(m_pszData);
}

CString& CString::operator=(const char* psz)
{
    Assign(psz ? psz : "", psz ? std::strlen(psz) : 0);
    return *this;
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.GetString(), other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        std::free(m_pszData);
        m_pszData = other.m_pszData;
        m_nLength = other.m_nLength;
        m_nCapacity = other.m_nCapacity;
        other.m_pszData = NULL;
        other.m_nLength = 0;
        other.m_nCapacity = 0;
    }
    return *this;
}

void CString::Empty()
{
    m_nLength = 0;
    if (m_pszData)
        m_pszData[0] = '\0';
}

void CString::Reserve(size_t nLength)
{
    if (nLength < m_nCapacity)
        return;
    size_t nCapacity = m_nCapacity < 16 ? 16 : m_nCapacity;
    while (nCapacity <= nLength)
        nCapacity *= 2;
    m_pszData = static_cast<char*>(Reallocate(m_pszData, nCapacity));
    m_nCapacity = nCapacity;
}

// pch may point into this string's own text (s = s + ...): memmove, and the block is
// grown before pch is read only when pch lies elsewhere.
void CString::Assign(const char* pch, size_t nLength)
{
    if (nLength == 0) {
        Empty();
        return;
    }
    if (m_pszData && pch >= m_pszData && pch <= m_pszData + m_nLength) {
        std::memmove(m_pszData, pch, nLength);
    } else {
        Reserve(nLength);
        std::memcpy(m_pszData, pch, nLength);
    }
    m_pszData[nLength] = '\0';
    m_nLength = nLength;
}

void CString::Append(const char* pch, size_t nLength)
{
    if (nLength == 0)
        return;
    // Appending the string to itself: the text moves with the block.
    size_t nSelfOffset = static_cast<size_t>(-1);
    if (m_pszData && pch >= m_pszData && pch <= m_pszData + m_nLength)
        nSelfOffset = static_cast<size_t>(pch - m_pszData);
    Reserve(m_nLength + nLength);
    if (nSelfOffset != static_cast<size_t>(-1))
        pch = m_pszData + nSelfOffset;
    std::memmove(m_pszData + m_nLength, pch, nLength);
    m_nLength += nLength;
    m_pszData[m_nLength] = '\0';
}

CString& CString::operator+=(const char* psz)
{
    if (psz)
        Append(psz, std::strlen(psz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

bool CString::operator==(const char* psz) const
{
    return std::strcmp(GetString(), psz ? psz : "") == 0;
}

int CString::Find(const char* pszSub) const
{
    const char* pszFound = std::strstr(GetString(), pszSub ? pszSub : "");
    return pszFound ? static_cast<int>(pszFound - GetString()) : -1;
}

void CString::MakeLower()
{
    for (size_t i = 0; i < m_nLength; ++i)
        m_pszData[i] = LowerAscii(m_pszData[i]);
}

char* CString::GetBufferSetLength(int nLength)
{
    size_t nNew = nLength > 0 ? static_cast<size_t>(nLength) : 0;
    Reserve(nNew);
    m_nLength = nNew;
    m_pszData[nNew] = '\0';
    return m_pszData;
}

namespace {

// Formats into pszBuffer (nSize bytes): the length of the whole text when it fits with
// its NUL, otherwise a negative number. On Windows this is the system C library's own
// formatter: the C99 one that comes with the compiler's headers would add a printf
// implementation of its own, and imports that Windows 95 may lack, for nothing the program
// formats.
int FormatInto(char* pszBuffer, size_t nSize, const char* pszFormat, va_list args)
{
#ifdef _WIN32
    int nLength = _vsnprintf(pszBuffer, nSize, pszFormat, args);
#else
    int nLength = std::vsnprintf(pszBuffer, nSize, pszFormat, args);
#endif
    return nLength >= 0 && static_cast<size_t>(nLength) < nSize ? nLength : -1;
}

} // namespace

void CString::Format(const char* pszFormat, ...)
{
    // The text is formatted into a fresh block, larger each time until it fits: an
    // argument may be this very string.
    CString strResult;
    for (size_t nSize = 256; nSize <= 0x10000000; nSize *= 2) {
        va_list args;
        va_start(args, pszFormat);
        int nLength = FormatInto(strResult.GetBufferSetLength(static_cast<int>(nSize - 1)), nSize, pszFormat, args);
        va_end(args);
        if (nLength >= 0) {
            strResult.GetBufferSetLength(nLength);
            *this = static_cast<CString&&>(strResult);
            return;
        }
    }
    Empty();
}
