// Payload extraction: every archive entry inflated in one call into one growing block
// and written with one write call, one progress tick per file.
#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include <zlib.h>

#include "../app/SetupWnd.h"
#include "Engine.h"
#include "ExtractRules.h"
#include "FileStream.h"
#include "IsWin9x.h"
#include "PayloadFormat.h"
#include "PayloadReader.h"

namespace {

const char MEMORY_ERROR[] = "Memory allocation error";
const char DECOMPRESSION_ERROR[] = "Decompression error";
const char CREATE_ERROR_FORMAT[] = "Could not create file <%s>";
const char WRITE_ERROR_FORMAT[] = "Could not write to file <%s>";

// The decompression block: one committed region of exactly the largest entry size met so
// far. It never shrinks, and it is released on every way out of the extraction.
class CInflateBlock {
public:
    CInflateBlock() : m_pData(NULL), m_nCapacity(0) {}
    ~CInflateBlock() { Release(); }
    CInflateBlock(const CInflateBlock&) = delete;
    CInflateBlock& operator=(const CInflateBlock&) = delete;

    BYTE* Data() const { return m_pData; }

    // Makes the block hold nSize bytes: a block large enough is kept, a smaller one is
    // replaced. FALSE when no block could be had (a zero-byte block never can).
    BOOL Reserve(DWORD nSize)
    {
        if (m_pData && m_nCapacity >= nSize)
            return TRUE;
        Release();
        m_pData = static_cast<BYTE*>(VirtualAlloc(NULL, nSize, MEM_COMMIT, PAGE_READWRITE));
        if (m_pData)
            m_nCapacity = nSize;
        return m_pData != NULL;
    }

    void Release()
    {
        if (m_pData)
            VirtualFree(m_pData, 0, MEM_RELEASE);
        m_pData = NULL;
        m_nCapacity = 0;
    }

private:
    BYTE* m_pData;
    DWORD m_nCapacity;
};

// The system directory with a trailing backslash; empty when it cannot be had or leaves
// no room for the backslash.
void FetchSystemDirectory(char (&szDir)[PATH_BUFFER_SIZE])
{
    UINT nLength = GetSystemDirectoryA(szDir, sizeof szDir);
    if (nLength == 0 || nLength >= sizeof szDir || !AppendBackslash(szDir))
        szDir[0] = '\0';
}

// Clears the way for a file whose creation found something at the path: a read-only file
// loses the attribute, then whatever it is gets deleted. Failures show at the open after.
void MakeRoom(const char* pszPath)
{
    DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (dwAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(pszPath, dwAttributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileA(pszPath);
}

// Creates the file as a "wb" stream only when nothing stands at the path; NULL otherwise.
// Asking for a new file answers "is anything there?" in the same call that creates it,
// where probing first and creating after costs the file system two lookups of the name
// (under Wine each one a read of the whole folder when the name is not there).
FILE* CreateNewFileStream(const char* pszPath)
{
    HANDLE hFile = CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    int nDescriptor = _open_osfhandle(reinterpret_cast<intptr_t>(hFile), _O_WRONLY | _O_BINARY);
    if (nDescriptor == -1) {
        CloseHandle(hFile);
        return NULL;
    }
    FILE* pFile = _fdopen(nDescriptor, "wb");
    if (!pFile)
        _close(nDescriptor);
    return pFile;
}

void MakeReadOnly(const char* pszPath)
{
    DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(pszPath, dwAttributes | FILE_ATTRIBUTE_READONLY);
}

} // namespace

const char* CSetupWnd::ExtractPayload()
{
    // A setup program without its payload has nothing it could unpack.
    if (!LocateArchive())
        return DECOMPRESSION_ERROR;
    return ExtractArchive();
}

const char* CSetupWnd::ExtractArchive()
{
    // The whole header chain is walked before the first file is written: a payload cut
    // short (a broken download or copy) or without its end record installs nothing.
    const BYTE* pArchive = m_pArchivePos;
    const size_t nArchiveSize = static_cast<size_t>(m_pArchiveEnd - m_pArchivePos);
    if (!PayloadChainIsWhole(pArchive, nArchiveSize))
        return DECOMPRESSION_ERROR;

    char szSystemDir[PATH_BUFFER_SIZE];
    FetchSystemDirectory(szSystemDir);

    CInflateBlock block;
    PayloadReader reader(pArchive, nArchiveSize);
    PayloadEntry entry;
    const PayloadEntryHeader& header = entry.header;
    char szPath[PATH_BUFFER_SIZE];

    for (;;) {
        PayloadReadStatus status = reader.Next(entry);
        if (status == PAYLOAD_READ_END) {
            // The cursor ends just past the end code, the only part of the end record read.
            m_pArchivePos = pArchive + reader.Offset() + sizeof header.dwDestination;
            return NULL;
        }
        // The walk above has seen the whole chain; this is the reader keeping its word.
        if (status != PAYLOAD_READ_ENTRY)
            return DECOMPRESSION_ERROR;

        if (!block.Reserve(header.dwSize))
            return MEMORY_ERROR;
        // The entry's own size is the output limit: a stream that inflates to more is broken.
        uLongf nOutput = header.dwSize;
        if (uncompress(block.Data(), &nOutput, entry.pStream, header.dwPackedSize) != Z_OK)
            return DECOMPRESSION_ERROR;
        m_pArchivePos = pArchive + reader.Offset();

        const char* pszDir;
        switch (header.dwDestination) {
        case DEST_SYSTEM:
            if (!szSystemDir[0])
                return FormatErrorText(CREATE_ERROR_FORMAT, header.szName);
            pszDir = szSystemDir;
            break;
        case DEST_MACROS:
            pszDir = m_szMacrosDir;
            break;
        case DEST_EXAMPLES:
            pszDir = m_szExamplesDir;
            break;
        default:
            // Relative to the current directory, the installation directory.
            pszDir = "";
            break;
        }
        // A path the program cannot hold cannot be created either.
        if (!JoinPath(szPath, pszDir, header.szName))
            return FormatErrorText(CREATE_ERROR_FORMAT, pszDir, header.szName);

        // Nothing at the destination is the usual case: the file is created at once.
        // Otherwise whatever stands there goes first, read-only or not.
        CFileStream file(CreateNewFileStream(szPath));
        if (!file.IsOpen()) {
            MakeRoom(szPath);
            file.Open(szPath, "wb");
        }
        if (!file.IsOpen())
            return FormatErrorText(CREATE_ERROR_FORMAT, szPath);
        // The file goes out in one piece: unbuffered, the one write reaches the system as
        // one write, without a stream buffer to fill and flush at the close.
        std::setvbuf(file.Get(), NULL, _IONBF, 0);
        if (std::fwrite(block.Data(), 1, nOutput, file.Get()) != nOutput || !file.Close())
            return FormatErrorText(WRITE_ERROR_FORMAT, szPath);

        SendProgressTick();

        if (IsCommonControlLibrary(header.szName) && !IsWin9x())
            DeleteFileA(szPath);
        if (IsReadOnlyKind(header.szName))
            MakeReadOnly(szPath);
    }
}
