// A critical section that lives as long as its owner, and a scope that holds it. Plain
// Win32: the functions are in kernel32 on every Windows the program runs on.
#pragma once

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Holds the section from its construction to the end of its scope. A wait inside the scope
// lets go with Leave and takes it again with Enter.
class CSectionLock {
public:
    explicit CSectionLock(CCriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~CSectionLock() { m_section.Leave(); }
    CSectionLock(const CSectionLock&) = delete;
    CSectionLock& operator=(const CSectionLock&) = delete;

    void Leave() { m_section.Leave(); }
    void Enter() { m_section.Enter(); }

private:
    CCriticalSection& m_section;
};
