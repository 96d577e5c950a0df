#pragma once

// Starts a program with its own name as the whole command line and waits for its end; a
// program that cannot be started is passed over, and its exit code is not looked at.
void RunProgramAndWait(const char* pszProgram);
