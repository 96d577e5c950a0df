#include "InstallDirText.h"

#include <cstring>

#include "DeviceName.h"

namespace {

bool IsDriveLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

bool IsForbiddenInName(char ch)
{
    return static_cast<unsigned char>(ch) < 0x20 || std::strchr("<>:\"/|?*", ch) != NULL;
}

} // namespace

const char* InstallDirTextProblem(const char* pszDir)
{
    size_t nLength = std::strlen(pszDir);
    if (nLength == 0)
        return "The installation directory is empty.";
    if (nLength < 3 || !IsDriveLetter(pszDir[0]) || pszDir[1] != ':' || pszDir[2] != '\\')
        return "The installation directory must be a full path beginning with a drive, such as C:\\Pelorin.";
    if (nLength == 3)
        return "The installation directory must not be the root of a drive.";
    if (nLength + 1 > MAX_INSTALL_DIR_LENGTH)
        return "The installation directory is too long.";

    // Each name after the drive's root, up to the next backslash or the end.
    const char* pszName = pszDir + 3;
    for (;;) {
        const char* pszEnd = std::strchr(pszName, '\\');
        size_t nName = pszEnd ? static_cast<size_t>(pszEnd - pszName) : std::strlen(pszName);
        if (nName == 0)
            return "The installation directory has an empty name between two backslashes.";
        for (size_t i = 0; i < nName; ++i) {
            if (IsForbiddenInName(pszName[i]))
                return "The installation directory holds a character that Windows does not allow in a name.";
        }
        if (pszName[nName - 1] == '.' || pszName[nName - 1] == ' ')
            return "A name in the installation directory ends with a dot or a space.";
        if (IsDeviceName(pszName, nName))
            return "A name in the installation directory is one that Windows keeps for a device (CON, PRN, AUX, "
                   "NUL, COM1 to COM9, LPT1 to LPT9, also with an extension).";
        if (!pszEnd)
            return NULL;
        pszName = pszEnd + 1;
    }
}
