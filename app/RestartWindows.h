#pragma once

#include <windows.h>

// Terminates every "explorer.exe" process (when dwFlags holds EWX_FORCE) and asks
// Windows to shut down with dwFlags. Nonzero when the shutdown was accepted.
BOOL RestartWindows(UINT dwFlags);
