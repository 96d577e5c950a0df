// The path arithmetic of the directory chooser: the search patterns it builds from the
// edit field, the list entries and the drive entries, and the tests it makes on them.
// Pure text work on bounded buffers, so that it is shared by the dialog and the host tests.
//
// Every builder writes a NUL-terminated text into a buffer of cchOut characters and
// returns false, leaving the buffer empty, when the text would not fit: the chooser then
// refuses the step and keeps showing what it showed before.
#pragma once

#include <cstddef>

// Size of every path buffer of the chooser: at most 255 characters and the terminator.
const size_t CHOOSER_TEXT_SIZE = 256;

// The pattern the chooser starts from: the path, a backslash unless it ends in one, and
// "*". "C:\Pelorin" gives C:\Pelorin\*; an empty path gives \*.
bool BuildStartPattern(const char* pszPath, char* pszOut, size_t cchOut);

// The pattern one level up from the edit text: one trailing backslash removed, then the
// last component (back to the last backslash or colon), "\" when nothing is left, and
// "*". C:\Pelorin\Data\ gives C:\Pelorin\*; C:\ gives C:*; Temp gives \*.
bool BuildUpPattern(const char* pszEditText, char* pszOut, size_t cchOut);

// The pattern one level down into the list entry "[name]": the edit text, a backslash
// unless it ends in one, the name, "\*". An entry shorter than its two brackets is refused.
bool BuildDescendPattern(const char* pszEditText, const char* pszEntry, char* pszOut, size_t cchOut);

// The pattern of a drive entry such as "[-d-]": its third character and ":*" (d:*).
bool BuildDrivePattern(const char* pszDriveEntry, char* pszOut, size_t cchOut);

// True for a resolved path that is the root of a drive: a colon as its second character
// and "*" as its fourth (C:\*).
bool IsDriveRootPattern(const char* pszResolved);

// True for the list entry that leads one level up.
bool IsParentEntry(const char* pszEntry);

// The directory-list entry for a found directory: "[name]". False when the directory is
// not listed: ".", ".." at the root of a drive, and a name whose entry would not fit
// (such a directory could never be entered through a 256-character pattern anyway).
bool BuildDirectoryEntry(const char* pszName, bool bDriveRoot, char* pszOut, size_t cchOut);

// The text the edit field shows for a resolved pattern: everything before its first "*".
void CutAtFirstStar(char* pszText);

// The character that names the drive of a resolved path: its first character with the
// ASCII lower-case bit set.
char DriveCharOf(const char* pszResolved);

// True when the drive entry, lower-cased, contains chDrive anywhere.
bool DriveEntryMatches(const char* pszDriveEntry, char chDrive);

// The length of a text once one trailing backslash is removed: C:\Pelorin\ keeps 10,
// D:\Apps\\ keeps its first backslash.
size_t LengthWithoutTrailingBackslash(const char* pszText);
