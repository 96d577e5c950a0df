// What a Windows test under Wine asks of the host: the host's path of a file of the prefix,
// and a command of the host's shell, for what no Windows program can do there (a symbolic
// link, say, or a program of the host reading a file the test wrote).
#pragma once

#include <windows.h>

#include <string>

namespace host {

// The host's path of a file or folder of the prefix (Wine's own export), for the host's
// programs; empty where there is no Wine.
inline std::string UnixPath(const std::string& windowsPath)
{
    typedef char*(CDECL * GetUnixFileName)(LPCWSTR);
    GetUnixFileName pfn = reinterpret_cast<GetUnixFileName>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    WCHAR wsz[MAX_PATH * 2];
    if (!pfn || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wsz, MAX_PATH * 2))
        return std::string();
    char* psz = pfn(wsz);
    if (!psz)
        return std::string();
    std::string path(psz);
    HeapFree(GetProcessHeap(), 0, psz);
    return path;
}

// Runs a command of the host's shell. Wine starts a Unix program through
// CreateProcess but gives back no handle to wait on: the command ends by creating the
// file marker, which is waited for. false when it did not finish in time.
inline bool RunOnHost(const std::string& command, const std::string& marker)
{
    DeleteFileA(marker.c_str());
    std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty())
        return false;
    std::string line = "sh -c \"" + command + "; touch '" + unixMarker + "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA("Z:\\bin\\sh", &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    if (pi.hThread)
        CloseHandle(pi.hThread);
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    for (int waited = 0; waited < 30000; waited += 50) {
        if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(50);
    }
    return false;
}

} // namespace host
