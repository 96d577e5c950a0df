#include "Removal.h"

#include "../app/InstallLog.h"
#include "RemovableFile.h"

namespace {

// The report lists this many; the log every one.
const int REPORTED_MAXIMUM = 40;

bool IsLink(DWORD dwAttributes)
{
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

void CRemoval::RemoveRecordedFile(const char* pszPath, DWORD nSize, DWORD nCrc)
{
    DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        Note(pszPath, "a folder now, kept");
        return;
    }
    CRemovableFile file(pszPath);
    if (!file.IsOpen()) {
        Note(pszPath, "could not be read (in use?)");
        return;
    }
    if (!file.IsPlainFile()) {
        Note(pszPath, "a link to another place now, kept");
        return;
    }
    int nMatch = file.Matches(nSize, nCrc);
    if (nMatch < 0) {
        Note(pszPath, "could not be read (in use?)");
        return;
    }
    if (nMatch == 0) {
        Note(pszPath, "changed since the installation, kept");
        return;
    }
    BeforeDelete(pszPath);
    if (!file.Delete())
        Note(pszPath, "could not be removed (in use?)");
}

void CRemoval::RemoveAnyFile(const char* pszPath)
{
    DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    CRemovableFile file(pszPath);
    if (!file.IsPlainFile()) {
        Note(pszPath, file.IsOpen() ? "a link to another place now, kept" : "could not be removed (in use?)");
        return;
    }
    BeforeDelete(pszPath);
    if (!file.Delete())
        Note(pszPath, "could not be removed (in use?)");
}

void CRemoval::RemoveFolder(const char* pszPath)
{
    DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (IsLink(dwAttributes))
        Note(pszPath, "a link to another place, left as it is");
    else if (!RemoveDirectoryA(pszPath))
        Note(pszPath, "folder not empty, kept");
}

bool CRemoval::MayEnter(const char* pszFolder)
{
    // Without its trailing backslash the path names the link itself, not what it leads to.
    char szFolder[MAX_PATH];
    lstrcpynA(szFolder, pszFolder, MAX_PATH);
    int n = lstrlenA(szFolder);
    if (n > 3 && szFolder[n - 1] == '\\')
        szFolder[n - 1] = '\0';
    return !IsLink(GetFileAttributesA(szFolder));
}

void CRemoval::Note(const char* pszPath, const char* pszWhy)
{
    LogStepFormat("Stayed: %s (%s)", pszPath, pszWhy);
    if (m_nLeft++ < REPORTED_MAXIMUM)
        m_report << pszPath << " (" << pszWhy << ")\n";
    else if (m_nLeft == REPORTED_MAXIMUM + 1)
        m_report << "and more.\n";
}
