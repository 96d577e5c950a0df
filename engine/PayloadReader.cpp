#include "PayloadReader.h"

#include <cstring>

const char* DescribePayloadReadStatus(PayloadReadStatus status)
{
    switch (status) {
    case PAYLOAD_READ_ENTRY:
        return "entry";
    case PAYLOAD_READ_END:
        return "end record";
    case PAYLOAD_READ_MISSING_END:
        return "the archive ends without an end record";
    case PAYLOAD_READ_TRUNCATED_HEADER:
        return "an entry header runs past the end of the archive";
    case PAYLOAD_READ_TRUNCATED_STREAM:
        return "an entry's stream runs past the end of the archive";
    }
    return "unknown read status";
}

PayloadReader::PayloadReader(const void* pData, size_t nSize)
    : m_pData(static_cast<const uint8_t*>(pData)), m_nSize(pData ? nSize : 0), m_nOffset(0),
      m_bFinished(false), m_finalStatus(PAYLOAD_READ_MISSING_END)
{
}

PayloadReadStatus PayloadReader::Finish(PayloadReadStatus status)
{
    m_bFinished = true;
    m_finalStatus = status;
    return status;
}

size_t PayloadReader::TrailingBytes() const
{
    if (!m_bFinished || m_finalStatus != PAYLOAD_READ_END)
        return 0;
    size_t nAfterEnd = m_nSize - m_nOffset;
    return nAfterEnd > PAYLOAD_HEADER_SIZE ? nAfterEnd - PAYLOAD_HEADER_SIZE : 0;
}

static void DecodeName(const uint8_t* pField, PayloadEntry& entry)
{
    std::memcpy(entry.header.szName, pField, PAYLOAD_NAME_SIZE);
    const void* pNul = std::memchr(pField, 0, PAYLOAD_NAME_SIZE);
    entry.bNameTerminated = pNul != nullptr;
    entry.nNameLength = pNul ? static_cast<size_t>(static_cast<const uint8_t*>(pNul) - pField) : PAYLOAD_NAME_SIZE;
    // Callers treat szName as a C string; an unterminated field loses its last byte here
    // and says so through bNameTerminated.
    entry.header.szName[PAYLOAD_NAME_SIZE - 1] = '\0';
}

PayloadReadStatus PayloadReader::Next(PayloadEntry& entry)
{
    if (m_bFinished)
        return m_finalStatus;

    std::memset(&entry, 0, sizeof entry);
    entry.nHeaderOffset = m_nOffset;
    size_t nRemaining = m_nSize - m_nOffset;
    if (nRemaining == 0)
        return Finish(PAYLOAD_READ_MISSING_END);
    if (nRemaining < 4)
        return Finish(PAYLOAD_READ_TRUNCATED_HEADER);

    const uint8_t* pHeader = m_pData + m_nOffset;
    entry.header.dwDestination = LoadPayloadU32(pHeader + PAYLOAD_OFFSET_DESTINATION);
    if (entry.header.dwDestination == DEST_END)
        return Finish(PAYLOAD_READ_END);
    if (nRemaining < PAYLOAD_HEADER_SIZE)
        return Finish(PAYLOAD_READ_TRUNCATED_HEADER);

    DecodeName(pHeader + PAYLOAD_OFFSET_NAME, entry);
    entry.header.dwSize = LoadPayloadU32(pHeader + PAYLOAD_OFFSET_SIZE);
    entry.header.dwPackedSize = LoadPayloadU32(pHeader + PAYLOAD_OFFSET_PACKED_SIZE);
    if (entry.header.dwPackedSize > nRemaining - PAYLOAD_HEADER_SIZE)
        return Finish(PAYLOAD_READ_TRUNCATED_STREAM);

    entry.pStream = pHeader + PAYLOAD_HEADER_SIZE;
    m_nOffset += PAYLOAD_HEADER_SIZE + entry.header.dwPackedSize;
    return PAYLOAD_READ_ENTRY;
}

bool PayloadChainIsWhole(const void* pData, size_t nSize)
{
    PayloadReader reader(pData, nSize);
    PayloadEntry entry;
    PayloadReadStatus status;
    while ((status = reader.Next(entry)) == PAYLOAD_READ_ENTRY) {
        if (!entry.bNameTerminated)
            return false;
    }
    return status == PAYLOAD_READ_END;
}
