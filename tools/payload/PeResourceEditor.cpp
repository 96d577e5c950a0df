#include "PeResourceEditor.h"

#include <algorithm>
#include <map>
#include <set>

#include "LittleEndian.h"

namespace {

// Whether a size or address passes the PE format's 32-bit fields (a function, so that a
// size_t of 32 bits is compared without a warning that it never can).
bool Exceeds32Bits(uint64_t nValue)
{
    return nValue > 0xFFFFFFFFull;
}

uint64_t AlignUp(uint64_t n, uint64_t nAlignment)
{
    return (n + nAlignment - 1) / nAlignment * nAlignment;
}

bool IsPowerOfTwo(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

const size_t DIRECTORY_RESOURCE = PE_DIRECTORY_RESOURCE;
const size_t DIRECTORY_CERTIFICATE = PE_DIRECTORY_CERTIFICATE;
const size_t DIRECTORY_BASE_RELOCATION = PE_DIRECTORY_BASE_RELOCATION;
const uint32_t HIGH_BIT = 0x80000000u;
const uint32_t SCN_INITIALIZED_DATA = 0x00000040u;
// A resource tree's worth: far above any real program's. Each directory is read once (one
// reached twice is refused), so the walk's work and memory grow with the section's size
// and stay below these bounds whatever a hostile stub holds.
const size_t MAX_LEAVES = 65536;
const size_t MAX_DIRECTORY_ENTRIES = 2 * MAX_LEAVES;
const size_t MAX_NAME_UNITS = 4u << 20;
// About what a 32-bit process finds in one piece of its address space for an image: above
// it Windows may refuse to load the program.
const uint64_t LARGEST_MAPPABLE_IMAGE = 1536ull << 20;

using SectionHeader = PeSection;

bool KeyLess(const PeResourceKey& a, const PeResourceKey& b)
{
    // Named entries come first, then ids in ascending order, as the loader's binary
    // search expects for ids.
    if (a.bNamed != b.bNamed)
        return a.bNamed;
    return !a.bNamed && a.dwId < b.dwId;
}

bool KeyEquals(const PeResourceKey& a, const PeResourceKey& b)
{
    return a.bNamed == b.bNamed && (a.bNamed ? a.name == b.name : a.dwId == b.dwId);
}

// A damaged image may list its entries out of order: an existing entry is found wherever
// it stands, and a new one goes before the first entry that sorts after it.
template <typename T, typename KeyOf>
typename std::vector<T>::iterator FindOrInsertAt(std::vector<T>& items, const PeResourceKey& key, KeyOf keyOf)
{
    for (auto it = items.begin(); it != items.end(); ++it)
        if (KeyEquals(keyOf(*it), key))
            return it;
    auto it = items.begin();
    while (it != items.end() && !KeyLess(key, keyOf(*it)))
        ++it;
    T item;
    keyOf(item) = key;
    return items.insert(it, item);
}

template <typename T>
T& FindOrInsert(std::vector<T>& items, const PeResourceKey& key)
{
    return *FindOrInsertAt(items, key, [](T& item) -> PeResourceKey& { return item.key; });
}

// Walks the resource tree of the section bytes [pBase, pBase + nLength).
class TreeReader {
public:
    TreeReader(const std::vector<uint8_t>& image, const std::vector<SectionHeader>& sections, size_t nBase,
               size_t nLength)
        : m_image(image), m_sections(sections), m_nBase(nBase), m_nLength(nLength)
    {
    }

    bool Read(std::vector<PeResourceEditor::Type>& types, std::string& error)
    {
        std::vector<Entry> typeEntries;
        if (!ReadDirectory(0, typeEntries, error))
            return false;
        for (const Entry& typeEntry : typeEntries) {
            PeResourceEditor::Type type;
            type.key = typeEntry.key;
            std::vector<Entry> nameEntries;
            if (!Subdirectory(typeEntry, nameEntries, error))
                return false;
            for (const Entry& nameEntry : nameEntries) {
                PeResourceEditor::Name name;
                name.key = nameEntry.key;
                std::vector<Entry> languageEntries;
                if (!Subdirectory(nameEntry, languageEntries, error))
                    return false;
                for (const Entry& languageEntry : languageEntries) {
                    PeResourceEditor::Leaf leaf;
                    leaf.language = languageEntry.key;
                    if (!ReadLeaf(languageEntry, leaf, error))
                        return false;
                    name.languages.push_back(std::move(leaf));
                }
                type.names.push_back(std::move(name));
            }
            types.push_back(std::move(type));
        }
        return true;
    }

private:
    struct Entry {
        PeResourceKey key;
        uint32_t dwTarget;
    };

    const std::vector<uint8_t>& m_image;
    const std::vector<SectionHeader>& m_sections;
    size_t m_nBase, m_nLength;
    size_t m_nLeaves = 0;
    size_t m_nEntries = 0;
    size_t m_nNameUnits = 0;
    uint64_t m_nDataBytes = 0;
    std::set<size_t> m_visited;

    const uint8_t* At(size_t nOffset) const { return m_image.data() + m_nBase + nOffset; }

    bool Damaged(std::string& error, const char* pszWhat) const
    {
        error = std::string("the resource directory is damaged: ") + pszWhat;
        return false;
    }

    bool ReadDirectory(size_t nDirectory, std::vector<Entry>& entries, std::string& error)
    {
        if (!FitsWithin(nDirectory, 16, m_nLength))
            return Damaged(error, "a directory lies outside its section");
        if (!m_visited.insert(nDirectory).second)
            return Damaged(error, "a directory is reached twice (entries that share a directory would multiply the "
                                  "tree)");
        size_t nNamed = Load16(At(nDirectory + 12));
        size_t nCount = nNamed + Load16(At(nDirectory + 14));
        if (!FitsWithin(nDirectory + 16, nCount * 8, m_nLength))
            return Damaged(error, "a directory's entries run past its section");
        m_nEntries += nCount;
        if (m_nEntries > MAX_DIRECTORY_ENTRIES)
            return Damaged(error, "it holds more directory entries than any program does");
        for (size_t i = 0; i < nCount; ++i) {
            const uint8_t* pEntry = At(nDirectory + 16 + i * 8);
            Entry entry;
            uint32_t dwName = Load32(pEntry);
            entry.dwTarget = Load32(pEntry + 4);
            // The loader searches the ids by halves: they must stand in ascending order,
            // after the names, each once. A directory that breaks this is damaged.
            if (((dwName & HIGH_BIT) != 0) != (i < nNamed))
                return Damaged(error, "a directory mixes up its named and numbered entries");
            if (i > nNamed && dwName <= entries.back().key.dwId)
                return Damaged(error, "a directory's ids are not in ascending order");
            if (dwName & HIGH_BIT) {
                size_t nString = dwName & ~HIGH_BIT;
                if (!FitsWithin(nString, 2, m_nLength))
                    return Damaged(error, "a name lies outside its section");
                size_t nUnits = Load16(At(nString));
                if (!FitsWithin(nString + 2, nUnits * 2, m_nLength))
                    return Damaged(error, "a name runs past its section");
                m_nNameUnits += nUnits;
                if (m_nNameUnits > MAX_NAME_UNITS)
                    return Damaged(error, "its names are longer than any program's");
                entry.key.bNamed = true;
                for (size_t u = 0; u < nUnits; ++u)
                    entry.key.name.push_back(static_cast<char16_t>(Load16(At(nString + 2 + u * 2))));
            } else {
                entry.key.dwId = dwName;
            }
            entries.push_back(std::move(entry));
        }
        return true;
    }

    bool Subdirectory(const Entry& entry, std::vector<Entry>& entries, std::string& error)
    {
        if (!(entry.dwTarget & HIGH_BIT))
            return Damaged(error, "a type or name entry points at data instead of a directory");
        return ReadDirectory(entry.dwTarget & ~HIGH_BIT, entries, error);
    }

    bool ReadLeaf(const Entry& entry, PeResourceEditor::Leaf& leaf, std::string& error)
    {
        if (entry.dwTarget & HIGH_BIT)
            return Damaged(error, "the tree is deeper than type, name and language");
        if (++m_nLeaves > MAX_LEAVES)
            return Damaged(error, "it holds more resources than any program does");
        if (!FitsWithin(entry.dwTarget, 16, m_nLength))
            return Damaged(error, "a data entry lies outside its section");
        uint32_t dwRva = Load32(At(entry.dwTarget));
        uint32_t dwSize = Load32(At(entry.dwTarget + 4));
        leaf.dwCodePage = Load32(At(entry.dwTarget + 8));
        m_nDataBytes += dwSize;
        if (m_nDataBytes > m_image.size())
            return Damaged(error, "its resources claim more bytes than the file holds");
        for (const SectionHeader& section : m_sections) {
            if (dwRva < section.dwVirtualAddress)
                continue;
            uint64_t nInto = dwRva - section.dwVirtualAddress;
            if (!FitsWithin(nInto, dwSize, section.dwRawSize) || !FitsWithin(section.dwRawOffset + nInto, dwSize, m_image.size()))
                continue;
            const uint8_t* pData = m_image.data() + section.dwRawOffset + nInto;
            leaf.data.assign(pData, pData + dwSize);
            return true;
        }
        return Damaged(error, "a resource's data lies outside the file's sections");
    }
};

// Lays the tree out as resource compilers do: every directory (types, then the names of
// each type, then the languages of each name), the data entries, the names, the data.
class TreeWriter {
public:
    explicit TreeWriter(const std::vector<PeResourceEditor::Type>& types) : m_types(types) {}

    std::vector<uint8_t> Write(uint32_t dwSectionRva)
    {
        // Offsets first: directories, then data entries, then names, then data.
        size_t nOffset = DirectorySize(m_types.size());
        std::vector<size_t> nameDirs, languageDirs;
        for (const auto& type : m_types) {
            nameDirs.push_back(nOffset);
            nOffset += DirectorySize(type.names.size());
        }
        for (const auto& type : m_types) {
            for (const auto& name : type.names) {
                languageDirs.push_back(nOffset);
                nOffset += DirectorySize(name.languages.size());
            }
        }
        size_t nDataEntries = nOffset;
        size_t nLeaves = 0;
        for (const auto& type : m_types)
            for (const auto& name : type.names)
                nLeaves += name.languages.size();
        nOffset += nLeaves * 16;
        m_nStrings = nOffset;
        CollectStrings();
        nOffset = AlignUp(m_nStrings + m_strings.size(), 8);
        std::vector<size_t> dataOffsets;
        for (const auto& type : m_types) {
            for (const auto& name : type.names) {
                for (const auto& leaf : name.languages) {
                    dataOffsets.push_back(nOffset);
                    nOffset = AlignUp(nOffset + leaf.data.size(), 8);
                }
            }
        }

        m_out.assign(nOffset, 0);
        WriteDirectory(0, m_types.size(), [&](size_t i, PeResourceKey& key, uint32_t& dwTarget) {
            key = m_types[i].key;
            dwTarget = HIGH_BIT | static_cast<uint32_t>(nameDirs[i]);
        });
        size_t nLanguageDir = 0, nLeaf = 0;
        for (size_t t = 0; t < m_types.size(); ++t) {
            const auto& names = m_types[t].names;
            WriteDirectory(nameDirs[t], names.size(), [&](size_t i, PeResourceKey& key, uint32_t& dwTarget) {
                key = names[i].key;
                dwTarget = HIGH_BIT | static_cast<uint32_t>(languageDirs[nLanguageDir + i]);
            });
            for (size_t n = 0; n < names.size(); ++n, ++nLanguageDir) {
                const auto& languages = names[n].languages;
                WriteDirectory(languageDirs[nLanguageDir], languages.size(),
                               [&](size_t i, PeResourceKey& key, uint32_t& dwTarget) {
                                   key = languages[i].language;
                                   dwTarget = static_cast<uint32_t>(nDataEntries + (nLeaf + i) * 16);
                               });
                for (const auto& leaf : languages) {
                    uint8_t* pEntry = &m_out[nDataEntries + nLeaf * 16];
                    Store32(pEntry, dwSectionRva + static_cast<uint32_t>(dataOffsets[nLeaf]));
                    Store32(pEntry + 4, static_cast<uint32_t>(leaf.data.size()));
                    Store32(pEntry + 8, leaf.dwCodePage);
                    std::copy(leaf.data.begin(), leaf.data.end(), m_out.begin() + dataOffsets[nLeaf]);
                    ++nLeaf;
                }
            }
        }
        std::copy(m_strings.begin(), m_strings.end(), m_out.begin() + m_nStrings);
        return m_out;
    }

private:
    const std::vector<PeResourceEditor::Type>& m_types;
    std::vector<uint8_t> m_out;
    std::vector<uint8_t> m_strings;
    size_t m_nStrings = 0;
    std::map<std::u16string, size_t> m_stringOffsets;

    static size_t DirectorySize(size_t nEntries) { return 16 + nEntries * 8; }

    void AddString(const PeResourceKey& key)
    {
        if (!key.bNamed || !m_stringOffsets.emplace(key.name, m_nStrings + m_strings.size()).second)
            return;
        m_strings.push_back(static_cast<uint8_t>(key.name.size()));
        m_strings.push_back(static_cast<uint8_t>(key.name.size() >> 8));
        for (char16_t unit : key.name) {
            m_strings.push_back(static_cast<uint8_t>(unit));
            m_strings.push_back(static_cast<uint8_t>(unit >> 8));
        }
    }

    void CollectStrings()
    {
        for (const auto& type : m_types) {
            AddString(type.key);
            for (const auto& name : type.names) {
                AddString(name.key);
                for (const auto& leaf : name.languages)
                    AddString(leaf.language);
            }
        }
    }

    uint32_t StringOffset(const std::u16string& name) const
    {
        auto known = m_stringOffsets.find(name);
        return known == m_stringOffsets.end() ? 0 : static_cast<uint32_t>(known->second);
    }

    template <typename Fill>
    void WriteDirectory(size_t nDirectory, size_t nEntries, Fill fill)
    {
        uint16_t nNamed = 0, nIds = 0;
        for (size_t i = 0; i < nEntries; ++i) {
            PeResourceKey key;
            uint32_t dwTarget = 0;
            fill(i, key, dwTarget);
            (key.bNamed ? nNamed : nIds)++;
            uint8_t* pEntry = &m_out[nDirectory + 16 + i * 8];
            Store32(pEntry, key.bNamed ? HIGH_BIT | StringOffset(key.name) : key.dwId);
            Store32(pEntry + 4, dwTarget);
        }
        Store16(&m_out[nDirectory + 12], nNamed);
        Store16(&m_out[nDirectory + 14], nIds);
    }
};

}  // namespace

uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, size_t nChecksumOffset)
{
    uint64_t nSum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == nChecksumOffset || i == nChecksumOffset + 2)
            continue;
        uint32_t nWord = image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
        nSum += nWord;
        nSum = (nSum & 0xFFFF) + (nSum >> 16);
    }
    nSum = (nSum & 0xFFFF) + (nSum >> 16);
    return static_cast<uint32_t>(nSum + image.size());
}

