// Builds a payload archive from a list of files: checks every stored name, the first
// entry and the sizes against what the setup program can install, compresses the files
// on several threads, and lays the entries out in list order. The bytes depend only on the files,
// their names and codes, and the compression level, never on the number of threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "ParallelFor.h"
#include "PayloadSource.h"

struct PayloadBuildOptions {
    int nLevel = 9;
    unsigned nJobs = DefaultJobCount();
    unsigned nCodePage = DEFAULT_ANSI_CODE_PAGE;  // the stored names' bytes must all be characters of it
};

struct PayloadBuildReport {
    size_t nEntries = 0;
    uint64_t nTotalSize = 0;    // the files' bytes
    uint64_t nTotalPacked = 0;  // the streams' bytes
    std::vector<std::string> warnings;
};

// Checks the names and codes alone, before any file is read: a name the setup program
// cannot install, one too long for any installation directory, one with a byte that the
// code page leaves undefined. Each error names the entry.
bool CheckPayloadSources(const std::vector<PayloadSource>& sources, const AnsiCodePage& codePage,
                         std::vector<std::string>& errors);

// An entry's header holds its size and its stream's size as 32-bit numbers. False, with
// the reason, when either does not fit.
bool CheckPayloadEntrySizes(uint64_t nSize, uint64_t nPacked, std::string& error);

// Builds the archive in memory. False, with every reason in errors, when it is refused.
bool BuildPayloadArchive(const std::vector<PayloadSource>& sources, const PayloadBuildOptions& options,
                         std::vector<uint8_t>& archive, PayloadBuildReport& report, std::vector<std::string>& errors);
