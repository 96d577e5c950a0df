// CRunningObject: a named object that one process at a time holds, so that a second copy
// of a program (or another program of the same product) can tell that the first one runs.
// The name is made in the system's global namespace ("Global\" before it) where the system
// has session namespaces, so that a copy in another session (another user, a remote
// desktop, a service) sees it too. Windows 95/98 and NT 4.0 have no such prefix (NT 4.0
// refuses the name), and a process without the right to make global objects (one started
// without administrator rights) cannot make one there: the session's own name serves then.
// The object goes when its holder closes it or ends.
#pragma once

#include <windows.h>

#include "Handles.h"
#include "PathText.h"

class CRunningObject {
public:
    CRunningObject() {}
    CRunningObject(const CRunningObject&) = delete;
    CRunningObject& operator=(const CRunningObject&) = delete;

    // true when this process now holds pszName; false when another process does. An
    // object that cannot be made at all does not stop the program: it runs as before.
    bool Claim(const char* pszName)
    {
        char szGlobal[MAX_PATH];
        const bool bGlobal = JoinPath(szGlobal, "Global\\", pszName);
        if ((bGlobal && IsHeld(szGlobal)) || IsHeld(pszName))
            return false;
        Outcome outcome = bGlobal ? Create(szGlobal) : NOT_MADE;
        if (outcome == NOT_MADE)
            outcome = Create(pszName);
        return outcome != HELD_ELSEWHERE;
    }

    // Lets another copy start from here on.
    void Release() { m_mutex.Reset(); }

private:
    enum Outcome { CLAIMED, HELD_ELSEWHERE, NOT_MADE };

    // A process that may not open the object (one with administrator rights made it) finds
    // it all the same.
    static bool IsHeld(const char* pszName)
    {
        CHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, pszName));
        return mutex.IsValid() || GetLastError() == ERROR_ACCESS_DENIED;
    }

    Outcome Create(const char* pszName)
    {
        HANDLE hMutex = CreateMutexA(NULL, FALSE, pszName);
        DWORD dwError = GetLastError();
        if (!hMutex)
            return NOT_MADE;
        if (dwError == ERROR_ALREADY_EXISTS) {
            CloseHandle(hMutex);
            return HELD_ELSEWHERE;
        }
        m_mutex.Reset(hMutex);
        return CLAIMED;
    }

    CHandle m_mutex;
};
