#include <windows.h>

#include "IsWin9x.h"

BOOL IsWin9x()
{
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record that Windows 95 and NT 4.0 accept");
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return FALSE;
    // Windows 95 is 4.0 and 98 is 4.10; Me (4.90) already behaves like the NT family here.
    return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMajorVersion == 4 && info.dwMinorVersion <= 10;
}
