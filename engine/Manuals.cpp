// Manual copy: every file of the medium's Docs folder, beside the setup program, is
// streamed into the installation's Docs folder.
#include <cstdio>
#include <cstring>

#include "../app/SetupWnd.h"
#include "../framework/FileSearch.h"
#include "../framework/PathText.h"
#include "Engine.h"
#include "FileStream.h"
#include "SetupDirectory.h"

namespace {

const char MANUAL_ERROR_FORMAT[] = "Error installing documentation file <%s>";
const size_t COPY_BLOCK_SIZE = 3200;

// Streams the source into the target through one block. FALSE when the target took fewer
// bytes than were read; a short read counts as the end of the source.
bool CopyStream(FILE* pSource, FILE* pTarget)
{
    char buffer[COPY_BLOCK_SIZE];
    size_t nRead;
    do {
        nRead = std::fread(buffer, 1, sizeof buffer, pSource);
        if (std::fwrite(buffer, 1, nRead, pTarget) != nRead)
            return false;
    } while (nRead == sizeof buffer);
    return true;
}

// Copies one file of the source folder into the target folder; both streams are closed
// on return. Null, or the message naming the path that failed.
const char* CopyManual(const char* pszSourceDir, const char* pszTargetDir, const char* pszName)
{
    char szSource[PATH_BUFFER_SIZE];
    char szTarget[PATH_BUFFER_SIZE];
    if (!JoinPath(szSource, pszSourceDir, pszName))
        return FormatErrorText(MANUAL_ERROR_FORMAT, pszSourceDir, pszName);
    if (!JoinPath(szTarget, pszTargetDir, pszName))
        return FormatErrorText(MANUAL_ERROR_FORMAT, pszTargetDir, pszName);

    CFileStream source(szSource, "rb");
    if (!source.IsOpen())
        return FormatErrorText(MANUAL_ERROR_FORMAT, szSource);
    CFileStream target(szTarget, "wb");
    if (!target.IsOpen())
        return FormatErrorText(MANUAL_ERROR_FORMAT, szTarget);
    if (!CopyStream(source.Get(), target.Get()) || !target.Close())
        return FormatErrorText(MANUAL_ERROR_FORMAT, szTarget);
    return NULL;
}

} // namespace

const char* CSetupWnd::CopyManuals()
{
    // A setup directory that cannot be named, or is too deep for the pattern, is a search
    // that cannot start, like a medium without Docs.
    char szPattern[PATH_BUFFER_SIZE];
    WIN32_FIND_DATAA found;
    if (!GetMediumFile(MEDIUM_DOCS_PATTERN, szPattern, sizeof szPattern))
        return FormatErrorText(MANUAL_ERROR_FORMAT, "FindFirstFile");
    CFileSearch search(szPattern, &found);
    if (!search.Started())
        return FormatErrorText(MANUAL_ERROR_FORMAT, "FindFirstFile");
    // Without its "*.*" the pattern names the source folder, with a trailing backslash.
    szPattern[std::strlen(szPattern) - 3] = '\0';
    const char* pszSourceDir = szPattern;

    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const char* pszError = CopyManual(pszSourceDir, m_szDocsDir, found.cFileName);
        if (pszError)
            return pszError;
        SendProgressTick();
    } while (search.Next(&found));
    return NULL;
}
