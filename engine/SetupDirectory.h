// The setup directory: the folder the setup program was started from, where the medium's
// "Docs" and "AcroRead" folders are looked for. It is derived from the process command
// line, the same way by the options page, the sequence driver and the manual copy.
#pragma once

#include <cstddef>

#include "../framework/String.h"

// Path buffers of the setup directory and of the files below it.
const size_t SETUP_DIR_PATH_SIZE = 256;

// The medium's files and folders, below the setup directory.
const char MEDIUM_MANUAL_INDEX[] = "\\Docs\\Index.pdf";
const char MEDIUM_READER_SETUP[] = "\\AcroRead\\Setup.exe";
const char MEDIUM_DOCS_PATTERN[] = "\\Docs\\*.*";

// The text steps of the derivation: the command line up to (not including) its last
// backslash, arguments included, then without a leading double quote. A command line
// without a backslash is taken whole. The result still has to be made a full path.
CString DeriveSetupDirectory(const char* pszCommandLine);

// Windows only. The setup directory of pszCommandLine as a full path without a trailing
// backslash: the derived text expanded with GetFullPathNameA. false (pszDir empty) when
// the conversion fails or its result does not fit nDirSize.
bool ResolveSetupDirectory(const char* pszCommandLine, char* pszDir, size_t nDirSize);

// Windows only. The setup directory of this process, resolved once from its command line
// at start-up, before anything changes the current directory: a program started by a
// relative path (Disk1\Setup.exe) has its medium below the directory it was started
// from, not below the installation directory that later becomes the current one. The
// options page, the manual copy and the reader's installer all use this one.
void ResolveProcessSetupDirectory(const char* pszCommandLine);

// Windows only. The file pszFile (such as MEDIUM_MANUAL_INDEX) below this process's setup
// directory, as a full path in pszPath (cchPath characters). false, with pszPath empty,
// when the directory could not be resolved into SETUP_DIR_PATH_SIZE characters or the
// file name does not fit after it: callers then treat the file as absent.
bool GetMediumFile(const char* pszFile, char* pszPath, size_t cchPath);

// Windows only. True when the medium's file pszFile can be opened for reading: what makes
// the options page offer the manuals and the reader's installer.
bool MediumFileReadable(const char* pszFile);
