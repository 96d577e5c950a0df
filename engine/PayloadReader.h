// PayloadReader: walks a payload archive held in memory, front to back, and never looks
// at a byte outside the buffer it was given. Each call to Next yields one entry (its
// header fields and where its stream lies) or says how the archive ends: with the end
// record, or cut short. The streams are not inflated here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "PayloadFormat.h"

enum PayloadReadStatus {
    PAYLOAD_READ_ENTRY,             // an entry was read; its stream lies wholly inside the buffer
    PAYLOAD_READ_END,               // the end record's code was read
    PAYLOAD_READ_MISSING_END,       // the buffer ended where the next header should begin
    PAYLOAD_READ_TRUNCATED_HEADER,  // a header begins but the buffer ends inside it
    PAYLOAD_READ_TRUNCATED_STREAM,  // a header's dwPackedSize reaches past the end of the buffer
};

// Text for a status, for messages ("stream runs past the end of the archive").
const char* DescribePayloadReadStatus(PayloadReadStatus status);

struct PayloadEntry {
    PayloadEntryHeader header;  // szName always holds a NUL (see bNameTerminated)
    size_t nHeaderOffset;       // where the header begins in the buffer
    size_t nNameLength;         // bytes before the first NUL of the name field
    bool bNameTerminated;       // false: the 256-byte field held no NUL at all
    const uint8_t* pStream;     // dwPackedSize bytes; null unless the status is PAYLOAD_READ_ENTRY
};

class PayloadReader {
public:
    PayloadReader(const void* pData, size_t nSize);

    // Reads the next entry into entry. For PAYLOAD_READ_TRUNCATED_STREAM the header fields
    // are filled in too, so that the message can name the entry. Once the archive has ended
    // (any status but PAYLOAD_READ_ENTRY), every later call returns that same status.
    PayloadReadStatus Next(PayloadEntry& entry);

    // Offset of the next header to read; after the end, of the end record.
    size_t Offset() const { return m_nOffset; }
    size_t Size() const { return m_nSize; }

    // After PAYLOAD_READ_END. The setup program reads only the end record's four-byte code,
    // but an archive made by the tools stores the whole 268-byte header and nothing after it.
    bool EndRecordComplete() const { return m_nSize - m_nOffset >= PAYLOAD_HEADER_SIZE; }
    size_t TrailingBytes() const;

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nOffset;
    bool m_bFinished;
    PayloadReadStatus m_finalStatus;

    PayloadReadStatus Finish(PayloadReadStatus status);
};

// Walks every header of the archive by its packed size, inflating nothing: true when the
// chain reaches the end record with every header and stream inside the buffer and every
// name field holding its NUL. The setup program asks this before it writes its first
// file, so that a payload cut short installs nothing.
bool PayloadChainIsWhole(const void* pData, size_t nSize);

// Little-endian 32-bit value at p (no alignment needed).
inline uint32_t LoadPayloadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
