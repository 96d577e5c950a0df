// Writes the installation list that the uninstaller BraxDel.dll carries (its format is
// uninstall/InstallList.h): one line per payload file with its destination code, size and
// CRC-32, and one per manual of the medium's Docs folder, so that the uninstaller removes
// what the setup program wrote and keeps what the user changed.
#pragma once

#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "PayloadSource.h"

// The uninstaller's file name in the system directory, where the payload puts it.
const char UNINSTALLER_NAME[] = "BraxDel.dll";

// The list for the given payload files and, when docsFolder is not empty, the files
// directly in it (by name, in bytewise UTF-8 order; their names converted into the code
// page). The system directory's entries are left out: the only one the uninstaller
// removes is itself, and it knows its own path. False, with the reason, when a file
// cannot be read or a manual's name does not convert.
bool BuildInstallList(const std::vector<PayloadSource>& sources, const std::string& docsFolder,
                      const AnsiCodePage& codePage, std::string& list, std::string& error);

// Whether an entry is the uninstaller's place: the system directory's BraxDel.dll.
bool IsUninstallerEntry(const PayloadSource& source);
