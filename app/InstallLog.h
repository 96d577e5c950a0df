// The installation log that -log asks for: one line per step, appended to the file. Each
// line is written by opening the file, appending, flushing and closing it again, so that
// whatever ends the process leaves every line written before, and an older log is never
// replaced. No windows.h: the host tests use the writer; the clock is the caller's.
#pragma once

#include <cstddef>

#include "InstallSwitches.h"

// The local time a line is stamped with.
struct LogTime {
    unsigned nYear, nMonth, nDay, nHour, nMinute, nSecond;
};

// A line with its time stamp and line end: "2026-12-09 05:43:08 text\r\n". A text too
// long for the line is cut.
const size_t LOG_LINE_SIZE = 1400;

// Formats one line into pszOut (cchOut characters). Line breaks and other control
// characters in the text become spaces, so that a message of several lines stays one
// line of the log.
void FormatLogLine(const LogTime& time, const char* pszText, char* pszOut, size_t cchOut);

// Appends one formatted line to the file pszPath, creating it when it does not exist.
// false when the file cannot be opened or did not take the whole line.
bool AppendLogLine(const char* pszPath, const char* pszLine);

// Windows only. Where this process logs: pszPath made a full path now, before the
// installation directory becomes the current directory, and the first line written (the
// uninstaller, which logs the same way, names itself there). false, and no log, when the
// path cannot be resolved or the file cannot be written.
bool StartInstallLog(const char* pszPath, const char* pszFirstLine = "Pelorin Setup started");

// Windows only. Appends a line to the log when there is one; nothing otherwise.
void LogStep(const char* pszText);
// Windows only. The same with a printf format; the text is cut to a line's length.
void LogStepFormat(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
