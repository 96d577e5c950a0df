// Runs one engine operation the way the setup program does, from its own resources and
// command line, for the engine's tests. The first word after the program's path says
// which: "extract" prepares the current directory and unpacks the payload resource;
// "manuals" prepares the relative folder "target" with Docs and copies the manuals from
// beside this program. The outcome goes to "probe-result.txt" in the starting folder:
// the operation's text (or "(null)"), the Windows version seen and IsWin9x.
#include <cstdio>
#include <cstring>

#include "app/SetupWnd.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "engine/SetupDirectory.h"
#include "framework/WinApp.h"
#include "ui/SetupMessages.h"

namespace {

const char* FirstArgument(const char* pszCommandLine)
{
    const char* p = pszCommandLine;
    if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p ? p + 1 : pszCommandLine + std::strlen(pszCommandLine);
    } else {
        while (*p && *p != ' ')
            ++p;
    }
    while (*p == ' ')
        ++p;
    return p;
}

void WriteOutcome(const char* pszResultPath, const char* pszPrepare, const char* pszResult)
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    FILE* pFile = std::fopen(pszResultPath, "wb");
    if (!pFile)
        return;
    std::fprintf(pFile, "prepare=%s\nresult=%s\nplatform=%lu version=%lu.%lu\nwin9x=%d\n", pszPrepare,
                 pszResult ? pszResult : "(null)", info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                 IsWin9x() ? 1 : 0);
    std::fclose(pFile);
}

LONG WINAPI EndOnFault(EXCEPTION_POINTERS*)
{
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

class CProbeApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        // A fault ends the probe at once; no debugger waits for a user.
        SetUnhandledExceptionFilter(&EndOnFault);
        ResolveProcessSetupDirectory(GetCommandLineA());
        char szResult[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(MAX_PATH - 20, szResult);
        if (n == 0 || n >= MAX_PATH - 20)
            return FALSE;
        std::strcat(szResult, "\\probe-result.txt");

        const char* pszCommand = FirstArgument(GetCommandLineA());
        CSetupWnd* pWnd = new CSetupWnd;
        if (std::strncmp(pszCommand, "extract", 7) == 0) {
            int nPrepare = pWnd->PrepareInstallDir(".", OPTION_APPLICATION);
            WriteOutcome(szResult, nPrepare == 0 ? "0" : "1", pWnd->ExtractPayload());
        } else if (std::strncmp(pszCommand, "manuals", 7) == 0) {
            int nPrepare = pWnd->PrepareInstallDir("target", OPTION_MANUALS);
            WriteOutcome(szResult, nPrepare == 0 ? "0" : "1", pWnd->CopyManuals());
        }
        delete pWnd;
        return FALSE;
    }

    int ExitInstance() override { return 0; }
};

static CProbeApp theApp;
