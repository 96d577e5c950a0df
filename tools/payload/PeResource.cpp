#include "PeResource.h"

#include "LittleEndian.h"

namespace {

const uint32_t RESOURCE_SUBDIRECTORY = 0x80000000u;
const uint32_t RESOURCE_NAMED = 0x80000000u;

class PeImage {
public:
    PeImage(const uint8_t* pImage, size_t nSize) : m_p(pImage), m_nSize(nSize) {}

    bool Parse(std::string& error)
    {
        if (!ReadPeHeaders(m_p, m_nSize, m_headers, error))
            return false;
        if (m_headers.nDirectoryCount <= PE_DIRECTORY_RESOURCE) {
            error = "the image has no resource directory";
            return false;
        }
        if (ResourceRva() == 0 || m_headers.DirectorySize(m_p, PE_DIRECTORY_RESOURCE) == 0) {
            error = "the image has no resources";
            return false;
        }
        return true;
    }

    // File offset of nLength bytes at rva, when a section holds all of them in the file.
    bool RvaToOffset(uint32_t rva, size_t nLength, size_t& nOffset) const
    {
        for (const PeSection& section : m_headers.sections) {
            if (rva < section.dwVirtualAddress)
                continue;
            size_t nInto = rva - section.dwVirtualAddress;
            if (!FitsWithin(nInto, nLength, section.dwRawSize))
                continue;
            nOffset = static_cast<size_t>(section.dwRawOffset) + nInto;
            return FitsWithin(nOffset, nLength, m_nSize);
        }
        return false;
    }

    // The bytes of the section that holds rva, from rva to the end of its file data.
    bool SectionTail(uint32_t rva, size_t& nOffset, size_t& nLength) const
    {
        for (const PeSection& section : m_headers.sections) {
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

    uint32_t ResourceRva() const { return m_headers.DirectoryRva(m_p, PE_DIRECTORY_RESOURCE); }

private:
    const uint8_t* m_p;
    size_t m_nSize;
    PeHeaders m_headers;
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
        return FitsWithin(nDirectory, 16, m_nLength);
    }

    bool DataEntry(uint32_t dwTarget, uint32_t& dwRva, uint32_t& dwSize) const
    {
        if (dwTarget & RESOURCE_SUBDIRECTORY || !FitsWithin(dwTarget, 16, m_nLength))
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
        if (!FitsWithin(nDirectory, 16, m_nLength))
            return false;
        nNamed = Load16(m_p + nDirectory + 12);
        nIds = Load16(m_p + nDirectory + 14);
        return FitsWithin(nDirectory + 16, (nNamed + nIds) * 8, m_nLength);
    }
};

}  // namespace

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
