// Encoding of payload archive headers: what a tool writes before each zlib stream and
// at the end. Names are written as given, NUL-terminated, the rest of the field zeroed;
// checking that a name is one the setup program can install is PayloadName's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/PayloadFormat.h"

// Fills pOut[0..PAYLOAD_HEADER_SIZE) with an entry header. Returns false, writing
// nothing, when the name is longer than PAYLOAD_NAME_MAX_LENGTH or holds a NUL.
bool EncodePayloadHeader(uint32_t dwDestination, const char* pchName, size_t nNameLength, uint32_t dwSize,
                         uint32_t dwPackedSize, uint8_t* pOut);

// Fills pOut[0..PAYLOAD_HEADER_SIZE) with the end record: code DEST_END, empty name,
// both sizes 0xFFFFFFFF.
void EncodePayloadEndRecord(uint8_t* pOut);

// Appends a header and its stream (or the end record) to an archive held in memory.
bool AppendPayloadEntry(std::vector<uint8_t>& archive, uint32_t dwDestination, const char* pchName,
                        size_t nNameLength, uint32_t dwSize, const uint8_t* pStream, uint32_t dwPackedSize);
void AppendPayloadEndRecord(std::vector<uint8_t>& archive);

inline void StorePayloadU32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}
