#include "PayloadWriter.h"

#include <cstring>

bool EncodePayloadHeader(uint32_t dwDestination, const char* pchName, size_t nNameLength, uint32_t dwSize,
                         uint32_t dwPackedSize, uint8_t* pOut)
{
    if (nNameLength > PAYLOAD_NAME_MAX_LENGTH || (nNameLength > 0 && std::memchr(pchName, 0, nNameLength)))
        return false;
    std::memset(pOut, 0, PAYLOAD_HEADER_SIZE);
    StorePayloadU32(pOut + PAYLOAD_OFFSET_DESTINATION, dwDestination);
    if (nNameLength > 0)
        std::memcpy(pOut + PAYLOAD_OFFSET_NAME, pchName, nNameLength);
    StorePayloadU32(pOut + PAYLOAD_OFFSET_SIZE, dwSize);
    StorePayloadU32(pOut + PAYLOAD_OFFSET_PACKED_SIZE, dwPackedSize);
    return true;
}

void EncodePayloadEndRecord(uint8_t* pOut)
{
    EncodePayloadHeader(DEST_END, "", 0, 0xFFFFFFFFu, 0xFFFFFFFFu, pOut);
}

bool AppendPayloadEntry(std::vector<uint8_t>& archive, uint32_t dwDestination, const char* pchName,
                        size_t nNameLength, uint32_t dwSize, const uint8_t* pStream, uint32_t dwPackedSize)
{
    uint8_t header[PAYLOAD_HEADER_SIZE];
    if (!EncodePayloadHeader(dwDestination, pchName, nNameLength, dwSize, dwPackedSize, header))
        return false;
    archive.insert(archive.end(), header, header + sizeof header);
    if (dwPackedSize > 0)
        archive.insert(archive.end(), pStream, pStream + dwPackedSize);
    return true;
}

void AppendPayloadEndRecord(std::vector<uint8_t>& archive)
{
    uint8_t header[PAYLOAD_HEADER_SIZE];
    EncodePayloadEndRecord(header);
    archive.insert(archive.end(), header, header + sizeof header);
}
