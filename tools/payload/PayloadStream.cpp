#include "PayloadStream.h"

#ifndef PAYLOAD_DEFLATE_WITH_ZLIB
#include <libdeflate.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>

#ifndef PAYLOAD_DEFLATE_WITH_ZLIB
namespace {

// Each thread keeps its compressor for the last level it used: a compressor is large
// (hundreds of KiB of tables) and an archive of many small files would otherwise make
// one per file.
libdeflate_compressor* ThreadCompressor(int nLevel)
{
    struct Cache {
        int nLevel = -1;
        libdeflate_compressor* pCompressor = nullptr;
        ~Cache() { libdeflate_free_compressor(pCompressor); }
    };
    thread_local Cache cache;
    if (cache.pCompressor && cache.nLevel == nLevel)
        return cache.pCompressor;
    libdeflate_free_compressor(cache.pCompressor);
    cache.pCompressor = libdeflate_alloc_compressor(nLevel);
    cache.nLevel = nLevel;
    return cache.pCompressor;
}

} // namespace

// libdeflate rather than zlib's compress2: at the same level its streams come out smaller
// and faster (measured by the benchmark, bench/host/deflate_compare.cpp), and they are
// standard zlib streams that the setup program's uncompress reads.
bool DeflatePayloadStream(const uint8_t* pData, size_t nSize, int nLevel, std::vector<uint8_t>& stream,
                          std::string& error)
{
    libdeflate_compressor* pCompressor = nLevel >= 0 && nLevel <= 12 ? ThreadCompressor(nLevel) : nullptr;
    if (!pCompressor) {
        error = nLevel < 0 || nLevel > 12 ? "no compression level " + std::to_string(nLevel)
                                          : "libdeflate ran out of memory";
        stream.clear();
        return false;
    }
    stream.resize(libdeflate_zlib_compress_bound(pCompressor, nSize));
    size_t nPacked = libdeflate_zlib_compress(pCompressor, nSize ? pData : reinterpret_cast<const uint8_t*>(""), nSize,
                                              stream.data(), stream.size());
    if (nPacked == 0) {
        error = "libdeflate could not compress the data into its own bound";
        stream.clear();
        return false;
    }
    stream.resize(nPacked);
    stream.shrink_to_fit();
    return true;
}
#else
// The Windows build of the tool has no libdeflate: zlib's own compress2 makes the streams,
// as sound for the setup program, a little larger, and not the same bytes as the Linux
// build's (each build gives the same bytes every time).
bool DeflatePayloadStream(const uint8_t* pData, size_t nSize, int nLevel, std::vector<uint8_t>& stream,
                          std::string& error)
{
    if (nLevel < 0 || nLevel > 9 || nSize > ULONG_MAX / 2) {
        error = nLevel < 0 || nLevel > 9 ? "no compression level " + std::to_string(nLevel) : "the file is too large";
        stream.clear();
        return false;
    }
    uLongf nPacked = compressBound(static_cast<uLong>(nSize));
    stream.resize(nPacked);
    int nStatus = compress2(stream.data(), &nPacked, nSize ? pData : reinterpret_cast<const uint8_t*>(""),
                            static_cast<uLong>(nSize), nLevel);
    if (nStatus != Z_OK) {
        error = "zlib could not compress the data (status " + std::to_string(nStatus) + ")";
        stream.clear();
        return false;
    }
    stream.resize(nPacked);
    stream.shrink_to_fit();
    return true;
}
#endif

uint32_t PayloadCrc32(const uint8_t* pData, size_t nSize)
{
    uLong nCrc = crc32(0, Z_NULL, 0);
    const size_t CHUNK = 1u << 30;
    for (size_t nAt = 0; nAt < nSize; nAt += CHUNK)
        nCrc = crc32(nCrc, pData + nAt, static_cast<uInt>(std::min(CHUNK, nSize - nAt)));
    return static_cast<uint32_t>(nCrc);
}

namespace {

// One inflate session over a span, writing into the caller's buffer up to the declared
// size and into a scratch buffer beyond it.
class StreamInflater {
public:
    StreamInflater(const uint8_t* pStream, size_t nPacked, uint32_t dwSize, std::vector<uint8_t>* pOut)
        : m_nSize(dwSize), m_pOut(pOut)
    {
        m_zs.next_in = const_cast<Bytef*>(pStream);
        m_zs.avail_in = static_cast<uInt>(nPacked);
        m_nPacked = nPacked;
        m_bReady = inflateInit(&m_zs) == Z_OK;
        if (m_pOut)
            m_pOut->resize(dwSize);
    }
    ~StreamInflater()
    {
        if (m_bReady)
            inflateEnd(&m_zs);
    }
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;

