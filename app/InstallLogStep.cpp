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

// "Pelorin Setup started on Windows NT 6.1.7601": an administrator reading a log from many
// machines sees which system each ran on. Windows 95/98/Me keep the build in the low word.
void FormatStartLine(const char* pszStarted, char (&szLine)[LOG_LINE_SIZE])
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        lstrcpynA(szLine, pszStarted, sizeof szLine);
        return;
    }
    bool bNt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    _snprintf(szLine, sizeof szLine - 1, "%s on Windows %s%lu.%lu.%lu", pszStarted, bNt ? "NT " : "",
              info.dwMajorVersion, info.dwMinorVersion, bNt ? info.dwBuildNumber : LOWORD(info.dwBuildNumber));
    szLine[sizeof szLine - 1] = '\0';
}

} // namespace

bool StartInstallLog(const char* pszPath, const char* pszFirstLine)
{
    char szStarted[LOG_LINE_SIZE];
    FormatStartLine(pszFirstLine, szStarted);
    DWORD nLength = GetFullPathNameA(pszPath, sizeof g_szLogPath, g_szLogPath, NULL);
    if (nLength == 0 || nLength >= sizeof g_szLogPath || !WriteLine(szStarted)) {
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
