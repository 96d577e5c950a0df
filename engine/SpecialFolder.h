// The file-system path of a shell folder: where the setup program puts its shortcuts and
// the uninstaller looks for them again.
#pragma once

#include <windows.h>

// The file-system path of a shell folder (CSIDL_*), ending in a backslash: 1, or 0 when
// the folder has no file-system path that fits the buffer.
int GetSpecialFolder(int nFolder, char (&szPath)[MAX_PATH]);
