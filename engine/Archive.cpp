// The payload archive in the program's own resources, read in place from front to back.
#include <cstring>

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

BOOL CSetupWnd::ReadArchive(void* pDest, DWORD nBytes)
{
    if (static_cast<size_t>(m_pArchiveEnd - m_pArchivePos) < nBytes)
        return FALSE;
    std::memcpy(pDest, m_pArchivePos, nBytes);
    m_pArchivePos += nBytes;
    return TRUE;
}
