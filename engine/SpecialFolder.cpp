#include "SpecialFolder.h"

#include "../framework/ComRef.h"
#include "../framework/PathText.h"

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

bool GetWow64SystemDirectory(char (&szDir)[MAX_PATH])
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    typedef UINT(WINAPI * GetSystemWow64DirectoryFn)(LPSTR, UINT);
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    if (!hKernel)
        return false;
    IsWow64ProcessFn pIsWow64 = reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(hKernel, "IsWow64Process"));
    GetSystemWow64DirectoryFn pGetWow64Dir =
        reinterpret_cast<GetSystemWow64DirectoryFn>(GetProcAddress(hKernel, "GetSystemWow64DirectoryA"));
    BOOL bWow64 = FALSE;
    if (!pIsWow64 || !pGetWow64Dir || !pIsWow64(GetCurrentProcess(), &bWow64) || !bWow64)
        return false;
    UINT nLength = pGetWow64Dir(szDir, sizeof szDir);
    return nLength != 0 && nLength < sizeof szDir;
}
