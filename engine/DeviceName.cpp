#include "DeviceName.h"

#include <cstring>

#include "../framework/PathText.h"

namespace {

// Windows reads the superscripts one, two and three of Windows-1252 as port numbers.
bool IsPortNumber(char ch)
{
    unsigned char uch = static_cast<unsigned char>(ch);
    return (ch >= '1' && ch <= '9') || uch == 0xB9 || uch == 0xB2 || uch == 0xB3;
}

}  // namespace

bool IsDeviceName(const char* pchName, size_t nLength)
{
    // The device is named by what stands before the first dot, without trailing spaces.
    size_t nBase = 0;
    while (nBase < nLength && pchName[nBase] != '.')
        ++nBase;
    while (nBase > 0 && pchName[nBase - 1] == ' ')
        --nBase;
    char szBase[8];
    if (nBase == 0 || nBase >= sizeof szBase)
        return false;
    for (size_t i = 0; i < nBase; ++i)
        szBase[i] = UpperAscii(pchName[i]);
    szBase[nBase] = '\0';

    static const char* const s_devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* pszDevice : s_devices)
        if (std::strcmp(szBase, pszDevice) == 0)
            return true;
    bool bPort = std::strncmp(szBase, "COM", 3) == 0 || std::strncmp(szBase, "LPT", 3) == 0;
    return bPort && nBase == 4 && IsPortNumber(szBase[3]);
}