bool PeResourceEditor::Load(const std::vector<uint8_t>& image, std::string& error)
{
    m_image = image;
    m_types.clear();
    m_trailing.clear();
    const SectionHeader* pResource = nullptr;
    if (!ReadHeaders(error) || !CheckSections(error) || !FindResourceSection(pResource, error) ||
        !FindTrailingSections(*pResource, error) || !CheckDirectoriesStay(*pResource, error) ||
        !CheckNothingAfterSections(*pResource, error))
        return false;
    TreeReader reader(m_image, m_headers.sections, pResource->dwRawOffset, pResource->dwRawSize);
    return reader.Read(m_types, error);
}

bool PeResourceEditor::Refuse(std::string& error, const std::string& why)
{
    error = why;
    return false;
}

uint32_t PeResourceEditor::Directory(size_t d) const
{
    return m_headers.DirectoryRva(m_image.data(), d);
}

// The headers, and what the rewrite needs of them: sound alignments, the directories up
// to the base relocations, resources to replace, no symbol table behind the sections.
bool PeResourceEditor::ReadHeaders(std::string& error)
{
    const uint8_t* p = m_image.data();
    if (!ReadPeHeaders(p, m_image.size(), m_headers, error))
        return false;
    m_nOptional = m_headers.nOptional;
    m_nDirectories = m_headers.nDirectories;
    // Directories up to the base relocations lie past the alignments in the optional header,
    // so that this check also proves the header long enough to read those.
    if (m_headers.nDirectoryCount <= DIRECTORY_BASE_RELOCATION)
        return Refuse(error, "the image's data directory is too short");
    m_dwSectionAlignment = Load32(p + m_nOptional + 32);
    m_dwFileAlignment = Load32(p + m_nOptional + 36);
    if (!IsPowerOfTwo(m_dwFileAlignment) || !IsPowerOfTwo(m_dwSectionAlignment) || m_dwFileAlignment > 0x10000 ||
        m_dwSectionAlignment < m_dwFileAlignment)
        return Refuse(error, "the image's section or file alignment is not a power of two");
    if (Directory(DIRECTORY_RESOURCE) == 0)
        return Refuse(error, "the image has no resources (the rewrite needs a resource section to replace)");
    if (m_headers.bSymbolTable)
        return Refuse(error, "the image carries a symbol table after its sections; strip it first (strip, or link with -s)");
    return true;
}

