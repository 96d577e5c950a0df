// A minimal PE32 image around given resources, enough for a resource-directory walk:
// DOS header, PE headers, one .rsrc section holding the type / id / language tree the
// way resource compilers lay it out. It is not a loadable program; tests and fuzz seeds
// use it where a real linker is not at hand.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

struct SyntheticResource {
    uint32_t dwType;
    uint32_t dwId;
    uint16_t wLanguage;
    std::vector<uint8_t> data;
};

inline void PutU16(std::vector<uint8_t>& bytes, size_t nOffset, uint16_t value)
{
    bytes[nOffset] = static_cast<uint8_t>(value);
    bytes[nOffset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void PutU32(std::vector<uint8_t>& bytes, size_t nOffset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[nOffset + i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace synthetic_pe {

const uint32_t SECTION_RVA = 0x1000;
const uint32_t SUBDIRECTORY = 0x80000000u;

// Appends a directory with nEntries id entries; returns its offset.
inline size_t AddDirectory(std::vector<uint8_t>& rsrc, size_t nEntries)
{
    size_t nOffset = rsrc.size();
    rsrc.resize(nOffset + 16 + nEntries * 8);
    PutU16(rsrc, nOffset + 14, static_cast<uint16_t>(nEntries));
    return nOffset;
}

inline void SetEntry(std::vector<uint8_t>& rsrc, size_t nDirectory, size_t nIndex, uint32_t dwId, uint32_t dwTarget)
{
    PutU32(rsrc, nDirectory + 16 + nIndex * 8, dwId);
    PutU32(rsrc, nDirectory + 20 + nIndex * 8, dwTarget);
}

}  // namespace synthetic_pe

// The resource section's bytes: the type / id / language tree and the data.
inline std::vector<uint8_t> MakeSyntheticResourceSection(const std::vector<SyntheticResource>& resources)
{
    using namespace synthetic_pe;
    // type -> id -> language -> resource index, each level sorted by id as compilers do.
    std::map<uint32_t, std::map<uint32_t, std::map<uint16_t, size_t>>> tree;
    for (size_t i = 0; i < resources.size(); ++i)
        tree[resources[i].dwType][resources[i].dwId][resources[i].wLanguage] = i;

    std::vector<uint8_t> rsrc;
    std::vector<std::pair<size_t, size_t>> dataEntries;  // (entry offset, resource index)
    size_t nRoot = AddDirectory(rsrc, tree.size());
    size_t nType = 0;
    for (const auto& [dwType, ids] : tree) {
        size_t nIdDir = AddDirectory(rsrc, ids.size());
        SetEntry(rsrc, nRoot, nType++, dwType, SUBDIRECTORY | static_cast<uint32_t>(nIdDir));
        size_t nId = 0;
        for (const auto& [dwId, languages] : ids) {
            size_t nLanguageDir = AddDirectory(rsrc, languages.size());
            SetEntry(rsrc, nIdDir, nId++, dwId, SUBDIRECTORY | static_cast<uint32_t>(nLanguageDir));
            size_t nLanguage = 0;
            for (const auto& [wLanguage, nIndex] : languages) {
                size_t nEntry = rsrc.size();
                rsrc.resize(nEntry + 16);
                SetEntry(rsrc, nLanguageDir, nLanguage++, wLanguage, static_cast<uint32_t>(nEntry));
                dataEntries.emplace_back(nEntry, nIndex);
            }
        }
    }
    for (const auto& [nEntry, nIndex] : dataEntries) {
        size_t nData = rsrc.size();
        rsrc.insert(rsrc.end(), resources[nIndex].data.begin(), resources[nIndex].data.end());
        PutU32(rsrc, nEntry, SECTION_RVA + static_cast<uint32_t>(nData));
        PutU32(rsrc, nEntry + 4, static_cast<uint32_t>(resources[nIndex].data.size()));
    }
    return rsrc;
}

// A section after .rsrc, as a linker puts the base relocations there: its data zeros.
struct SyntheticSection {
    uint32_t dwVirtualAddress;
    uint32_t dwVirtualSize;
    uint32_t dwRawSize;
};

// A PE32 image around a resource section made by hand (mapped at SECTION_RVA), with up to
// four more sections after it; the base relocation directory points at the first of them.
inline std::vector<uint8_t> WrapInSyntheticPe(std::vector<uint8_t> rsrc, const std::vector<SyntheticSection>& more = {})
{
    using namespace synthetic_pe;
    rsrc.resize((rsrc.size() + 0x1FF) & ~static_cast<size_t>(0x1FF));

    const size_t nPe = 0x40, nOptional = nPe + 24, nOptionalSize = 224, nSectionTable = nOptional + nOptionalSize;
    const size_t nRawOffset = 0x200;
    std::vector<uint8_t> image(nRawOffset);
    image[0] = 'M';
    image[1] = 'Z';
    PutU32(image, 0x3C, static_cast<uint32_t>(nPe));
    std::memcpy(&image[nPe], "PE\0\0", 4);
    PutU16(image, nPe + 4, 0x14C);  // i386
    PutU16(image, nPe + 6, static_cast<uint16_t>(1 + more.size()));
    PutU16(image, nPe + 20, static_cast<uint16_t>(nOptionalSize));
    PutU16(image, nPe + 22, 0x0102);
    PutU16(image, nOptional, 0x10B);  // PE32
    PutU32(image, nOptional + 32, 0x1000);  // section alignment
    PutU32(image, nOptional + 36, 0x200);   // file alignment
    uint64_t nImageEnd = SECTION_RVA + rsrc.size();
    for (const SyntheticSection& section : more)
        nImageEnd = std::max<uint64_t>(nImageEnd, uint64_t(section.dwVirtualAddress) + section.dwVirtualSize);
    PutU32(image, nOptional + 56, static_cast<uint32_t>((nImageEnd + 0xFFF) & ~uint64_t(0xFFF)));
    PutU32(image, nOptional + 92, 16);
    PutU32(image, nOptional + 96 + 2 * 8, SECTION_RVA);
    PutU32(image, nOptional + 96 + 2 * 8 + 4, static_cast<uint32_t>(rsrc.size()));
    std::memcpy(&image[nSectionTable], ".rsrc", 5);
    PutU32(image, nSectionTable + 8, static_cast<uint32_t>(rsrc.size()));
    PutU32(image, nSectionTable + 12, SECTION_RVA);
    PutU32(image, nSectionTable + 16, static_cast<uint32_t>(rsrc.size()));
    PutU32(image, nSectionTable + 20, static_cast<uint32_t>(nRawOffset));
    PutU32(image, nSectionTable + 36, 0x40000040u);
    image.insert(image.end(), rsrc.begin(), rsrc.end());
    for (size_t i = 0; i < more.size(); ++i) {
        size_t nHeader = nSectionTable + (i + 1) * 40;
        std::memcpy(&image[nHeader], ".reloc", 6);
        PutU32(image, nHeader + 8, more[i].dwVirtualSize);
        PutU32(image, nHeader + 12, more[i].dwVirtualAddress);
        PutU32(image, nHeader + 16, more[i].dwRawSize);
        PutU32(image, nHeader + 20, static_cast<uint32_t>(image.size()));
        PutU32(image, nHeader + 36, 0x42000040u);
        image.resize(image.size() + more[i].dwRawSize);
    }
    if (!more.empty())
        PutU32(image, nOptional + 96 + 5 * 8, more[0].dwVirtualAddress);
    return image;
}

inline std::vector<uint8_t> MakeSyntheticPe(const std::vector<SyntheticResource>& resources)
{
    return WrapInSyntheticPe(MakeSyntheticResourceSection(resources));
}
