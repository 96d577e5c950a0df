// The headers of a Windows PE image held in memory: where the file header, the optional
// header, the data directories and the section table lie, each checked against the file
// before it is read. The resource lookup and the resource rewrite both start here; what
// an image must further be for each of them is theirs to judge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Whether nLength bytes at nOffset lie within nSize bytes, without overflowing.
inline bool FitsWithin(uint64_t nOffset, uint64_t nLength, uint64_t nSize)
{
    return nOffset <= nSize && nLength <= nSize - nOffset;
}

const uint16_t PE_MACHINE_I386 = 0x14C;
const uint16_t PE_MACHINE_AMD64 = 0x8664;

const size_t PE_DIRECTORY_RESOURCE = 2;
const size_t PE_DIRECTORY_CERTIFICATE = 4;
const size_t PE_DIRECTORY_BASE_RELOCATION = 5;

struct PeSection {
    size_t nHeader;  // file offset of its 40-byte header
    uint32_t dwVirtualSize, dwVirtualAddress, dwRawSize, dwRawOffset;

    // Where its memory ends: the larger of its two sizes, as the loader may map either.
    uint64_t VirtualEnd() const
    {
        return static_cast<uint64_t>(dwVirtualAddress) + (dwVirtualSize > dwRawSize ? dwVirtualSize : dwRawSize);
    }
};

struct PeHeaders {
    uint16_t wMachine = 0;
    size_t nCoff = 0;           // file offset of the file header
    size_t nOptional = 0;       // file offset of the optional header
    size_t nOptionalSize = 0;
    bool bPe32Plus = false;
    bool bSymbolTable = false;  // a COFF symbol table follows the sections
    size_t nDirectories = 0;    // file offset of the data directories
    size_t nDirectoryCount = 0; // how many the header holds and names (0 when it is too short for any)
    size_t nSectionTable = 0;   // file offset of the section table
    std::vector<PeSection> sections;  // in table order

    // The address and size of data directory d; 0 for one the header does not hold.
    uint32_t DirectoryRva(const uint8_t* pImage, size_t d) const;
    uint32_t DirectorySize(const uint8_t* pImage, size_t d) const;
};

// True when the bytes begin like a PE image: "MZ", and "PE\0\0" where the DOS header points.
bool LooksLikePeImage(const uint8_t* pImage, size_t nSize);

// Reads the headers and the section table. False, with the reason, when the image is not a
// PE image or its headers or section table do not lie within the file.
bool ReadPeHeaders(const uint8_t* pImage, size_t nSize, PeHeaders& headers, std::string& error);
