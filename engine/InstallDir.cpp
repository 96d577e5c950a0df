// Installation directory preparation: the chosen path is created one level at a time and
// becomes the current directory; the paths of the later steps are derived from it.
#include <direct.h>

#include <cstring>

#include "Options.h"
#include "../app/SetupWnd.h"
#include "../framework/PathText.h"
#include "Engine.h"

namespace {

// The full path of pszPath with a trailing backslash, or 0 when it cannot be had or is too
// long for the paths derived from it. Returns the length.
size_t FullInstallPath(const char* pszPath, char (&szFull)[PATH_BUFFER_SIZE])
{
    DWORD nLength = GetFullPathNameA(pszPath, sizeof szFull, szFull, NULL);
    if (nLength == 0 || nLength >= sizeof szFull || !AppendBackslash(szFull))
        return 0;
    nLength = static_cast<DWORD>(std::strlen(szFull));
    return nLength > MAX_INSTALL_DIR_LENGTH ? 0 : nLength;
}

// "Rundll32.exe BraxDel.dll,Remove "<dir>\"". The system's list of installed programs
// starts it from its 64-bit side on 64-bit Windows, where a bare Rundll32.exe is the
// 64-bit one and the bare library name is looked for in the 64-bit system directory;
// BraxDel.dll went to the 32-bit one. There the command names the 32-bit Rundll32 of the
// WOW64 system directory, which finds the library in its own system directory.
CString UninstallCommand(const char* pszInstallDir)
{
    CString strCommand;
    char szWow64Dir[MAX_PATH];
    if (GetWow64SystemDirectory(szWow64Dir))
        strCommand = CString("\"") + szWow64Dir + "\\Rundll32.exe\" ";
    else
        strCommand = "Rundll32.exe ";
    strCommand += UNINSTALL_LIBRARY_NAME;
    strCommand += ",";
    strCommand += UNINSTALL_ENTRY_POINT;
    strCommand += " \"";
    return strCommand + pszInstallDir + "\"";
}

} // namespace

int CSetupWnd::PrepareInstallDir(const char* pszPath, int nOptions)
{
    char szWalk[PATH_BUFFER_SIZE];
    std::memset(szWalk, 0, sizeof szWalk);

    // Refused before anything is touched: a path whose subdirectories would not fit.
    char szFull[PATH_BUFFER_SIZE];
    size_t nFull = FullInstallPath(pszPath, szFull);
    if (nFull == 0)
        return 1;

    m_strAppExe = CString(szFull) + "varnix.exe";
    m_strManualPdf = CString(szFull) + DOCS_SUBDIR + "index.pdf";
    m_strUninstallCmd = UninstallCommand(szFull);

    // Start at the root: for a drive path its first three characters, such as C:\ .
    size_t nWalk = nFull < 3 ? nFull : 3;
    std::memcpy(szWalk, szFull, nWalk);
    if (szWalk[nWalk - 1] != '\\')
        szWalk[nWalk++] = '\\';

    for (;;) {
        // Entering a level, not creating it, decides whether it is usable.
        if (_chdir(szWalk) != 0)
            return 1;
        if (std::strcmp(szWalk, szFull) == 0)
            break;
        // A root that is not a prefix of the path (a UNC name) never reaches it.
        if (nWalk >= nFull)
            return 1;
        // The next component, up to and including its backslash; the full path ends with one.
        do {
            szWalk[nWalk] = szFull[nWalk];
        } while (szWalk[nWalk++] != '\\');
        _mkdir(szWalk);
    }

    JoinPath(m_szMacrosDir, szFull, MACROS_SUBDIR);
    _mkdir(m_szMacrosDir);
    JoinPath(m_szExamplesDir, szFull, EXAMPLES_SUBDIR);
    _mkdir(m_szExamplesDir);
    if (nOptions & OPTION_MANUALS) {
        JoinPath(m_szDocsDir, szFull, DOCS_SUBDIR);
        _mkdir(m_szDocsDir);
    }
    return 0;
}

BOOL CSetupWnd::DirectoryExists(const char* pszPath)
{
    return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}
