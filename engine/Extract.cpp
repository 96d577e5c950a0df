// Payload extraction: every archive entry inflated in one call and written with one write
// call, in archive order, one progress tick per file. With more than one processor the
// entries are inflated ahead (InflatePipeline.h); with one, one at a time into one block.
#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "../app/SetupWnd.h"
#include "Engine.h"
#include "ExtractRules.h"
#include "FileStream.h"
#include "InflatePipeline.h"
#include "IsWin9x.h"
#include "PayloadFormat.h"
#include "PayloadReader.h"

namespace {

const char MEMORY_ERROR[] = "Memory allocation error";
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

// One entry at a time into one block, on the writer's own thread: the extraction of a
// machine with one processor, and of one where no worker can be had.
class COneBlockAtATime : public CInflatedEntrySource {
public:
    COneBlockAtATime(const BYTE* pArchive, size_t nArchiveSize) : m_reader(pArchive, nArchiveSize) {}

    const InflatedEntry& TakeNext() override
    {
        InflatedEntry& next = m_next;
        PayloadReadStatus status = m_reader.Next(next.entry);
        next.nNextOffset = m_reader.Offset();
        next.pData = NULL;
        next.nOutput = 0;
        if (status != PAYLOAD_READ_ENTRY)
            next.outcome = status == PAYLOAD_READ_END ? INFLATE_END : INFLATE_BAD_ARCHIVE;
        else if (!m_block.Reserve(next.entry.header.dwSize))
            next.outcome = INFLATE_NO_MEMORY;
        else
            next.outcome = InflateEntryInto(next.entry, next.pData = m_block.Data(), &next.nOutput);
        return next;
    }
    void GiveBack() override {}

private:
    PayloadReader m_reader;
    CInflateBlock m_block;
    InflatedEntry m_next;
};

// The failure an inflater hands over, as the user reads it; NULL for an inflated entry.
const char* InflateErrorText(InflateOutcome outcome)
{
    switch (outcome) {
    case INFLATE_NO_MEMORY:
        return MEMORY_ERROR;
    case INFLATE_FAILED:
    case INFLATE_BAD_ARCHIVE:
        return DECOMPRESSION_ERROR;
    case INFLATE_DONE:
    case INFLATE_END:
        break;
    }
    return NULL;
}

// Inflating ahead pays where a second processor does the work.
bool InflateAheadWanted()
{
    switch (g_inflatePipelineSeam.ahead) {
    case AHEAD_ALWAYS:
        return true;
    case AHEAD_NEVER:
        return false;
    case AHEAD_BY_PROCESSORS:
        break;
    }
    return CWorkerThread::ProcessorCount() > 1;
}

DWORD InflateAheadBudget()
{
    return g_inflatePipelineSeam.nBudget ? g_inflatePipelineSeam.nBudget : INFLATE_AHEAD_BUDGET;
}

// The folders the destination codes send entries to.
class CDestinations {
public:
    CDestinations(const char* pszMacrosDir, const char* pszExamplesDir)
        : m_pszMacrosDir(pszMacrosDir), m_pszExamplesDir(pszExamplesDir)
    {
        FetchSystemDirectory();
    }

    // The folder, with its trailing backslash, or "" for the installation directory (the
    // current directory); NULL for the system directory when it could not be had.
    const char* FolderFor(DWORD dwDestination) const
    {
        switch (dwDestination) {
        case DEST_SYSTEM:
            return m_szSystemDir[0] ? m_szSystemDir : NULL;
        case DEST_MACROS:
            return m_pszMacrosDir;
        case DEST_EXAMPLES:
            return m_pszExamplesDir;
        default:
            return "";
        }
    }

private:
    // Empty when the system directory cannot be had or leaves no room for the backslash.
    void FetchSystemDirectory()
    {
        UINT nLength = GetSystemDirectoryA(m_szSystemDir, sizeof m_szSystemDir);
        if (nLength == 0 || nLength >= sizeof m_szSystemDir || !AppendBackslash(m_szSystemDir))
            m_szSystemDir[0] = '\0';
    }

