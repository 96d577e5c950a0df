// Whether the uninstaller may remove a directory, and the directory it then works on.
#pragma once

#include <windows.h>

// The directory text given on the command line (a drive path) as a full path with a
// trailing backslash, so that ".." cannot reach elsewhere. false when it is not on a
// drive or too long.
bool FullDirectory(const char* pszText, char (&szDir)[MAX_PATH]);

// Why pszDir (a full path with its backslash) may not be removed, or null when it may: a
// drive's root, the Windows directory (or anything inside or above it), a directory the
// uninstall entry does not name. When it may, szRegistered holds the directory as the
// entry names it (it may differ in the case of its letters): the removal works on that.
const char* RefusalReason(const char* pszDir, char (&szRegistered)[MAX_PATH]);
