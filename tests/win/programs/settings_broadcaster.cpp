// Stands in for an installer that tells every top-level window about a changed setting
// with SendMessage, as many do, and so waits until each window has answered. It then
// writes "answered" to its own path followed by ".txt". Started by a program that waits
// for it without answering, it would wait for ever: after a minute it writes "no answer".
#include <cstdio>
#include <string>

#include "framework/WinApp.h"

namespace {

void Report(const char* pszText)
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(NULL, szPath, sizeof szPath);
    if (FILE* pFile = std::fopen((std::string(szPath) + ".txt").c_str(), "w")) {
        std::fputs(pszText, pFile);
        std::fclose(pFile);
    }
}

DWORD WINAPI GiveUp(void*)
{
    Sleep(60000);
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
        return FALSE;  // no message loop: the program ends here
    }
};

static CBroadcasterApp theApp;
