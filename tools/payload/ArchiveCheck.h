// Checks a whole archive the way the setup program will use it: every header lies in
// the archive, every name is one it can install, the first entry is not empty, every
// stream inflates with a good Adler-32 to no more than its declared size, and the end
// record is there. What the setup program copes with but a tool would not make (a stream
// shorter than its size, bytes after the end record, a name too long for the default
// installation directory) is a warning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/PayloadReader.h"

class AnsiCodePage;

struct ArchiveCheck {
    std::vector<PayloadEntry> entries;  // the readable entries, in order
    PayloadReadStatus endStatus = PAYLOAD_READ_END;
    std::vector<std::string> problems;  // each makes the archive unfit
    std::vector<std::string> warnings;  // the setup program copes, but the archive is unusual
};

// Walks the archive (without inflating); fills entries and reports the structural problems.
void ReadArchiveEntries(const uint8_t* pData, size_t nSize, ArchiveCheck& check);

// ReadArchiveEntries, then the names and the streams (inflated on up to nJobs threads).
void CheckArchive(const uint8_t* pData, size_t nSize, unsigned nJobs, ArchiveCheck& check);

// Warns about each name with a byte that the code page leaves undefined: Windows still
// makes a name of it, but not one a tool can tell for sure.
void CheckNamesInCodePage(const AnsiCodePage& codePage, ArchiveCheck& check);

// "entry 3 "Varnix.cnt" (offset 0x1F4)", for messages.
std::string DescribeEntry(size_t nIndex, const PayloadEntry& entry);

// Why a name of nNameLength characters does not fit the setup program's paths, as a phrase
// after "the name": "is 240 characters long: ...". For PAYLOAD_PATH_TOO_LONG_DEFAULT and
// PAYLOAD_PATH_TOO_LONG_ALWAYS.
std::string DescribePayloadPathFit(uint32_t dwDestination, size_t nNameLength);

// "holds the byte 0x81, which Windows-1252 leaves undefined", as a phrase after "the name".
std::string DescribeUndefinedByte(const AnsiCodePage& codePage, char byte);