// Every section's data in the file and its memory in the address space, and no two of
// them sharing bytes of either: the rewrite moves sections, and one that overlaps another
// would come out an image that this very check refuses.
bool PeResourceEditor::CheckSections(std::string& error) const
{
    std::vector<SectionHeader> inMemory, inFile;
    for (const SectionHeader& section : m_headers.sections) {
        if (section.dwRawSize != 0 && !FitsWithin(section.dwRawOffset, section.dwRawSize, m_image.size()))
            return Refuse(error, "a section's data lies outside the file");
        if (section.VirtualEnd() > 0xFFFFFFFFull)
            return Refuse(error, "a section lies outside the address space");
        if (section.VirtualEnd() > section.dwVirtualAddress)
            inMemory.push_back(section);
        if (section.dwRawSize != 0)
            inFile.push_back(section);
    }
    std::sort(inMemory.begin(), inMemory.end(),
              [](const SectionHeader& a, const SectionHeader& b) { return a.dwVirtualAddress < b.dwVirtualAddress; });
    for (size_t i = 1; i < inMemory.size(); ++i)
        if (inMemory[i].dwVirtualAddress < inMemory[i - 1].VirtualEnd())
            return Refuse(error, "two of the image's sections overlap in memory");
    std::sort(inFile.begin(), inFile.end(),
              [](const SectionHeader& a, const SectionHeader& b) { return a.dwRawOffset < b.dwRawOffset; });
    for (size_t i = 1; i < inFile.size(); ++i)
        if (inFile[i].dwRawOffset < static_cast<uint64_t>(inFile[i - 1].dwRawOffset) + inFile[i - 1].dwRawSize)
            return Refuse(error, "two of the image's sections overlap in the file");
    return true;
}

