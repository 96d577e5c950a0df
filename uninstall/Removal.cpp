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

// A folder's path without its trailing backslash (a drive's root keeps it): so it names a
// link itself, not what the link leads to, and reads as a folder in the report.
void FolderPath(const char* pszFolder, char (&szPath)[MAX_PATH])
{
    lstrcpynA(szPath, pszFolder, MAX_PATH);
    int n = lstrlenA(szPath);
    if (n > 3 && szPath[n - 1] == '\\')
        szPath[n - 1] = '\0';
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

void CRemoval::RemoveFolder(const char* pszFolder)
{
    char szPath[MAX_PATH];
    FolderPath(pszFolder, szPath);
    DWORD dwAttributes = GetFileAttributesA(szPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (IsLink(dwAttributes))
        Note(szPath, "a link to another place, left as it is");
    else if (!RemoveDirectoryA(szPath))
        Note(szPath, "folder not empty, kept");
}

bool CRemoval::MayEnter(const char* pszFolder)
{
    char szPath[MAX_PATH];
    FolderPath(pszFolder, szPath);
    return !IsLink(GetFileAttributesA(szPath));
}

void CRemoval::Note(const char* pszPath, const char* pszWhy)
{
    LogStepFormat("Stayed: %s (%s)", pszPath, pszWhy);
    if (m_nLeft++ < REPORTED_MAXIMUM)
        m_report << pszPath << " (" << pszWhy << ")\n";
    else if (m_nLeft == REPORTED_MAXIMUM + 1)
        m_report << "and more.\n";
}
