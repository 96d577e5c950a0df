// The uninstall entry: the product's key in the system's list of installed programs, with
// the values that list shows and that deployment tools detect the installation by.
#include <cstring>

#include "Options.h"
#include "SetupDirectory.h"
#include "../app/SetupWnd.h"
#include "../framework/FileSearch.h"
#include "../framework/Handles.h"
#include "../framework/PathText.h"
#include "Engine.h"
#include "PayloadReader.h"

namespace {

const char UNINSTALL_ERROR[] = "Error creating Uninstall Information";

BOOL SetStringValue(HKEY hKey, const char* pszName, const char* pszText)
{
    // The stored length counts the terminating NUL.
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>(lstrlenA(pszText) + 1)) == ERROR_SUCCESS;
}

BOOL SetNumberValue(HKEY hKey, const char* pszName, DWORD dwValue)
{
    return RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue) ==
           ERROR_SUCCESS;
}

// The product version and the maker as this program's own version resource names them
// (the vendor's tool writes them there). FALSE when the program has none. The version
// library is not among the libraries every process has loaded: it is loaded from the
// system directory by its full path, so that no file of that name beside the setup
// program is loaded in its place.
BOOL ReadOwnVersion(CString& strVersion, CString& strCompany)
{
    typedef DWORD(WINAPI * GetSizeFn)(LPCSTR, LPDWORD);
    typedef BOOL(WINAPI * GetInfoFn)(LPCSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI * QueryFn)(LPCVOID, LPCSTR, LPVOID*, PUINT);

    char szSystem[MAX_PATH], szLibrary[MAX_PATH], szProgram[MAX_PATH];
    UINT nSystem = GetSystemDirectoryA(szSystem, sizeof szSystem);
    DWORD nProgram = GetModuleFileNameA(NULL, szProgram, sizeof szProgram);
    if (nSystem == 0 || nSystem >= sizeof szSystem || !JoinPath(szLibrary, szSystem, "\\version.dll") ||
        nProgram == 0 || nProgram >= sizeof szProgram)
        return FALSE;
    CLibrary library(szLibrary);
    GetSizeFn pGetSize = library.Find<GetSizeFn>("GetFileVersionInfoSizeA");
    GetInfoFn pGetInfo = library.Find<GetInfoFn>("GetFileVersionInfoA");
    QueryFn pQuery = library.Find<QueryFn>("VerQueryValueA");
    if (!pGetSize || !pGetInfo || !pQuery)
        return FALSE;

    // The tool writes a few short texts; a resource larger than this is none of its own.
    char info[8192];
    DWORD dwHandle = 0;
    DWORD nInfo = pGetSize(szProgram, &dwHandle);
    if (nInfo == 0 || nInfo > sizeof info || !pGetInfo(szProgram, 0, nInfo, info))
        return FALSE;
    WORD* pTranslation = NULL;
    UINT nBytes = 0;
    if (!pQuery(info, "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&pTranslation), &nBytes) ||
        nBytes < 4)
        return FALSE;
    CString strKey;
    char* pszText = NULL;
    strKey.Format("\\StringFileInfo\\%04x%04x\\ProductVersion", pTranslation[0], pTranslation[1]);
    if (!pQuery(info, strKey, reinterpret_cast<LPVOID*>(&pszText), &nBytes) || !pszText)
        return FALSE;
    strVersion = pszText;
    strKey.Format("\\StringFileInfo\\%04x%04x\\CompanyName", pTranslation[0], pTranslation[1]);
    if (!pQuery(info, strKey, reinterpret_cast<LPVOID*>(&pszText), &nBytes) || !pszText)
        return FALSE;
    strCompany = pszText;
    return TRUE;
}

// Today as the list of installed programs stores it: YYYYMMDD.
CString InstallDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString strDate;
    strDate.Format("%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return strDate;
}

BOOL FileSize(const char* pszPath, ULONGLONG& nSize)
{
    WIN32_FIND_DATAA found;
    CFileSearch search(pszPath, &found);
    if (!search.Started() || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    nSize = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return TRUE;
}

// The manuals of the medium that the copy put into pszDocsDir: the size of each one there.
ULONGLONG ManualBytes(const char* pszDocsDir)
{
    char szPattern[SETUP_DIR_PATH_SIZE];
    WIN32_FIND_DATAA found;
    if (!GetMediumFile(MEDIUM_DOCS_PATTERN, szPattern, sizeof szPattern))
        return 0;
    CFileSearch search(szPattern, &found);
    if (!search.Started())
        return 0;
    ULONGLONG nTotal = 0;
    do {
        char szCopy[MAX_PATH];
        ULONGLONG nSize = 0;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && JoinPath(szCopy, pszDocsDir, found.cFileName) &&
            FileSize(szCopy, nSize))
            nTotal += nSize;
    } while (search.Next(&found));
    return nTotal;
}

} // namespace

