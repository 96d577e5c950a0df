// CRunningObject: a named object that one process at a time holds, so that a second copy
// of a program (or another program of the same product) can tell that the first one runs.
// The name is created in the system's global namespace ("Global\" before it) where the
// system has session namespaces, so that a copy in another session (another user, a
// remote desktop, a service) sees it too; Windows 95/98 and NT 4.0 have no such prefix
// (NT 4.0 refuses the name), and there the plain name serves. The object goes when its
// holder closes it or ends.
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
        if (JoinPath(szGlobal, "Global\\", pszName)) {
            Outcome outcome = Create(szGlobal);
            if (outcome != NO_SUCH_NAMESPACE)
                return outcome != HELD_ELSEWHERE;
        }
        return Create(pszName) != HELD_ELSEWHERE;
    }

    // Lets another copy start from here on.
    void Release() { m_mutex.Reset(); }

private:
    enum Outcome { CLAIMED, HELD_ELSEWHERE, NO_SUCH_NAMESPACE };

    Outcome Create(const char* pszName)
    {
        HANDLE hMutex = CreateMutexA(NULL, FALSE, pszName);
        DWORD dwError = GetLastError();
        if (!hMutex)
            // Another user's copy made it with rights this process lacks.
            return dwError == ERROR_ACCESS_DENIED ? HELD_ELSEWHERE : NO_SUCH_NAMESPACE;
        if (dwError == ERROR_ALREADY_EXISTS) {
            CloseHandle(hMutex);
            return HELD_ELSEWHERE;
        }
        m_mutex.Reset(hMutex);
        return CLAIMED;
    }

    CHandle m_mutex;
};
