// The switches of the command line, found anywhere in it without regard to case.
#pragma once

#include <windows.h>

// TRUE when the command line contains "-autorun"; set once at start-up.
extern BOOL g_bAutorun;

// TRUE when the lower-cased process command line contains pszSwitch (given in lower case),
// the program's own path included.
BOOL CommandLineContains(const char* pszSwitch);
