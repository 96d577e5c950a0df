#pragma once

#include <windows.h>

// Hears what became of a restart, in words for the log.
typedef void (*RestartNoteFn)(const char* pszText);

// Terminates every "explorer.exe" process (when dwFlags holds EWX_FORCE) and asks
// Windows to shut down with dwFlags. Nonzero when the shutdown was accepted. pfnNote, when
// given, hears "Restarting Windows" just before the request is made, and then, when
// Windows refuses it, that it did; or, when no request could be made, why not.
BOOL RestartWindows(UINT dwFlags, RestartNoteFn pfnNote = NULL);
