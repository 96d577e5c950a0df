// The installation engine's free functions and shared texts. The operations that work on
// the installation state are members of CSetupWnd (app/SetupWnd.h).
#pragma once

#include <windows.h>

#include "InstallDirText.h"
#include "InstallLayout.h"
#include "SpecialFolder.h"

// The message buffer of the extraction and the manual copy. It holds the longest message
// any of them formats, so a path never has to be cut to fit.
const size_t ERROR_TEXT_SIZE = 1024;
extern char g_szErrorText[ERROR_TEXT_SIZE];

// The message of a payload that cannot be unpacked: damaged, cut short or missing.
const char DECOMPRESSION_ERROR[] = "Decompression error";

// Name of the Start-menu program group, of the uninstall subkey and its DisplayName.
extern const char* const g_pszGroupName;

// Creates or replaces the shortcut file pszLink pointing at pszTarget, started in
// pszWorkDir. A shortcut that cannot be made is passed over silently.
void CreateShellLink(const char* pszLink, const char* pszTarget, const char* pszWorkDir);

// Formats pszFormat (one %s) with pszFirst followed by pszSecond into g_szErrorText and
// returns it. A path too long for the buffer is cut; the message keeps its closing text.
const char* FormatErrorText(const char* pszFormat, const char* pszFirst, const char* pszSecond = "");
