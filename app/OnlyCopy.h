// One copy at a time: a setup program started while another one (or the uninstaller) runs
// does nothing. A double click, or a deployment tool that starts the installation again,
// would otherwise run two installations into the same directory and registry key.
#pragma once

#include <windows.h>

// The exit code of a second copy: the one deployment tools (Windows Installer's
// ERROR_INSTALL_ALREADY_RUNNING) retry on later.
const int SETUP_EXIT_ALREADY_RUNNING = 1618;

// Claims the product's running object for this process; FALSE when another setup program
// or uninstaller holds it.
BOOL ClaimOnlyCopy();

// What a second copy does instead of installing: logs why and, unless bSilent, says so in
// a message and brings the first copy's window forward. Returns the exit code.
int RefuseSecondCopy(BOOL bSilent);

// TRUE when ClaimOnlyCopy found another copy running.
BOOL IsSecondCopy();

// Lets go of the running object, so that nothing started after this (a restarted shell's
// setup, a later installation) finds it held.
void ReleaseOnlyCopy();
