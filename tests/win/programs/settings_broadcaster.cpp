// Stands in for an installer that tells every top-level window of the system about a
// changed setting with SendMessage, as many installers do, and so waits until each window
// has answered. It then writes "answered" into the file of its own path followed by
// ".txt". Started by a program that waits for it without answering sent messages, it
// would wait for ever: after a minute it gives up and writes "no answer" instead.
#include <cstdio>

#include "framework/WinApp.h"

namespace {

const DWORD GIVE_UP_MS = 60000;

void Report(const char* pszText)
{
    char szPath[MAX_PATH + 8];
    DWORD nLength = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return;
    lstrcpyA(szPath + nLength, ".txt");
    if (FILE* pFile = std::fopen(szPath, "w")) {
        std::fputs(pszText, pFile);
        std::fclose(pFile);
    }
}

DWORD WINAPI GiveUp(void*)
{
    Sleep(GIVE_UP_MS);
    Report("no answer");
    ExitProcess(1);
}

} // namespace

class CBroadcasterApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CloseHandle(CreateThread(NULL, 0, GiveUp, NULL, 0, NULL));
        SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
        Report("answered");
        // No message loop: the program ends here.
        return FALSE;
    }
};

static CBroadcasterApp theApp;
