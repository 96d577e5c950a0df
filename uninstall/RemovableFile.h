// CRemovableFile: a file the uninstaller may delete, checked and deleted through one
// handle. Between a check by path and a deletion by path, a user who may write to the
// installation directory could swap a folder on the way for a link to another place, and
// the deletion would hit a file there that was never checked. Held open (for reading and
// for deletion, shared for reading only) the file cannot be changed, and the deletion
// through the handle deletes the file that was checked, wherever its folder has gone.
// The handle names the link itself, not its target, when the path ends in one.
//
// Deletion through a handle needs SetFileInformationByHandle (Windows Vista and later,
// looked up at run time). Without it the file is checked through the handle, closed, and
// deleted by its path; the systems without it that have links at all (2000, XP) keep the
// short window between the two.
#pragma once

#include <windows.h>

#include "../framework/Handles.h"

class CRemovableFile {
public:
    explicit CRemovableFile(const char* pszPath);
    CRemovableFile(const CRemovableFile&) = delete;
    CRemovableFile& operator=(const CRemovableFile&) = delete;

    // false: the file could not be opened (in use, no rights).
    bool IsOpen() const { return m_file.IsValid(); }
    // A file with data of its own: not a folder and not a link to something else.
    bool IsPlainFile() const;
    // 1 when it has nSize bytes whose CRC-32 is nCrc, 0 when not, -1 when it cannot be read.
    int Matches(DWORD nSize, DWORD nCrc);
    // Deletes it (a read-only file too); false when the system refuses (in use).
    bool Delete();

private:
    bool SetAttributes(DWORD dwAttributes);
    bool DeleteByPath();

    typedef BOOL(WINAPI* SetFileInformationFn)(HANDLE, int, LPVOID, DWORD);

    const char* m_pszPath;
    SetFileInformationFn m_pSetInformation;
    CHandle m_file;
    DWORD m_dwAttributes;
};