bool PeResourceEditor::FindResourceSection(const SectionHeader*& pResource, std::string& error)
{
    uint32_t dwResourceRva = Directory(DIRECTORY_RESOURCE);
    for (const SectionHeader& section : m_headers.sections)
        if (section.dwVirtualAddress == dwResourceRva)
            pResource = &section;
    if (!pResource)
        return Refuse(error,
                      "the resource directory does not begin a section of its own; the rewrite keeps only such images sound");
    if (pResource->dwRawOffset < m_headers.nSectionTable + m_headers.sections.size() * 40 || pResource->dwRawSize == 0)
        return Refuse(error, "the resource section's data does not lie after the image's headers");
    m_nSectionHeader = pResource->nHeader;
    m_dwSectionRva = pResource->dwVirtualAddress;
    m_dwRawOffset = pResource->dwRawOffset;
    m_dwOldRawSize = pResource->dwRawSize;
    return true;
}

// What comes after the resource section must be movable: only the base relocations,
// which nothing in the image addresses but their data directory.
bool PeResourceEditor::FindTrailingSections(const SectionHeader& resource, std::string& error)
{
    uint64_t nResourceEnd = static_cast<uint64_t>(resource.dwRawOffset) + resource.dwRawSize;
    for (const SectionHeader& section : m_headers.sections) {
        if (section.nHeader == resource.nHeader || section.dwVirtualAddress < resource.dwVirtualAddress)
            continue;
        if (section.dwRawSize != 0 && section.dwRawOffset < nResourceEnd)
            return Refuse(error, "the image's sections are not laid out in address order in the file; it cannot be "
                                 "rewritten");
        for (size_t d = 0; d < m_headers.nDirectoryCount; ++d) {
            uint32_t dwRva = Directory(d);
            if (d == DIRECTORY_CERTIFICATE || d == DIRECTORY_BASE_RELOCATION || dwRva == 0)
                continue;
            if (dwRva >= section.dwVirtualAddress && dwRva < section.VirtualEnd())
                return Refuse(error, "the resource section is not the image's last: a section after it holds data "
                                     "directory " + std::to_string(d) + ", which the rewrite cannot move");
        }
        uint32_t dwRelocations = Directory(DIRECTORY_BASE_RELOCATION);
        if (dwRelocations < section.dwVirtualAddress || dwRelocations >= section.VirtualEnd())
            return Refuse(error, "the resource section is not the image's last: a section after it holds other data "
                                 "than the base relocations, which the rewrite cannot move");
        m_trailing.push_back(section);
    }
    std::sort(m_trailing.begin(), m_trailing.end(),
              [](const SectionHeader& a, const SectionHeader& b) { return a.dwVirtualAddress < b.dwVirtualAddress; });
    for (const SectionHeader& section : m_headers.sections)
        if (section.dwVirtualAddress < resource.dwVirtualAddress && section.dwRawSize != 0 &&
            static_cast<uint64_t>(section.dwRawOffset) + section.dwRawSize > resource.dwRawOffset)
            return Refuse(error, "the image's sections are not laid out in address order in the file; it cannot be "
                                 "rewritten");
    return true;
}

