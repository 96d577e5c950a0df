// CFileSearch: a FindFirstFileA/FindNextFileA search, closed when it goes out of scope.
#pragma once

#include <windows.h>

class CFileSearch {
public:
    // Starts the search; pData receives the first entry when there is one.
    CFileSearch(const char* pszPattern, WIN32_FIND_DATAA* pData) : m_hFind(FindFirstFileA(pszPattern, pData)) {}
    ~CFileSearch()
    {
        if (Started())
            FindClose(m_hFind);
    }
    CFileSearch(const CFileSearch&) = delete;
    CFileSearch& operator=(const CFileSearch&) = delete;

    bool Started() const { return m_hFind != INVALID_HANDLE_VALUE; }
    // The next entry into pData; false when there is none (or the search failed).
    bool Next(WIN32_FIND_DATAA* pData) { return FindNextFileA(m_hFind, pData) != FALSE; }

private:
    HANDLE m_hFind;
};
