#pragma once

#include <windows.h>

// TRUE on Windows 95 and 98 only (not on Me, not on the NT family).
BOOL IsWin9x();
