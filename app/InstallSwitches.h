// The switches of the command line, all read from its raw text by one parser:
//   -autorun                     the chooser first, the application alone, no message
//                                shown, and Windows restarted at the end
//   -restart                     Windows restarted at the end
// and those of an unattended installation:
//   -silent                      no pages, no progress, no completion message, no folder
//   -dir="C:\Some Path"          the installation directory (default C:\Pelorin)
//   -options=app,manuals,reader  what to install (default: the application, and the
//                                manuals when the medium has them)
//   -log="FILE"                  one appended line per step of the run
// -autorun and -restart are found anywhere in the command line, the program's own path
// included, whatever their case and also inside longer words, as they always have been.
// The others are found like them, anywhere and whatever their case, but only in the
// arguments: a folder named "Pelorin-silent" on the program's path would otherwise take
// every page and message away from a user who merely started the program from it. A
// value is either quoted, running to the next double quote, or unquoted, running to the
// next space or tab; the whole switch may be quoted instead ("-dir=C:\Some Path"), as
// programs that quote every argument with a space write it. The text of a value is never
// searched for further switches. No windows.h: the host tests use it.
#pragma once

#include <cstddef>

#include "../engine/InstallDirText.h"
#include "../framework/String.h"

// The log file's path as given: a shell path.
const size_t LOG_PATH_SIZE = 260;
// The longest refusal text.
const size_t SWITCH_ERROR_SIZE = 256;

// The process exit codes a script tests. A clicked installation ends with 0 whatever
// happened, as it always has; only a command line that cannot be understood or honoured
// (3, 1) and a -silent installation (0, 2) report anything else.
enum SetupExitCode {
    SETUP_EXIT_INSTALLED = 0,
    SETUP_EXIT_ENDED_BEFORE_WORK = 1,
    SETUP_EXIT_FAILED = 2,
    SETUP_EXIT_NOT_UNDERSTOOD = 3,
};

struct InstallSwitches {
    bool bAutorun;
    bool bRestart;
    bool bSilent;
    // The directory as given, one trailing backslash removed; empty when not given.
    bool bDirGiven;
    char szDir[PATH_BUFFER_SIZE];
    // OPTION_ bits; 0 when not given.
    bool bOptionsGiven;
    int nOptions;
    bool bLogGiven;
    char szLog[LOG_PATH_SIZE];
    // Why the command line cannot be understood; empty when it can.
    char szError[SWITCH_ERROR_SIZE];
};

// Reads the switches of pszCommandLine into *pSwitches. false, with szError saying which
// switch is wrong and why, when one cannot be understood: a value that is empty, too long
// or not closed by its quote, a switch given twice, an unknown word in -options=, a
// directory InstallDirTextProblem refuses, or a value that holds -autorun, -restart or
// -silent (which would be found there, since those are found anywhere). Only the first
// refusal is kept. The three switches without a value, and the values of the switches
// that were understood (the log file's in particular, where the refusal is written), are
// set whatever else is wrong, so that a refusal is never shown to a script and still
// reaches its log.
bool ParseInstallSwitches(const char* pszCommandLine, InstallSwitches* pSwitches);

// The command line without the valued switches and their values. The setup directory is
// derived from the text before the command line's last backslash, and a directory or log
// path would otherwise move that backslash into its value; a command line without them is
// returned as it is.
CString WithoutValuedSwitches(const char* pszCommandLine);
