// A run-time library file stream that is closed on every way out of its scope.
#pragma once

#include <cstdio>

class CFileStream {
public:
    CFileStream(const char* pszPath, const char* pszMode) : m_pFile(std::fopen(pszPath, pszMode)) {}
    ~CFileStream() { Close(); }
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    bool IsOpen() const { return m_pFile != NULL; }
    FILE* Get() const { return m_pFile; }
    // The result of closing is not examined: the data has been handed over by then.
    void Close()
    {
        if (m_pFile)
            std::fclose(m_pFile);
        m_pFile = NULL;
    }

private:
    FILE* m_pFile;
};
