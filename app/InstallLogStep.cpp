// The Windows half of the installation log: where it is, and the clock.
#include <windows.h>

#include <cstdarg>
#include <stdio.h>

#include "InstallLog.h"

namespace {

// Empty while no log was asked for.
char g_szLogPath[LOG_PATH_SIZE];

bool WriteLine(const char* pszText)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    char szLine[LOG_LINE_SIZE];
    FormatLogLine(time, pszText, szLine, sizeof szLine);
    return AppendLogLine(g_szLogPath, szLine);
}

} // namespace

bool StartInstallLog(const char* pszPath, const char* pszFirstLine)
{
    DWORD nLength = GetFullPathNameA(pszPath, sizeof g_szLogPath, g_szLogPath, NULL);
    if (nLength == 0 || nLength >= sizeof g_szLogPath || !WriteLine(pszFirstLine)) {
        g_szLogPath[0] = '\0';
        return false;
    }
    return true;
}

void LogStep(const char* pszText)
{
    // A line that cannot be written is lost; the installation does not depend on its log.
    if (g_szLogPath[0])
        WriteLine(pszText);
}

void LogStepFormat(const char* pszFormat, ...)
{
    if (!g_szLogPath[0])
        return;
    char szText[LOG_LINE_SIZE];
    va_list args;
    va_start(args, pszFormat);
    // The system C library's formatter, as everywhere in the program; a text that does
    // not fit is cut.
    int nLength = _vsnprintf(szText, sizeof szText - 1, pszFormat, args);
    va_end(args);
    szText[nLength < 0 ? sizeof szText - 1 : static_cast<size_t>(nLength)] = '\0';
    WriteLine(szText);
}
