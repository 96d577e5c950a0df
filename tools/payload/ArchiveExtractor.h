// Unpacks a checked archive into a folder in the layout that ScanPayloadFolder reads:
// entries with code 13, 15 and 16 into the subfolders System, ChmMacros and
// 5&10ChannelExamples, every other entry into the folder itself, each file holding what
// the setup program would write: the bytes its stream inflates to. Names are converted
// from the code page to UTF-8. Nothing is written outside the folder: names are checked
// first (a name is a plain file name, never a path), the subfolder is opened without
// following symbolic links, and files are created the same way.
#pragma once

#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "ArchiveCheck.h"

struct ExtractedFile {
    uint32_t dwDestination;
    std::string relativePath;  // inside the target folder, with '/' separators, in UTF-8
    std::string storedName;    // the name in the archive, in the code page
};

// Writes every entry of an archive that CheckArchive found no problem with.
bool ExtractArchiveEntries(const ArchiveCheck& check, const std::string& folder, const AnsiCodePage& codePage,
                           std::vector<ExtractedFile>& files, std::string& error);

// Writes a manifest that builds the same archive again: one line per entry with its
// code, the extracted file (relative to the manifest's folder) and its stored name.
bool WriteExtractManifest(const std::string& manifestPath, const std::string& folder,
                          const std::vector<ExtractedFile>& files, std::string& error);
