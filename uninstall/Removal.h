// CRemoval: the deletions of one uninstall, with the list of what stayed. A file counts as
// the installation's own only while its size and CRC-32 are the recorded ones; a folder
// is removed only when empty; a folder that is a link to another place (a junction, a
// symbolic link, a mount point) is neither entered nor removed, since what lies behind it
// is not what the installation wrote.
#pragma once

#include <windows.h>

#include "MessageText.h"

class CRemoval {
public:
    CRemoval() : m_nLeft(0) {}
    virtual ~CRemoval() {}
    CRemoval(const CRemoval&) = delete;
    CRemoval& operator=(const CRemoval&) = delete;

    // How many things stayed, and the list for the final message.
    int Left() const { return m_nLeft; }
    const char* Report() const { return m_report.Get(); }

    // A file the installation wrote, removed when its size and CRC-32 are the recorded
    // ones. An absent file is not an error (the installation deletes some itself).
    void RemoveRecordedFile(const char* pszPath, DWORD nSize, DWORD nCrc);
    // A file removed whatever it holds (a shortcut).
    void RemoveAnyFile(const char* pszPath);
    // A folder (with or without its trailing backslash) removed when it is there and
    // empty; a link is left as it is.
    void RemoveFolder(const char* pszFolder);
    // false for a folder that is a link to another place: nothing in it is touched (and
    // RemoveFolder reports it).
    static bool MayEnter(const char* pszFolder);
    // Something that stayed, and why.
    void Note(const char* pszPath, const char* pszWhy);

protected:
    // Between the check of a file and its deletion. The uninstaller does nothing here; a
    // test changes the file system at this point.
    virtual void BeforeDelete(const char* /*pszPath*/) {}

private:
    int m_nLeft;
    CMessageText m_report;
};
