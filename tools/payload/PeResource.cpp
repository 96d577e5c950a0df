#include "PeResource.h"

#include <vector>

#include "LittleEndian.h"

namespace {

bool Fits(size_t nOffset, size_t nLength, size_t nSize)
{
    return nOffset <= nSize && nLength <= nSize - nOffset;
}

struct Section {
    uint32_t dwVirtualAddress;
    uint32_t dwVirtualSize;
    uint32_t dwRawSize;
    uint32_t dwRawOffset;
};

const size_t IMAGE_DIRECTORY_RESOURCE = 2;
const uint32_t RESOURCE_SUBDIRECTORY = 0x80000000u;
const uint32_t RESOURCE_NAMED = 0x80000000u;

class PeImage {
public:
    PeImage(const uint8_t* pImage, size_t nSize) : m_p(pImage), m_nSize(nSize) {}

    bool Parse(std::string& error)
    {
        if (!LooksLikePeImage(m_p, m_nSize)) {
            error = "not a PE image";
            return false;
        }
        size_t nPe = Load32(m_p + 0x3C);
        size_t nCoff = nPe + 4;
        if (!Fits(nCoff, 20, m_nSize)) {
            error = "the PE file header is cut off";
            return false;
        }
        size_t nSections = Load16(m_p + nCoff + 2);
        size_t nOptionalSize = Load16(m_p + nCoff + 16);
        size_t nOptional = nCoff + 20;
        if (!Fits(nOptional, nOptionalSize, m_nSize) || nOptionalSize < 2) {
            error = "the PE optional header is cut off";
            return false;
        }
        if (!ReadResourceDirectoryEntry(nOptional, nOptionalSize, error))
            return false;
        return ReadSections(nOptional + nOptionalSize, nSections, error);
    }

    // File offset of nLength bytes at rva, when a section holds all of them in the file.
    bool RvaToOffset(uint32_t rva, size_t nLength, size_t& nOffset) const
    {
        for (const Section& section : m_sections) {
            if (rva < section.dwVirtualAddress)
                continue;
            size_t nInto = rva - section.dwVirtualAddress;
            if (!Fits(nInto, nLength, section.dwRawSize))
                continue;
            nOffset = static_cast<size_t>(section.dwRawOffset) + nInto;
            return Fits(nOffset, nLength, m_nSize);
        }
        return false;
    }

    // The bytes of the section that holds rva, from rva to the end of its file data.
    bool SectionTail(uint32_t rva, size_t& nOffset, size_t& nLength) const
    {
        for (const Section& section : m_sections) {
            if (rva < section.dwVirtualAddress || rva - section.dwVirtualAddress >= section.dwRawSize)
                continue;
            size_t nInto = rva - section.dwVirtualAddress;
            nOffset = static_cast<size_t>(section.dwRawOffset) + nInto;
            nLength = section.dwRawSize - nInto;
            if (nOffset > m_nSize)
                return false;
            if (nLength > m_nSize - nOffset)
                nLength = m_nSize - nOffset;
            return true;
        }
        return false;
    }

    uint32_t ResourceRva() const { return m_dwResourceRva; }

private:
    const uint8_t* m_p;
    size_t m_nSize;
    uint32_t m_dwResourceRva = 0;
    std::vector<Section> m_sections;

    bool ReadResourceDirectoryEntry(size_t nOptional, size_t nOptionalSize, std::string& error)
    {
        uint16_t wMagic = Load16(m_p + nOptional);
        size_t nCountField, nDirectories;
        if (wMagic == 0x10B) {          // PE32
            nCountField = 92;
            nDirectories = 96;
        } else if (wMagic == 0x20B) {  // PE32+
            nCountField = 108;
            nDirectories = 112;
        } else {
            error = "unknown PE optional header";
            return false;
        }
        size_t nEntry = nDirectories + IMAGE_DIRECTORY_RESOURCE * 8;
        if (nEntry + 8 > nOptionalSize || Load32(m_p + nOptional + nCountField) <= IMAGE_DIRECTORY_RESOURCE) {
            error = "the image has no resource directory";
            return false;
        }
        m_dwResourceRva = Load32(m_p + nOptional + nEntry);
        if (m_dwResourceRva == 0 || Load32(m_p + nOptional + nEntry + 4) == 0) {
            error = "the image has no resources";
            return false;
        }
        return true;
    }

    bool ReadSections(size_t nTable, size_t nSections, std::string& error)
    {
        if (!Fits(nTable, nSections * 40, m_nSize)) {
            error = "the PE section table is cut off";
            return false;
        }
        for (size_t i = 0; i < nSections; ++i) {
            const uint8_t* pSection = m_p + nTable + i * 40;
            m_sections.push_back({Load32(pSection + 12), Load32(pSection + 8), Load32(pSection + 16), Load32(pSection + 20)});
        }
        return true;
    }
};

// The resource directory tree: every offset in it is relative to its first byte and is
// checked against the bytes the section holds from there on.
class ResourceTree {
public:
    ResourceTree(const uint8_t* pBase, size_t nLength) : m_p(pBase), m_nLength(nLength) {}

