#include "Png.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>

namespace uidriver {

namespace {

const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void AppendBigEndian32(std::vector<unsigned char>* pOut, uint32_t value)
{
    pOut->push_back(static_cast<unsigned char>(value >> 24));
    pOut->push_back(static_cast<unsigned char>(value >> 16));
    pOut->push_back(static_cast<unsigned char>(value >> 8));
    pOut->push_back(static_cast<unsigned char>(value));
}

// Length, type, data, then the CRC over type and data.
void AppendChunk(std::vector<unsigned char>* pOut, const char (&type)[5], const unsigned char* pData, size_t nSize)
{
    AppendBigEndian32(pOut, static_cast<uint32_t>(nSize));
    size_t nTypeAt = pOut->size();
    pOut->insert(pOut->end(), type, type + 4);
    if (nSize)
        pOut->insert(pOut->end(), pData, pData + nSize);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, pOut->data() + nTypeAt, static_cast<uInt>(4 + nSize));
    AppendBigEndian32(pOut, static_cast<uint32_t>(crc));
}

// Each row is preceded by its filter type; 0 (none) keeps the writer simple.
std::vector<unsigned char> FilteredRows(int width, int height, const unsigned char* pRgb)
{
    const size_t nRowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> rows;
    rows.reserve((nRowBytes + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows.push_back(0);
        const unsigned char* pRow = pRgb + nRowBytes * static_cast<size_t>(y);
        rows.insert(rows.end(), pRow, pRow + nRowBytes);
    }
    return rows;
}

struct FileCloser {
    void operator()(FILE* pFile) const { fclose(pFile); }
};

} // namespace

bool EncodePng(int width, int height, const unsigned char* pRgb, std::vector<unsigned char>* pPng)
{
    pPng->clear();
    // PNG limits each side to 2^31 - 1; the raw data must also fit zlib's 32-bit sizes.
    const uint64_t nRaw = (static_cast<uint64_t>(width) * 3 + 1) * static_cast<uint64_t>(height > 0 ? height : 0);
    if (width <= 0 || height <= 0 || !pRgb || nRaw > std::numeric_limits<uInt>::max() / 2)
        return false;

    std::vector<unsigned char> rows = FilteredRows(width, height, pRgb);
    uLongf nCompressed = compressBound(static_cast<uLong>(rows.size()));
    std::vector<unsigned char> compressed(nCompressed);
    if (compress2(compressed.data(), &nCompressed, rows.data(), static_cast<uLong>(rows.size()), 6) != Z_OK)
        return false;

    std::vector<unsigned char> header;
    AppendBigEndian32(&header, static_cast<uint32_t>(width));
    AppendBigEndian32(&header, static_cast<uint32_t>(height));
    header.push_back(8);  // bits per sample
    header.push_back(2);  // colour type: RGB
    header.push_back(0);  // compression: deflate
    header.push_back(0);  // filter method: adaptive
    header.push_back(0);  // no interlace

    pPng->assign(kSignature, kSignature + sizeof kSignature);
    AppendChunk(pPng, "IHDR", header.data(), header.size());
    AppendChunk(pPng, "IDAT", compressed.data(), nCompressed);
    AppendChunk(pPng, "IEND", nullptr, 0);
    return true;
}

bool WritePng(const std::string& path, int width, int height, const unsigned char* pRgb)
{
    std::vector<unsigned char> png;
    if (!EncodePng(width, height, pRgb, &png))
        return false;
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    if (fwrite(png.data(), 1, png.size(), file.get()) != png.size())
        return false;
    return fclose(file.release()) == 0;
}

} // namespace uidriver
