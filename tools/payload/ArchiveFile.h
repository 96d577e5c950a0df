// An archive as the commands see it: the bytes of an archive file, or the RT_RCDATA
// resource 127 inside a built Setup.exe, found through the PE resource directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ArchiveFile {
    std::vector<uint8_t> bytes;  // the whole file
    size_t nOffset = 0;          // where the archive begins in it
    size_t nSize = 0;            // and its length
    bool bInsideExecutable = false;
    // The CRC-32 record the setup program checks the payload against (resource 126), as
    // found beside the payload: empty when there is none.
    std::vector<uint8_t> checkRecord;

    const uint8_t* Data() const { return bytes.data() + nOffset; }
};

bool LoadArchiveFile(const std::string& path, ArchiveFile& archive, std::string& error);