    char m_szSystemDir[PATH_BUFFER_SIZE];
    const char* m_pszMacrosDir;
    const char* m_pszExamplesDir;
};

// The destination path of an entry; NULL, or the message when there is no path to be had.
const char* BuildDestinationPath(const CDestinations& destinations, const PayloadEntryHeader& header,
                                 char (&szPath)[PATH_BUFFER_SIZE])
{
    const char* pszDir = destinations.FolderFor(header.dwDestination);
    if (!pszDir)
        return FormatErrorText(CREATE_ERROR_FORMAT, header.szName);
    // A path the program cannot hold cannot be created either.
    if (!JoinPath(szPath, pszDir, header.szName))
        return FormatErrorText(CREATE_ERROR_FORMAT, pszDir, header.szName);
    return NULL;
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

enum FileWriteResult {
    FILE_WRITTEN,
    FILE_NOT_CREATED,
    FILE_NOT_WRITTEN,
};

// Writes nSize bytes as the whole of a new file at pszPath, replacing whatever stood there.
// It knows nothing of where the bytes come from and touches nothing shared.
FileWriteResult WriteWholeFile(const char* pszPath, const void* pData, size_t nSize)
{
    // Nothing at the destination is the usual case: the file is created at once.
    // Otherwise whatever stands there goes first, read-only or not.
    CFileStream file(CreateNewFileStream(pszPath));
    if (!file.IsOpen()) {
        MakeRoom(pszPath);
        file.Open(pszPath, "wb");
    }
    if (!file.IsOpen())
        return FILE_NOT_CREATED;
    // The file goes out in one piece: unbuffered, the one write reaches the system as
    // one write, without a stream buffer to fill and flush at the close.
    std::setvbuf(file.Get(), NULL, _IONBF, 0);
    if (std::fwrite(pData, 1, nSize, file.Get()) != nSize || !file.Close())
        return FILE_NOT_WRITTEN;
    return FILE_WRITTEN;
}

// The message of a write that failed; NULL for one that did not.
const char* WriteErrorText(FileWriteResult result, const char* pszPath)
{
    switch (result) {
    case FILE_NOT_CREATED:
        return FormatErrorText(CREATE_ERROR_FORMAT, pszPath);
    case FILE_NOT_WRITTEN:
        return FormatErrorText(WRITE_ERROR_FORMAT, pszPath);
    case FILE_WRITTEN:
        break;
    }
    return NULL;
}

// The common-control libraries stay on Windows 95/98 only; pattern and script files are
// installed read-only.
void ApplyNameRules(const char* pszName, const char* pszPath)
{
    if (IsCommonControlLibrary(pszName) && !IsWin9x())
        DeleteFileA(pszPath);
    if (IsReadOnlyKind(pszName))
        MakeReadOnly(pszPath);
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

    if (InflateAheadWanted()) {
        CInflatePipeline pipeline(pArchive, nArchiveSize, InflateAheadBudget());
        if (pipeline.StartWorker())
            return WriteInOrder(pipeline, pArchive);
    }
    COneBlockAtATime oneAtATime(pArchive, nArchiveSize);
    return WriteInOrder(oneAtATime, pArchive);
}

// Every file is created and written here, on the calling thread, in archive order: the
// inflaters only hand entries over. The first failure ends it, before anything after it.
const char* CSetupWnd::WriteInOrder(CInflatedEntrySource& source, const BYTE* pArchive)
{
    const CDestinations destinations(m_szMacrosDir, m_szExamplesDir);
    char szPath[PATH_BUFFER_SIZE];
    for (;;) {
        const InflatedEntry& next = source.TakeNext();
        if (next.outcome == INFLATE_END) {
            // The cursor ends just past the end code, the only part of the end record read.
            m_pArchivePos = pArchive + next.nNextOffset + sizeof next.entry.header.dwDestination;
            return NULL;
        }
        const char* pszError = InflateErrorText(next.outcome);
        if (pszError)
            return pszError;
        m_pArchivePos = pArchive + next.nNextOffset;

        pszError = BuildDestinationPath(destinations, next.entry.header, szPath);
        if (!pszError)
            pszError = WriteErrorText(WriteWholeFile(szPath, next.pData, next.nOutput), szPath);
        if (pszError)
            return pszError;

        SendProgressTick();
        ApplyNameRules(next.entry.header.szName, szPath);
        // Only now: the entry's name is read up to here.
        source.GiveBack();
    }
}
