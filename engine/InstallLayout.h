// Where an installation puts things: the names the setup program writes under and the
// uninstaller removes again. No windows.h.
#pragma once

// The installation directory's subdirectories, each with its trailing backslash.
const char MACROS_SUBDIR[] = "ChmMacros\\";
const char EXAMPLES_SUBDIR[] = "5&10ChannelExamples\\";
const char DOCS_SUBDIR[] = "Docs\\";

// The program group's folder name, which is also the uninstall entry's subkey and its
// DisplayName.
const char PROGRAM_GROUP_NAME[] = "Corvane Corporation - Pelorin";

// The key of the system's list of installed programs, under HKEY_LOCAL_MACHINE.
const char UNINSTALL_ROOT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The uninstall library's file name in the system directory.
const char UNINSTALL_LIBRARY_NAME[] = "BraxDel.dll";