    PayloadStreamCheck Run()
    {
        PayloadStreamCheck check{PAYLOAD_STREAM_NO_MEMORY, 0, 0, ""};
        if (!m_bReady)
            return check;
        check.status = Loop(check);
        check.nInflated = m_nProduced;
        check.nConsumed = m_nPacked - m_zs.avail_in;
        if (m_pOut)
            m_pOut->resize(static_cast<size_t>(std::min<uint64_t>(m_nProduced, m_nSize)));
        return check;
    }

private:
    z_stream m_zs{};
    size_t m_nPacked = 0;
    uint64_t m_nSize;
    uint64_t m_nProduced = 0;
    std::vector<uint8_t>* m_pOut;
    bool m_bReady = false;
    uint8_t m_scratch[65536];

    // Where the next output goes: the file's own bytes up to the declared size, then a
    // single probe byte that only a too-long stream fills.
    void AimOutput()
    {
        if (m_nProduced < m_nSize) {
            uint64_t nLeft = m_nSize - m_nProduced;
            if (m_pOut) {
                m_zs.next_out = m_pOut->data() + m_nProduced;
                m_zs.avail_out = static_cast<uInt>(std::min<uint64_t>(nLeft, UINT_MAX));
            } else {
                m_zs.next_out = m_scratch;
                m_zs.avail_out = static_cast<uInt>(std::min<uint64_t>(nLeft, sizeof m_scratch));
            }
        } else {
            m_zs.next_out = m_scratch;
            m_zs.avail_out = 1;
        }
    }

    PayloadStreamStatus Loop(PayloadStreamCheck& check)
    {
        for (;;) {
            AimOutput();
            uInt nRoom = m_zs.avail_out;
            int rc = inflate(&m_zs, Z_NO_FLUSH);
            uInt nGot = nRoom - m_zs.avail_out;
            m_nProduced += nGot;
            if (m_nProduced > m_nSize)
                return PAYLOAD_STREAM_LONG;
            switch (rc) {
            case Z_STREAM_END:
                return m_nProduced == m_nSize ? PAYLOAD_STREAM_OK : PAYLOAD_STREAM_SHORT;
            case Z_OK:
                if (nGot == 0 && m_zs.avail_in == 0)
                    return PAYLOAD_STREAM_INCOMPLETE;
                break;
            case Z_BUF_ERROR:
                return PAYLOAD_STREAM_INCOMPLETE;
            case Z_MEM_ERROR:
                return PAYLOAD_STREAM_NO_MEMORY;
            case Z_NEED_DICT:
                check.detail = "the stream asks for a preset dictionary";
                return PAYLOAD_STREAM_CORRUPT;
            default:
                check.detail = m_zs.msg ? m_zs.msg : "invalid data";
                return PAYLOAD_STREAM_CORRUPT;
            }
        }
    }
};

}  // namespace

PayloadStreamCheck InflatePayloadStream(const uint8_t* pStream, size_t nPacked, uint32_t dwSize,
                                        std::vector<uint8_t>* pOut)
{
    // The header's packed size is 32-bit, so the whole span fits zlib's avail_in.
    nPacked = std::min<size_t>(nPacked, UINT_MAX);
    auto inflater = std::make_unique<StreamInflater>(pStream, nPacked, dwSize, pOut);
    return inflater->Run();
}

std::string DescribePayloadStreamCheck(const PayloadStreamCheck& check, uint32_t dwSize)
{
    std::string size = std::to_string(dwSize);
    switch (check.status) {
    case PAYLOAD_STREAM_OK:
        return "inflates to its size " + size;
    case PAYLOAD_STREAM_CORRUPT:
        return "does not inflate (" + check.detail + ")";
    case PAYLOAD_STREAM_INCOMPLETE:
        return "is cut off: its packed span ends before the zlib stream does";
    case PAYLOAD_STREAM_SHORT:
        return "inflates to " + std::to_string(check.nInflated) + " bytes, fewer than its size " + size;
    case PAYLOAD_STREAM_LONG:
        return "inflates to more bytes than its size " + size;
    case PAYLOAD_STREAM_NO_MEMORY:
        return "could not be inflated: out of memory";
    }
    return "has an unknown stream status";
}
