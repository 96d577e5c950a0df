#include "String.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

int CString::Find(const char* pszSub) const
{
    size_t nPos = m_str.find(pszSub ? pszSub : "");
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

void CString::MakeLower()
{
    for (char& ch : m_str)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
}

void CString::Truncate(int nNewLength)
{
    if (nNewLength >= 0 && static_cast<size_t>(nNewLength) < m_str.size())
        m_str.resize(static_cast<size_t>(nNewLength));
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list argsCopy;
    va_copy(argsCopy, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, args);
    va_end(args);
    if (nLength < 0) {
        va_end(argsCopy);
        m_str.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), pszFormat, argsCopy);
    va_end(argsCopy);
    m_str.assign(buffer.data(), static_cast<size_t>(nLength));
}
