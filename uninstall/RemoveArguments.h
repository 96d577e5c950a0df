// The command line of the uninstaller's entry point, as Rundll32 passes it (the text after
// "BraxDel.dll,Remove"), in any order:
//   "C:\Pelorin\"   the installation directory, quoted (or, without spaces, not)
//   -silent         no question and no message: the outcome is the process exit code
//   -log="FILE"     one line per step, appended to FILE
// and the same text as the registered uninstall command holds it. The switches are found
// whatever their case. No windows.h: the host tests use it.
#pragma once

#include <cstddef>

// Both the directory and the log file are paths of the system's 260 characters.
const size_t REMOVE_PATH_SIZE = 260;

// How a removal ends, as the process exit code (which the silent form is read by).
enum RemoveExitCode {
    REMOVE_EXIT_REMOVED = 0,         // everything the installation wrote is gone
    REMOVE_EXIT_LEFT_SOME = 2,       // removed, but files or folders stayed (the report lists them)
    REMOVE_EXIT_NOTHING_REMOVED = 3, // refused, or declined at the question: nothing was touched
};

struct RemoveArguments {
    bool bSilent;
    // As given, without quotes; empty when not given.
    char szDir[REMOVE_PATH_SIZE];
    char szLog[REMOVE_PATH_SIZE];
};

// Reads pszText into *pArguments. false when it holds anything else: an unknown switch, a
// switch or a directory given twice, an empty or too long value, a quote not closed. The
// parts read before the fault are set (the log file in particular, where the refusal goes).
bool ParseRemoveArguments(const char* pszText, RemoveArguments* pArguments);

// What a registered uninstall command ("...Rundll32.exe" BraxDel.dll,Remove "C:\Pelorin\")
// passes to the entry point: the text after the first "BraxDel.dll,Remove", or null when
// the command has none. The first, because the directory after it may itself hold
// ",Remove ".
const char* RegisteredRemoveArguments(const char* pszCommand);
