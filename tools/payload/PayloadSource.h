// The files that go into an archive, in archive order, and the two ways a vendor names
// them: a manifest of lines "code<TAB>source-file<TAB>stored-name", or a folder laid out
// the way the extraction writes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AnsiCodePage.h"

struct PayloadSource {
    uint32_t dwDestination;
    std::string sourcePath;  // a host path to read the file from
    std::string storedName;  // the name written into the archive: bytes in the ANSI code page
    std::string origin;      // where it was named, for messages: "demo.manifest:12" or a path
    // The file's bytes when they were made in memory (the uninstaller with its list);
    // then sourcePath only names it in messages.
    std::shared_ptr<const std::vector<uint8_t>> pContents;
};

// Parses a manifest. Source paths that are not absolute are taken relative to baseDir.
// Stored names are taken byte for byte: a manifest names them in the code page already.
// Every faulty line is reported (as "<manifestName>:<line>: why") and the result is
// false when there was any.
bool ParsePayloadManifest(const std::string& text, const std::string& manifestName, const std::string& baseDir,
                          std::vector<PayloadSource>& sources, std::vector<std::string>& errors);

// Parses a destination code: a decimal or 0x-hexadecimal number below 0xFFFFFFFF, or one of
// the words install (0), system (13), macros (15) and examples (16).
bool ParsePayloadDestination(const std::string& text, uint32_t& dwDestination);

// The subfolder of a folder layout that holds a destination's files: "System",
// "ChmMacros", "5&10ChannelExamples", or "" for the installation directory itself.
const char* PayloadDestinationFolder(uint32_t dwDestination);

// Collects the files of a folder layout: its regular files get code 0 (the installation
// directory); the files of its subfolders System, ChmMacros and 5&10ChannelExamples (any
// case) get 13, 15 and 16. Anything else in it (another subfolder, a deeper folder, a
// device or socket) is an error. The stored names are the file names, converted from UTF-8
// into the code page; a name that does not convert is an error. The largest file comes
// first, so that the setup program's one decompression buffer is allocated once; the rest
// follow by code, then by stored name.
bool ScanPayloadFolder(const std::string& folder, const AnsiCodePage& codePage, std::vector<PayloadSource>& sources,
                       std::vector<std::string>& errors);
