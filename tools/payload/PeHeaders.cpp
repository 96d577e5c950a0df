#include "PeHeaders.h"

#include <algorithm>

#include "LittleEndian.h"

namespace {

bool Fail(std::string& error, const char* pszWhy)
{
    error = pszWhy;
    return false;
}

}  // namespace

uint32_t PeHeaders::DirectoryRva(const uint8_t* pImage, size_t d) const
{
    return d < nDirectoryCount ? Load32(pImage + nDirectories + d * 8) : 0;
}

uint32_t PeHeaders::DirectorySize(const uint8_t* pImage, size_t d) const
{
    return d < nDirectoryCount ? Load32(pImage + nDirectories + d * 8 + 4) : 0;
}

bool LooksLikePeImage(const uint8_t* pImage, size_t nSize)
{
    if (nSize < 0x40 || pImage[0] != 'M' || pImage[1] != 'Z')
        return false;
    size_t nPe = Load32(pImage + 0x3C);
    return FitsWithin(nPe, 4, nSize) && pImage[nPe] == 'P' && pImage[nPe + 1] == 'E' && pImage[nPe + 2] == 0 &&
           pImage[nPe + 3] == 0;
}

bool ReadPeHeaders(const uint8_t* p, size_t nSize, PeHeaders& headers, std::string& error)
{
    headers = PeHeaders();
    if (!LooksLikePeImage(p, nSize))
        return Fail(error, "not a PE image");
    headers.nCoff = static_cast<size_t>(Load32(p + 0x3C)) + 4;
    if (!FitsWithin(headers.nCoff, 20, nSize))
        return Fail(error, "the PE file header is cut off");
    headers.wMachine = Load16(p + headers.nCoff);
    size_t nSections = Load16(p + headers.nCoff + 2);
    headers.bSymbolTable = Load32(p + headers.nCoff + 8) != 0 && Load32(p + headers.nCoff + 12) != 0;
    headers.nOptionalSize = Load16(p + headers.nCoff + 16);
    headers.nOptional = headers.nCoff + 20;
    if (!FitsWithin(headers.nOptional, headers.nOptionalSize, nSize) || headers.nOptionalSize < 2)
        return Fail(error, "the PE optional header is cut off");
    uint16_t wMagic = Load16(p + headers.nOptional);
    if (wMagic != 0x10B && wMagic != 0x20B)
        return Fail(error, "unknown PE optional header");
    headers.bPe32Plus = wMagic == 0x20B;
    size_t nCountField = headers.bPe32Plus ? 108 : 92;
    size_t nDirectories = headers.bPe32Plus ? 112 : 96;
    if (headers.nOptionalSize >= nDirectories) {
        headers.nDirectories = headers.nOptional + nDirectories;
        headers.nDirectoryCount = std::min<size_t>(Load32(p + headers.nOptional + nCountField),
                                                   (headers.nOptionalSize - nDirectories) / 8);
    }
    headers.nSectionTable = headers.nOptional + headers.nOptionalSize;
    if (!FitsWithin(headers.nSectionTable, nSections * 40, nSize))
        return Fail(error, "the PE section table is cut off");
    for (size_t i = 0; i < nSections; ++i) {
        size_t nHeader = headers.nSectionTable + i * 40;
        const uint8_t* pSection = p + nHeader;
        headers.sections.push_back(
            {nHeader, Load32(pSection + 8), Load32(pSection + 12), Load32(pSection + 16), Load32(pSection + 20)});
    }
    return true;
}