// Nothing but the resources and the base relocations may lie at or after the resource
// section's address: the rewrite moves all of it.
bool PeResourceEditor::CheckDirectoriesStay(const SectionHeader& resource, std::string& error) const
{
    for (size_t d = 0; d < m_headers.nDirectoryCount; ++d) {
        uint32_t dwRva = Directory(d);
        if (d == DIRECTORY_RESOURCE || d == DIRECTORY_CERTIFICATE || dwRva == 0 || dwRva < resource.dwVirtualAddress)
            continue;
        bool bMoves = d == DIRECTORY_BASE_RELOCATION &&
                      std::any_of(m_trailing.begin(), m_trailing.end(), [&](const SectionHeader& s) {
                          return dwRva >= s.dwVirtualAddress && dwRva < s.VirtualEnd();
                      });
        if (!bMoves)
            return Refuse(error, "data directory " + std::to_string(d) +
                                     " lies in or after the resource section, where the rewrite cannot keep it");
    }
    return true;
}

// After the last section's data: nothing, zeros, or the certificate table.
bool PeResourceEditor::CheckNothingAfterSections(const SectionHeader& resource, std::string& error)
{
    const uint8_t* p = m_image.data();
    uint64_t nSize = m_image.size();
    uint64_t nDataEnd = static_cast<uint64_t>(resource.dwRawOffset) + resource.dwRawSize;
    for (const SectionHeader& section : m_trailing)
        nDataEnd = std::max<uint64_t>(nDataEnd, static_cast<uint64_t>(section.dwRawOffset) + section.dwRawSize);
    uint32_t dwCertificate = Directory(DIRECTORY_CERTIFICATE);
    uint32_t dwCertificateSize = m_headers.DirectorySize(p, DIRECTORY_CERTIFICATE);
    m_bHadCertificate = dwCertificateSize != 0;
    if (m_bHadCertificate && (dwCertificate < nDataEnd || !FitsWithin(dwCertificate, dwCertificateSize, nSize)))
        return Refuse(error, "the image's certificate table does not lie after its sections");
    for (uint64_t i = nDataEnd; i < nSize; ++i) {
        if (m_bHadCertificate && i >= dwCertificate && i < static_cast<uint64_t>(dwCertificate) + dwCertificateSize)
            continue;
        if (p[i] != 0)
            return Refuse(error, "the image carries data after its last section (appended data the rewrite would lose)");
    }
    return true;
}

