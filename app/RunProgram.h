#pragma once

// Starts a program with its own name as the whole command line and waits for its end; a
// program that cannot be started is passed over, and its exit code is not looked at.
// false when it could not be started (for the log; the installation goes on either way).
bool RunProgramAndWait(const char* pszProgram);
