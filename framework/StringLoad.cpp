// CString::LoadString: reads the string table directly, so no entry is ever cut at
// a fixed buffer size (LoadStringA would truncate the licence text).
#include <windows.h>

#include "String.h"

namespace {

// A string-table block holds 16 counted UTF-16 strings; block n + 1 holds ids 16n to 16n + 15.
bool FindStringInBlock(unsigned nID, const WCHAR** ppText, int* pnLength)
{
    HMODULE hModule = GetModuleHandleA(NULL);
    HRSRC hInfo = FindResourceA(hModule, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6) /* RT_STRING */);
    if (!hInfo)
        return false;
    HGLOBAL hData = LoadResource(hModule, hInfo);
    const WCHAR* p = hData ? static_cast<const WCHAR*>(LockResource(hData)) : NULL;
    if (!p)
        return false;
    const WCHAR* pEnd = p + SizeofResource(hModule, hInfo) / sizeof(WCHAR);
    for (unsigned i = 0; i < (nID & 15); ++i) {
        if (p >= pEnd)
            return false;
        p += 1 + *p;
    }
    if (p >= pEnd || p + 1 + *p > pEnd || *p == 0)
        return false;
    *ppText = p + 1;
    *pnLength = *p;
    return true;
}

} // namespace

bool CString::LoadString(unsigned nID)
{
    Empty();
    const WCHAR* pText = NULL;
    int nLength = 0;
    if (!FindStringInBlock(nID, &pText, &nLength))
        return false;
    int nBytes = WideCharToMultiByte(CP_ACP, 0, pText, nLength, NULL, 0, NULL, NULL);
    if (nBytes <= 0)
        return false;
    WideCharToMultiByte(CP_ACP, 0, pText, nLength, GetBufferSetLength(nBytes), nBytes, NULL, NULL);
    return true;
}
