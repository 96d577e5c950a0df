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
