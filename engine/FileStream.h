// A run-time library file stream that is closed on every way out of its scope.
#pragma once

#include <cstdio>

class CFileStream {
public:
    CFileStream(const char* pszPath, const char* pszMode) : m_pFile(std::fopen(pszPath, pszMode)) {}
    // Takes over a stream opened elsewhere; NULL makes a stream that is not open.
    explicit CFileStream(FILE* pFile) : m_pFile(pFile) {}
    ~CFileStream() { Close(); }
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    bool IsOpen() const { return m_pFile != NULL; }
    // Opens pszPath, closing whatever the stream held before unexamined.
    bool Open(const char* pszPath, const char* pszMode)
    {
        Close();
        m_pFile = std::fopen(pszPath, pszMode);
        return m_pFile != NULL;
    }
    FILE* Get() const { return m_pFile; }
    // False when the stream's last bytes could not be written or the file not closed: a
    // file written through a stream counts as written only once this has succeeded. The
    // destructor's close on a way out after a failure is not examined.
    bool Close()
    {
        if (!m_pFile)
            return true;
        // The last block goes out at the flush. Its failure is asked for there: not every
        // run-time library reports it through fclose (Wine's forgets it).
        bool bFlushed = std::fflush(m_pFile) == 0 && !std::ferror(m_pFile);
        bool bClosed = std::fclose(m_pFile) == 0;
        m_pFile = NULL;
        return bFlushed && bClosed;
    }

private:
    FILE* m_pFile;
};