const std::vector<uint8_t>* PeResourceEditor::Find(uint32_t dwType, uint32_t dwId, uint16_t wLanguage) const
{
    for (const Type& type : m_types) {
        if (type.key.bNamed || type.key.dwId != dwType)
            continue;
        for (const Name& name : type.names) {
            if (name.key.bNamed || name.key.dwId != dwId)
                continue;
            for (const Leaf& leaf : name.languages)
                if (!leaf.language.bNamed && leaf.language.dwId == wLanguage)
                    return &leaf.data;
        }
    }
    return nullptr;
}

void PeResourceEditor::Set(uint32_t dwType, uint32_t dwId, uint16_t wLanguage, const std::vector<uint8_t>& data)
{
    Type& type = FindOrInsert(m_types, PeResourceKey::Id(dwType));
    Name& name = FindOrInsert(type.names, PeResourceKey::Id(dwId));
    auto leaf = FindOrInsertAt(name.languages, PeResourceKey::Id(wLanguage),
                               [](Leaf& item) -> PeResourceKey& { return item.language; });
    leaf->data = data;
}

size_t PeResourceEditor::SetOnly(uint32_t dwType, uint32_t dwId, uint16_t wLanguage, const std::vector<uint8_t>& data)
{
    Set(dwType, dwId, wLanguage, data);
    Name& name = FindOrInsert(FindOrInsert(m_types, PeResourceKey::Id(dwType)).names, PeResourceKey::Id(dwId));
    size_t nBefore = name.languages.size();
    name.languages.erase(std::remove_if(name.languages.begin(), name.languages.end(),
                                        [&](const Leaf& leaf) {
                                            return leaf.language.bNamed || leaf.language.dwId != wLanguage;
                                        }),
                         name.languages.end());
    return nBefore - name.languages.size();
}

