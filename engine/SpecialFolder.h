// The system's folders the setup program and the uninstaller both look up: the shell
// folders where the shortcuts go and are looked for again, and WOW64's system directory,
// where the uninstaller lies on 64-bit Windows.
#pragma once

#include <windows.h>

// The file-system path of a shell folder (CSIDL_*), ending in a backslash: 1, or 0 when
// the folder has no file-system path that fits the buffer.
int GetSpecialFolder(int nFolder, char (&szPath)[MAX_PATH]);

// The folder of the 32-bit system programs when this 32-bit program runs under WOW64 on
// 64-bit Windows, without a trailing backslash; false everywhere else (and on systems
// that predate WOW64, which lack the two functions it needs).
bool GetWow64SystemDirectory(char (&szDir)[MAX_PATH]);
