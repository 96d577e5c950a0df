// The payload archive: entries back to back, each a 268-byte header followed by one
// zlib stream, closed by a header whose destination is DEST_END. All integers are
// unsigned 32-bit little-endian. No windows.h: the host tools and tests use it too.
#pragma once

#include <cstddef>
#include <cstdint>

const uint32_t DEST_SYSTEM = 13;    // the Windows system directory
const uint32_t DEST_MACROS = 15;    // <install dir>\ChmMacros\ .
const uint32_t DEST_EXAMPLES = 16;  // <install dir>\5&10ChannelExamples\ .
const uint32_t DEST_END = 0xFFFFFFFFu;
// Every other code: the current directory, which is the installation directory.

const size_t PAYLOAD_NAME_SIZE = 256;
const size_t PAYLOAD_NAME_MAX_LENGTH = PAYLOAD_NAME_SIZE - 1;  // the field keeps room for a NUL
const size_t PAYLOAD_HEADER_SIZE = 4 + PAYLOAD_NAME_SIZE + 4 + 4;  // 268

// Field offsets inside a header. The fields are read and written one by one at these
// offsets, never by copying the structure, so structure packing does not matter.
const size_t PAYLOAD_OFFSET_DESTINATION = 0;
const size_t PAYLOAD_OFFSET_NAME = 4;
const size_t PAYLOAD_OFFSET_SIZE = 4 + PAYLOAD_NAME_SIZE;
const size_t PAYLOAD_OFFSET_PACKED_SIZE = 4 + PAYLOAD_NAME_SIZE + 4;

struct PayloadEntryHeader {
    uint32_t dwDestination;
    char szName[PAYLOAD_NAME_SIZE];  // NUL-terminated; bytes after the NUL mean nothing
    uint32_t dwSize;                 // size after decompression
    uint32_t dwPackedSize;           // length of the zlib stream after the header
};
