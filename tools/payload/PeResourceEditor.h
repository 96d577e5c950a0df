// Replacing or adding resources in a Windows PE image held in memory, the way a resource
// compiler would have laid them out: the whole resource section is rebuilt from the parsed
// tree, so that a replaced resource leaves no trace of its old bytes. Every other
// resource keeps its data byte for byte, its language and its code page.
//
// The resource section must be the image's last section (mingw-w64's linker puts it
// there) and begin with the resource directory: it can then grow or shrink without
// moving anything else. The headers follow: the section's sizes, SizeOfImage,
// SizeOfInitializedData, the resource data directory and the checksum. A certificate
// table (a signed image) is dropped, since the signature no longer matches; anything
// else after the last section (a symbol table, appended data) is refused.
//
// PE32 and PE32+ alike. Every offset and count the image gives is checked before use, and
// the work is bounded by the file's size: a hostile stub (directories shared between
// entries, sections that overlap) is refused, not multiplied out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "PeHeaders.h"

const uint32_t PE_RT_VERSION = 16;

// A resource's type or name: an integer id, or a name in UTF-16 code units.
struct PeResourceKey {
    bool bNamed = false;
    uint32_t dwId = 0;
    std::u16string name;

    static PeResourceKey Id(uint32_t dwId)
    {
        PeResourceKey key;
        key.dwId = dwId;
        return key;
    }
};

class PeResourceEditor {
public:
    // Parses the image's headers and its whole resource tree. False, with the reason, when
    // the image is damaged or laid out in a way the rewrite cannot keep sound.
    bool Load(const std::vector<uint8_t>& image, std::string& error);

    // The data of resource (type, id, language), or null.
    const std::vector<uint8_t>* Find(uint32_t dwType, uint32_t dwId, uint16_t wLanguage) const;

    // Replaces the data of resource (type, id, language), or adds it. Its code page
    // becomes 0 when it is new and stays when it is replaced.
    void Set(uint32_t dwType, uint32_t dwId, uint16_t wLanguage, const std::vector<uint8_t>& data);

    // The image with the rebuilt resource section. Notes tell what the rewrite did besides
    // (a dropped signature) and warn of an image too large for a 32-bit process. False, with the reason, when the result would not fit the
    // PE format's 32-bit fields.
    bool Save(std::vector<uint8_t>& image, std::vector<std::string>& notes, std::string& error) const;

    // Makes data the one resource (type, id): replaces or adds the given language and
    // drops every other language of it, so that no loader can find an older one. Returns
    // how many other languages were dropped.
    size_t SetOnly(uint32_t dwType, uint32_t dwId, uint16_t wLanguage, const std::vector<uint8_t>& data);

    // Drops resource (type, id) in every language; returns how many leaves went.
    size_t Remove(uint32_t dwType, uint32_t dwId);

    // How many resources (leaves of the tree) the image holds.
    size_t Count() const;

    struct Leaf {
        PeResourceKey language;
        uint32_t dwCodePage = 0;
        std::vector<uint8_t> data;
    };
    struct Name {
        PeResourceKey key;
        std::vector<Leaf> languages;
    };
    struct Type {
        PeResourceKey key;
        std::vector<Name> names;
    };
    using Section = PeSection;

    // The tree as parsed (and changed): types, their names, their languages.
    const std::vector<Type>& Types() const { return m_types; }

private:
    std::vector<uint8_t> m_image;
    std::vector<Type> m_types;

    // Header positions, all checked by Load.
    PeHeaders m_headers;
    size_t m_nOptional = 0;
    size_t m_nDirectories = 0;      // file offset of the data directories
    size_t m_nSectionHeader = 0;    // file offset of the resource section's header
    uint32_t m_dwSectionRva = 0;
    uint32_t m_dwRawOffset = 0;
    uint32_t m_dwOldRawSize = 0;
    uint32_t m_dwFileAlignment = 0;
    uint32_t m_dwSectionAlignment = 0;
    bool m_bHadCertificate = false;
    std::vector<Section> m_trailing;  // the sections after the resource section, in address order

    // The steps of Load, in order.
    bool ReadHeaders(std::string& error);
    bool CheckSections(std::string& error) const;
    bool FindResourceSection(const Section*& pResource, std::string& error);
    bool FindTrailingSections(const Section& resource, std::string& error);
    bool CheckDirectoriesStay(const Section& resource, std::string& error) const;
    bool CheckNothingAfterSections(const Section& resource, std::string& error);

    static bool Refuse(std::string& error, const std::string& why);
    uint32_t Directory(size_t d) const;  // the address of data directory d
};

// The PE checksum (what the image's CheckSum field holds when it is set): the 16-bit
// one's-complement sum of the file with the field itself counted as zero, plus the length.
uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, size_t nChecksumOffset);
