// The payload archive in the program's own resources, read in place from front to back.
#include "../app/SetupWnd.h"
#include "../res/resource.h"

BOOL CSetupWnd::LocateArchive()
{
    m_pArchivePos = NULL;
    m_pArchiveEnd = NULL;
    HRSRC hResource = FindResourceA(NULL, MAKEINTRESOURCEA(IDR_PAYLOAD), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!hResource)
        return FALSE;
    HGLOBAL hData = LoadResource(NULL, hResource);
    const BYTE* pData = hData ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
    if (!pData)
        return FALSE;
    // The resource memory belongs to the loaded image for the life of the process.
    m_pArchivePos = pData;
    m_pArchiveEnd = pData + SizeofResource(NULL, hResource);
    return TRUE;
}
