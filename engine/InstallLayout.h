// Where an installation puts things, and the names the setup program and the uninstaller
// share: what the one writes, the other finds and removes by the same name. No windows.h.
#pragma once

#include <cstddef>

#include "../framework/PathText.h"

// The installation directory's subdirectories, each with its trailing backslash.
const char MACROS_SUBDIR[] = "ChmMacros\\";
const char EXAMPLES_SUBDIR[] = "5&10ChannelExamples\\";
const char DOCS_SUBDIR[] = "Docs\\";

// The program group's folder name, which is also the uninstall entry's subkey and its
// DisplayName.
const char PROGRAM_GROUP_NAME[] = "Corvane Corporation - Pelorin";

// The shortcuts: both in the program group, the application's on the desktop as well.
const char APPLICATION_LINK_NAME[] = "Pelorin.lnk";
const char MANUALS_LINK_NAME[] = "Manuals.lnk";

// The key of the system's list of installed programs, under HKEY_LOCAL_MACHINE.
const char UNINSTALL_ROOT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The product's own key, UNINSTALL_ROOT\PROGRAM_GROUP_NAME, as text (for messages and
// logs; the key itself is opened as the subkey PROGRAM_GROUP_NAME of UNINSTALL_ROOT).
inline bool ProductKeyText(char* pszKey, size_t nKeySize)
{
    char szRoot[sizeof UNINSTALL_ROOT + 1];
    return JoinPath(szRoot, UNINSTALL_ROOT, "\\") && JoinPath(pszKey, nKeySize, szRoot, PROGRAM_GROUP_NAME);
}

// The uninstall library's file name in the system directory, its entry point, and the
// switches of the entry point's command line.
const char UNINSTALL_LIBRARY_NAME[] = "BraxDel.dll";
const char UNINSTALL_ENTRY_POINT[] = "Remove";
const char UNINSTALL_SILENT_SWITCH[] = "-silent";
const char UNINSTALL_LOG_SWITCH[] = "-log=";

// The named object that one setup program or uninstaller at a time holds while it runs.
const char RUNNING_OBJECT_NAME[] = "Corvane Corporation - Pelorin: setup or uninstall running";
