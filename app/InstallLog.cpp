#include "InstallLog.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends nValue as nDigits decimal digits (the lowest ones) and then chAfter.
size_t PutNumber(char* pszOut, size_t nAt, unsigned nValue, int nDigits, char chAfter)
{
    for (int i = nDigits - 1; i >= 0; --i) {
        pszOut[nAt + i] = static_cast<char>('0' + nValue % 10);
        nValue /= 10;
    }
    pszOut[nAt + nDigits] = chAfter;
    return nAt + nDigits + 1;
}

} // namespace

void FormatLogLine(const LogTime& time, const char* pszText, char* pszOut, size_t cchOut)
{
    // "YYYY-MM-DD hh:mm:ss " and, at the least, CR LF and the NUL.
    const size_t STAMP_LENGTH = 20;
    if (cchOut < STAMP_LENGTH + 3) {
        if (cchOut > 0)
            pszOut[0] = '\0';
        return;
    }
    size_t nAt = PutNumber(pszOut, 0, time.nYear, 4, '-');
    nAt = PutNumber(pszOut, nAt, time.nMonth, 2, '-');
    nAt = PutNumber(pszOut, nAt, time.nDay, 2, ' ');
    nAt = PutNumber(pszOut, nAt, time.nHour, 2, ':');
    nAt = PutNumber(pszOut, nAt, time.nMinute, 2, ':');
    nAt = PutNumber(pszOut, nAt, time.nSecond, 2, ' ');
    for (; *pszText && nAt + 3 < cchOut; ++pszText, ++nAt)
        pszOut[nAt] = static_cast<unsigned char>(*pszText) < 0x20 ? ' ' : *pszText;
    pszOut[nAt++] = '\r';
    pszOut[nAt++] = '\n';
    pszOut[nAt] = '\0';
}

bool AppendLogLine(const char* pszPath, const char* pszLine)
{
    FILE* pFile = std::fopen(pszPath, "ab");
    if (!pFile)
        return false;
    size_t nLine = std::strlen(pszLine);
    bool bWritten = std::fwrite(pszLine, 1, nLine, pFile) == nLine;
    bWritten = std::fflush(pFile) == 0 && bWritten;
    return std::fclose(pFile) == 0 && bWritten;
}