    // Finds the entry for an integer id in the directory at nDirectory. Returns its raw
    // OffsetToData field.
    bool FindId(size_t nDirectory, uint32_t dwId, uint32_t& dwTarget) const
    {
        size_t nNamed, nIds;
        if (!Counts(nDirectory, nNamed, nIds))
            return false;
        for (size_t i = nNamed; i < nNamed + nIds; ++i) {
            const uint8_t* pEntry = m_p + nDirectory + 16 + i * 8;
            uint32_t dwName = Load32(pEntry);
            if (!(dwName & RESOURCE_NAMED) && dwName == dwId) {
                dwTarget = Load32(pEntry + 4);
                return true;
            }
        }
        return false;
    }

    // The language entry to use: English (US) when present, otherwise the first.
    bool PickLanguage(size_t nDirectory, uint32_t& dwTarget, uint16_t& wLanguage) const
    {
        size_t nNamed, nIds;
        if (!Counts(nDirectory, nNamed, nIds) || nNamed + nIds == 0)
            return false;
        const uint8_t* pFirst = m_p + nDirectory + 16;
        dwTarget = Load32(pFirst + 4);
        wLanguage = static_cast<uint16_t>(Load32(pFirst));
        for (size_t i = 0; i < nNamed + nIds; ++i) {
            const uint8_t* pEntry = pFirst + i * 8;
            if (Load32(pEntry) == PE_LANG_ENGLISH_US) {
                dwTarget = Load32(pEntry + 4);
                wLanguage = PE_LANG_ENGLISH_US;
                break;
            }
        }
        return true;
    }

    bool Subdirectory(uint32_t dwTarget, size_t& nDirectory) const
    {
        if (!(dwTarget & RESOURCE_SUBDIRECTORY))
            return false;
        nDirectory = dwTarget & ~RESOURCE_SUBDIRECTORY;
        return Fits(nDirectory, 16, m_nLength);
    }

    bool DataEntry(uint32_t dwTarget, uint32_t& dwRva, uint32_t& dwSize) const
    {
        if (dwTarget & RESOURCE_SUBDIRECTORY || !Fits(dwTarget, 16, m_nLength))
            return false;
        dwRva = Load32(m_p + dwTarget);
        dwSize = Load32(m_p + dwTarget + 4);
        return true;
    }

private:
    const uint8_t* m_p;
    size_t m_nLength;

    bool Counts(size_t nDirectory, size_t& nNamed, size_t& nIds) const
    {
        if (!Fits(nDirectory, 16, m_nLength))
            return false;
        nNamed = Load16(m_p + nDirectory + 12);
        nIds = Load16(m_p + nDirectory + 14);
        return Fits(nDirectory + 16, (nNamed + nIds) * 8, m_nLength);
    }
};

}  // namespace

bool LooksLikePeImage(const uint8_t* pImage, size_t nSize)
{
    if (nSize < 0x40 || pImage[0] != 'M' || pImage[1] != 'Z')
        return false;
    size_t nPe = Load32(pImage + 0x3C);
    return Fits(nPe, 4, nSize) && pImage[nPe] == 'P' && pImage[nPe + 1] == 'E' && pImage[nPe + 2] == 0 &&
           pImage[nPe + 3] == 0;
}

bool FindPeResource(const uint8_t* pImage, size_t nSize, uint32_t dwType, uint32_t dwId, PeResourceSpan& span,
                    std::string& error)
{
    PeImage image(pImage, nSize);
    if (!image.Parse(error))
        return false;
    size_t nTreeOffset, nTreeLength;
    if (!image.SectionTail(image.ResourceRva(), nTreeOffset, nTreeLength)) {
        error = "the resource directory lies outside the file's sections";
        return false;
    }
    ResourceTree tree(pImage + nTreeOffset, nTreeLength);
    std::string what = "resource " + std::to_string(dwId) + " of type " + std::to_string(dwType);

    uint32_t dwTarget;
    size_t nTypes = 0, nNames, nLanguages;
    if (!tree.FindId(nTypes, dwType, dwTarget) || !tree.Subdirectory(dwTarget, nNames)) {
        error = "the image has no resources of type " + std::to_string(dwType);
        return false;
    }
    if (!tree.FindId(nNames, dwId, dwTarget) || !tree.Subdirectory(dwTarget, nLanguages)) {
        error = "the image has no " + what;
        return false;
    }
    uint32_t dwDataRva, dwDataSize;
    if (!tree.PickLanguage(nLanguages, dwTarget, span.wLanguage) || !tree.DataEntry(dwTarget, dwDataRva, dwDataSize)) {
        error = "the resource directory entry of " + what + " is damaged";
        return false;
    }
    if (!image.RvaToOffset(dwDataRva, dwDataSize, span.nOffset)) {
        error = "the data of " + what + " lies outside the file";
        return false;
    }
    span.nSize = dwDataSize;
    return true;
}
