#include "CommandLine.h"

#include "../framework/String.h"

BOOL g_bAutorun = FALSE;

BOOL CommandLineContains(const char* pszSwitch)
{
    CString strCommandLine(GetCommandLineA());
    strCommandLine.MakeLower();
    return strCommandLine.Find(pszSwitch) >= 0;
}
