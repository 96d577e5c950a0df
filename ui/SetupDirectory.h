// The setup directory: the folder the setup program was started from, where the medium's
// "Docs" and "AcroRead" folders are looked for. It is derived from the process command
// line, the same way by the options page, the sequence driver and the manual copy.
#pragma once

#include <cstddef>

#include "../framework/String.h"

// Path buffers of the setup directory and of the files below it.
const size_t SETUP_DIR_PATH_SIZE = 256;

// The text steps of the derivation: the command line up to (not including) its last
// backslash, arguments included, then without a leading double quote. A command line
// without a backslash is taken whole. The result still has to be made a full path.
CString DeriveSetupDirectory(const char* pszCommandLine);

// pszDirectory followed by pszFile into pszPath (cchPath characters, NUL included).
// false, with pszPath empty, when the two do not fit.
bool AppendToSetupDirectory(const char* pszDirectory, const char* pszFile, char* pszPath, size_t cchPath);

// Windows only (defined with the options page): the file pszFile (such as
// "\\Docs\\Index.pdf") below the setup directory derived from pszCommandLine, as a full
// path in pszPath (cchPath characters, SETUP_DIR_PATH_SIZE in the program). The derived
// text is expanded with GetFullPathNameA into a SETUP_DIR_PATH_SIZE buffer. false, with
// pszPath empty, when that conversion fails or its result does not fit, or when the file
// name does not fit after it: callers then treat the file as absent.
bool GetSetupDirectoryFile(const char* pszCommandLine, const char* pszFile, char* pszPath, size_t cchPath);