size_t PeResourceEditor::Remove(uint32_t dwType, uint32_t dwId)
{
    const PeResourceKey typeKey = PeResourceKey::Id(dwType), nameKey = PeResourceKey::Id(dwId);
    auto isKey = [](const PeResourceKey& key, const PeResourceKey& wanted) {
        return !key.bNamed && key.dwId == wanted.dwId;
    };
    size_t nRemoved = 0;
    for (Type& type : m_types) {
        if (!isKey(type.key, typeKey))
            continue;
        for (const Name& name : type.names)
            if (isKey(name.key, nameKey))
                nRemoved += name.languages.size();
        type.names.erase(std::remove_if(type.names.begin(), type.names.end(),
                                        [&](const Name& name) { return isKey(name.key, nameKey); }),
                         type.names.end());
    }
    // A type left without names goes too, when this removal emptied it.
    if (nRemoved)
        m_types.erase(std::remove_if(m_types.begin(), m_types.end(),
                                     [&](const Type& type) { return isKey(type.key, typeKey) && type.names.empty(); }),
                      m_types.end());
    return nRemoved;
}

size_t PeResourceEditor::Count() const
{
    size_t nCount = 0;
    for (const Type& type : m_types)
        for (const Name& name : type.names)
            nCount += name.languages.size();
    return nCount;
}

