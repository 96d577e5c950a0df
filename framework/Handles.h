// Owning wrappers for kernel handles, loaded libraries and registry keys: each releases
// what it holds when it goes out of scope, and cannot be copied.
#pragma once

#include <windows.h>

// A handle closed with CloseHandle: a process, a thread, a snapshot. Both NULL and
// INVALID_HANDLE_VALUE mean none (the functions that make them fail with one or the other).
class CHandle {
public:
    explicit CHandle(HANDLE hHandle = NULL) : m_hHandle(hHandle) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    bool IsValid() const { return m_hHandle != NULL && m_hHandle != INVALID_HANDLE_VALUE; }
    // Closes the handle held so far (before the end of the scope: what it kept open may
    // then go) and holds hHandle instead.
    void Reset(HANDLE hHandle = NULL)
    {
        if (IsValid())
            CloseHandle(m_hHandle);
        m_hHandle = hHandle;
    }
    operator HANDLE() const { return m_hHandle; }

private:
    HANDLE m_hHandle;
};

// A library loaded with LoadLibraryA, freed at the end of the scope.
class CLibrary {
public:
    explicit CLibrary(const char* pszName) : m_hModule(LoadLibraryA(pszName)) {}
    ~CLibrary()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    bool IsLoaded() const { return m_hModule != NULL; }
    // The address of an exported function as the given function-pointer type; NULL when
    // the library or the function is missing.
    template <typename Function>
    Function Find(const char* pszName) const
    {
        return m_hModule ? reinterpret_cast<Function>(GetProcAddress(m_hModule, pszName)) : NULL;
    }

private:
    HMODULE m_hModule;
};

// An open registry key, closed at the end of the scope.
class CRegKey {
public:
    CRegKey() : m_hKey(NULL) {}
    ~CRegKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    HKEY Get() const { return m_hKey; }
    // For the functions that open or create a key into a pointer.
    HKEY* Out() { return &m_hKey; }

private:
    HKEY m_hKey;
};
