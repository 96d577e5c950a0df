// Shortcuts: the Start-menu program group with its links, and the desktop link; the entry
// in the system's list of installed programs between them (UninstallEntry.cpp).
#include "Options.h"
#include "../app/SetupWnd.h"
#include "../framework/ComRef.h"
#include "../framework/PathText.h"
#include "Engine.h"

const char* const g_pszGroupName = PROGRAM_GROUP_NAME;

namespace {

const char GROUP_ERROR[] = "Error creating startup group";

// The shell link's class and the two interfaces used, given here rather than taken from the
// uuid library, whose one object file brings some 35 KB of identifiers into the program.
const CLSID SHELL_LINK_CLASS = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID SHELL_LINK_INTERFACE = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID PERSIST_FILE_INTERFACE = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A link in the program group: the group's path, a backslash and the link's name. FALSE
// when it does not fit.
BOOL GroupLinkPath(char (&szLink)[MAX_PATH], const char* pszGroupDir, const char* pszName)
{
    char szGroup[MAX_PATH];
    return JoinPath(szGroup, pszGroupDir, "\\") && JoinPath(szLink, szGroup, pszName);
}

// The first of the two shell folders that has a file-system path.
BOOL GetFolderOrFallback(int nFolder, int nFallback, char (&szPath)[MAX_PATH])
{
    return GetSpecialFolder(nFolder, szPath) || GetSpecialFolder(nFallback, szPath);
}

} // namespace

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
        if (!GroupLinkPath(szLink, m_strGroupDir, MANUALS_LINK_NAME))
            return GROUP_ERROR;
        CreateShellLink(szLink, m_strManualPdf, m_szDocsDir);
    }
    if (nOptions & OPTION_APPLICATION) {
        if (!GroupLinkPath(szLink, m_strGroupDir, APPLICATION_LINK_NAME))
            return GROUP_ERROR;
        CreateShellLink(szLink, m_strAppExe, pszInstallDir);
    }
    if (!(nOptions & OPTION_NEEDS_DIRECTORY))
        return NULL;

    const char* pszError = RegisterUninstall();
    if (pszError)
        return pszError;
    if (!(nOptions & OPTION_APPLICATION))
        return NULL;

    if (!GetFolderOrFallback(CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY, szFolder))
        return GROUP_ERROR;
    if (!JoinPath(szLink, szFolder, APPLICATION_LINK_NAME))
        return GROUP_ERROR;
    CreateShellLink(szLink, m_strAppExe, pszInstallDir);
    return NULL;
}