bool PeResourceEditor::Save(std::vector<uint8_t>& image, std::vector<std::string>& notes, std::string& error) const
{
    std::vector<uint8_t> section = TreeWriter(m_types).Write(m_dwSectionRva);
    uint64_t nRawSize = AlignUp(section.size(), m_dwFileAlignment);
    uint64_t nRawEnd = m_dwRawOffset + nRawSize;
    uint64_t nVirtualEnd = AlignUp(static_cast<uint64_t>(m_dwSectionRva) + section.size(), m_dwSectionAlignment);

    image.assign(m_image.begin(), m_image.begin() + m_dwRawOffset);
    image.insert(image.end(), section.begin(), section.end());
    image.resize(nRawEnd, 0);

    // The sections after it move along, keeping their distance in neither file nor memory.
    const uint8_t* pOld = m_image.data();
    for (const SectionHeader& trailing : m_trailing) {
        uint64_t nNewRva = nVirtualEnd;
        uint64_t nNewRaw = image.size();
        image.insert(image.end(), pOld + trailing.dwRawOffset, pOld + trailing.dwRawOffset + trailing.dwRawSize);
        image.resize(AlignUp(image.size(), m_dwFileAlignment), 0);
        nVirtualEnd = AlignUp(nNewRva + std::max(trailing.dwVirtualSize, trailing.dwRawSize), m_dwSectionAlignment);
        if (Exceeds32Bits(nVirtualEnd) || Exceeds32Bits(image.size())) {
            error = "the rewritten image would not fit the PE format's 32-bit sizes";
            return false;
        }
        uint8_t* pHeader = &image[trailing.nHeader];
        Store32(pHeader + 12, static_cast<uint32_t>(nNewRva));
        Store32(pHeader + 20, trailing.dwRawSize ? static_cast<uint32_t>(nNewRaw) : 0);
        uint32_t dwShift = static_cast<uint32_t>(nNewRva) - trailing.dwVirtualAddress;
        uint8_t* pRelocations = &image[m_nDirectories + DIRECTORY_BASE_RELOCATION * 8];
        uint32_t dwRelocations = Load32(pRelocations);
        if (dwRelocations >= trailing.dwVirtualAddress && dwRelocations < trailing.VirtualEnd())
            Store32(pRelocations, dwRelocations + dwShift);
    }
    if (Exceeds32Bits(nVirtualEnd) || Exceeds32Bits(image.size())) {
        error = "the rewritten image would not fit the PE format's 32-bit sizes";
        return false;
    }

    if (nVirtualEnd > LARGEST_MAPPABLE_IMAGE)
        notes.push_back("the image takes " + std::to_string(nVirtualEnd >> 20) +
                        " MiB of memory: a 32-bit process seldom has more than about 1.5 GiB in one piece, so "
                        "Windows may refuse to start it");
    uint8_t* pSection = &image[m_nSectionHeader];
    Store32(pSection + 8, static_cast<uint32_t>(section.size()));
    Store32(pSection + 16, static_cast<uint32_t>(nRawSize));
    uint8_t* pOptional = &image[m_nOptional];
    Store32(pOptional + 56, static_cast<uint32_t>(nVirtualEnd));  // SizeOfImage
    if (Load32(pSection + 36) & SCN_INITIALIZED_DATA) {
        int64_t nInitialized = static_cast<int64_t>(Load32(pOptional + 8)) + static_cast<int64_t>(nRawSize) -
                               static_cast<int64_t>(m_dwOldRawSize);
        Store32(pOptional + 8, static_cast<uint32_t>(std::clamp<int64_t>(nInitialized, 0, 0xFFFFFFFF)));
    }
    Store32(&image[m_nDirectories + DIRECTORY_RESOURCE * 8 + 4], static_cast<uint32_t>(section.size()));
    if (m_bHadCertificate) {
        Store32(&image[m_nDirectories + DIRECTORY_CERTIFICATE * 8], 0);
        Store32(&image[m_nDirectories + DIRECTORY_CERTIFICATE * 8 + 4], 0);
        notes.push_back("the image was signed; its signature no longer matches and was removed (sign the result again)");
    }
    Store32(pOptional + 64, 0);
    Store32(pOptional + 64, ComputePeChecksum(image, m_nOptional + 64));
    error.clear();
    return true;
}
