// Shortcuts and uninstall registration: the Start-menu program group with its links, the
// entry in the system's list of installed programs, and the desktop link.
#include "../app/Options.h"
#include "../app/SetupWnd.h"
#include "../framework/ComRef.h"
#include "../framework/Handles.h"
#include "../framework/PathText.h"
#include "Engine.h"

const char* const g_pszGroupName = PROGRAM_GROUP_NAME;

namespace {

const char GROUP_ERROR[] = "Error creating startup group";
const char UNINSTALL_ERROR[] = "Error creating Uninstall Information";

// The shell link's class and the two interfaces used, given here rather than taken from the
// uuid library, whose one object file brings some 35 KB of identifiers into the program.
const CLSID SHELL_LINK_CLASS = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID SHELL_LINK_INTERFACE = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID PERSIST_FILE_INTERFACE = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

BOOL SetStringValue(HKEY hKey, const char* pszName, const char* pszText)
{
    // The stored length counts the terminating NUL.
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>(lstrlenA(pszText) + 1)) == ERROR_SUCCESS;
}

// The first of the two shell folders that has a file-system path.
BOOL GetFolderOrFallback(int nFolder, int nFallback, char (&szPath)[MAX_PATH])
{
    return GetSpecialFolder(nFolder, szPath) || GetSpecialFolder(nFallback, szPath);
}

} // namespace

int GetSpecialFolder(int nFolder, char (&szPath)[MAX_PATH])
{
    CItemIdList pidl;
    if (FAILED(SHGetSpecialFolderLocation(NULL, nFolder, pidl.Out())))
        return 0;
    if (!SHGetPathFromIDListA(pidl.Get(), szPath))
        return 0;
    // A folder path with no room left for its backslash is one no link name fits after.
    return AppendBackslash(szPath) ? 1 : 0;
}

void CreateShellLink(const char* pszLink, const char* pszTarget, const char* pszWorkDir)
{
    CComRef<IShellLinkA> link;
    if (FAILED(CoCreateInstance(SHELL_LINK_CLASS, NULL, CLSCTX_INPROC_SERVER, SHELL_LINK_INTERFACE, link.Out())))
        return;
    CComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(PERSIST_FILE_INTERFACE, file.Out())))
        return;
    link->SetPath(pszTarget);
    link->SetWorkingDirectory(pszWorkDir);
    WCHAR wszLink[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, pszLink, -1, wszLink, MAX_PATH) == 0)
        return;
    file->Save(wszLink, TRUE);
}

const char* CSetupWnd::RegisterUninstall()
{
    CRegKey uninstall;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT, 0, KEY_ALL_ACCESS, uninstall.Out()) != ERROR_SUCCESS)
        return UNINSTALL_ERROR;
    CRegKey product;
    if (RegCreateKeyA(uninstall.Get(), g_pszGroupName, product.Out()) != ERROR_SUCCESS)
        return UNINSTALL_ERROR;
    if (!SetStringValue(product.Get(), "DisplayName", g_pszGroupName))
        return UNINSTALL_ERROR;
    if (!SetStringValue(product.Get(), "UninstallString", m_strUninstallCmd))
        return UNINSTALL_ERROR;
    return NULL;
}

const char* CSetupWnd::CreateShortcuts(const char* pszInstallDir, int nOptions)
{
    char szFolder[MAX_PATH];
    if (!GetFolderOrFallback(CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, szFolder))
        return GROUP_ERROR;
    m_strGroupDir = CString(szFolder) + g_pszGroupName;
    CreateDirectoryA(m_strGroupDir, NULL);

    // A link path that does not fit its buffer is a group that cannot be made.
    char szLink[MAX_PATH];
    if (nOptions & OPTION_MANUALS) {
        if (!JoinPath(szLink, m_strGroupDir, "\\Manuals.lnk"))
            return GROUP_ERROR;
        CreateShellLink(szLink, m_strManualPdf, m_szDocsDir);
    }
    if (nOptions & OPTION_APPLICATION) {
        if (!JoinPath(szLink, m_strGroupDir, "\\Pelorin.lnk"))
            return GROUP_ERROR;
        CreateShellLink(szLink, m_strAppExe, pszInstallDir);
    }
    if (!(nOptions & OPTION_NEEDS_DIRECTORY))
        return NULL;

    if (RegisterUninstall())
        return UNINSTALL_ERROR;
    if (!(nOptions & OPTION_APPLICATION))
        return NULL;

    if (!GetFolderOrFallback(CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY, szFolder))
        return GROUP_ERROR;
    if (!JoinPath(szLink, szFolder, "Pelorin.lnk"))
        return GROUP_ERROR;
    CreateShellLink(szLink, m_strAppExe, pszInstallDir);
    return NULL;
}
