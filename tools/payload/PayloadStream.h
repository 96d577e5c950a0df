// The zlib side of a payload entry: making the stream of a file, and checking or
// inflating a stream the way the setup program will (its declared size is the limit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Compresses size bytes into one zlib stream (RFC 1950) at level 0 to 9. The result is a
// function of the bytes and the level alone, so archives come out the same every time.
bool DeflatePayloadStream(const uint8_t* pData, size_t nSize, int nLevel, std::vector<uint8_t>& stream,
                          std::string& error);

enum PayloadStreamStatus {
    PAYLOAD_STREAM_OK,          // ends inside its span and inflates to exactly the declared size
    PAYLOAD_STREAM_CORRUPT,     // invalid deflate data or a wrong Adler-32 check value
    PAYLOAD_STREAM_INCOMPLETE,  // the span ends before the stream does
    PAYLOAD_STREAM_SHORT,       // the stream ends with fewer bytes than the declared size
    PAYLOAD_STREAM_LONG,        // the stream holds more bytes than the declared size
    PAYLOAD_STREAM_NO_MEMORY,
};

// What the setup program's uncompress, with the declared size as its output limit, takes:
// a whole stream of at most that size. A short one gives a file of the bytes it holds.
inline bool IsInstallableStream(PayloadStreamStatus status)
{
    return status == PAYLOAD_STREAM_OK || status == PAYLOAD_STREAM_SHORT;
}

struct PayloadStreamCheck {
    PayloadStreamStatus status;
    uint64_t nInflated;     // bytes produced, at most one past the declared size
    size_t nConsumed;       // bytes of the span that the stream took
    std::string detail;     // zlib's own word on a corrupt stream
};

// Inflates the packed bytes, producing at most dwSize bytes (and probing one more to
// tell a long stream). With pOut, the file's bytes are left there (resized to what was
// produced); without it they are only counted.
PayloadStreamCheck InflatePayloadStream(const uint8_t* pStream, size_t nPacked, uint32_t dwSize,
                                        std::vector<uint8_t>* pOut);

// The CRC-32 (zlib's) of size bytes.
uint32_t PayloadCrc32(const uint8_t* pData, size_t nSize);

// "inflates to 12 bytes, fewer than its size 20", for messages.
std::string DescribePayloadStreamCheck(const PayloadStreamCheck& check, uint32_t dwSize);