// The payload's entries that are in place at their destinations (the extraction and the
// sequence delete some of them again), by the sizes the payload records. Relative paths
// are the installation directory's, the current one since its preparation.
ULONGLONG CSetupWnd::PayloadBytesInPlace()
{
    if (!LocateArchive())
        return 0;
    char szSystemDir[MAX_PATH];
    UINT nSystem = GetSystemDirectoryA(szSystemDir, sizeof szSystemDir);
    if (nSystem == 0 || nSystem >= sizeof szSystemDir || !AppendBackslash(szSystemDir))
        szSystemDir[0] = '\0';

    PayloadReader reader(m_pArchivePos, static_cast<size_t>(m_pArchiveEnd - m_pArchivePos));
    PayloadEntry entry;
    ULONGLONG nTotal = 0;
    while (reader.Next(entry) == PAYLOAD_READ_ENTRY) {
        const char* pszDir = "";
        if (entry.header.dwDestination == DEST_SYSTEM)
            pszDir = szSystemDir;
        else if (entry.header.dwDestination == DEST_MACROS)
            pszDir = m_szMacrosDir;
        else if (entry.header.dwDestination == DEST_EXAMPLES)
            pszDir = m_szExamplesDir;
        char szPath[MAX_PATH];
        if (JoinPath(szPath, pszDir, entry.header.szName) && GetFileAttributesA(szPath) != INVALID_FILE_ATTRIBUTES)
            nTotal += entry.header.dwSize;
    }
    return nTotal;
}

const char* CSetupWnd::RegisterUninstall()
{
    CRegKey uninstall;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT, 0, KEY_ALL_ACCESS, uninstall.Out()) != ERROR_SUCCESS)
        return UNINSTALL_ERROR;
    CRegKey product;
    if (RegCreateKeyA(uninstall.Get(), g_pszGroupName, product.Out()) != ERROR_SUCCESS)
        return UNINSTALL_ERROR;
    HKEY hKey = product.Get();
    if (!SetStringValue(hKey, "DisplayName", g_pszGroupName))
        return UNINSTALL_ERROR;
    if (!SetStringValue(hKey, "UninstallString", m_strUninstallCmd))
        return UNINSTALL_ERROR;

    // What deployment tools read: the same command without questions, where the product
    // lies, its version and maker, its size, when it came, and that it has no change or
    // repair of its own.
    CString strQuiet = m_strUninstallCmd + " " + UNINSTALL_SILENT_SWITCH;
    if (!SetStringValue(hKey, "QuietUninstallString", strQuiet))
        return UNINSTALL_ERROR;
    char szInstallDir[MAX_PATH];
    DWORD nInstallDir = GetCurrentDirectoryA(sizeof szInstallDir, szInstallDir);
    if (nInstallDir == 0 || nInstallDir >= sizeof szInstallDir || !AppendBackslash(szInstallDir) ||
        !SetStringValue(hKey, "InstallLocation", szInstallDir))
        return UNINSTALL_ERROR;
    if (m_nOptions & OPTION_APPLICATION) {
        if (!SetStringValue(hKey, "DisplayIcon", m_strAppExe + ",0"))
            return UNINSTALL_ERROR;
    } else {
        // An earlier installation's icon names an application this one did not install.
        RegDeleteValueA(hKey, "DisplayIcon");
    }
    CString strVersion, strCompany;
    if (ReadOwnVersion(strVersion, strCompany) &&
        (!SetStringValue(hKey, "DisplayVersion", strVersion) || !SetStringValue(hKey, "Publisher", strCompany)))
        return UNINSTALL_ERROR;

    ULONGLONG nBytes = (m_nOptions & OPTION_APPLICATION) ? PayloadBytesInPlace() : 0;
    if (m_nOptions & OPTION_MANUALS)
        nBytes += ManualBytes(m_szDocsDir);
    ULONGLONG nKilobytes = (nBytes + 1023) / 1024;
    if (!SetNumberValue(hKey, "EstimatedSize", nKilobytes > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<DWORD>(nKilobytes)) ||
        !SetStringValue(hKey, "InstallDate", InstallDate()) || !SetNumberValue(hKey, "NoModify", 1) ||
        !SetNumberValue(hKey, "NoRepair", 1))
        return UNINSTALL_ERROR;
    return NULL;
}
