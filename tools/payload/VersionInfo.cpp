#include "VersionInfo.h"

#include <cstdlib>

#include "AnsiCodePage.h"

namespace {

// Decodes well-formed UTF-8 into UTF-16 code units.
std::u16string Utf16(const std::string& utf8)
{
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t nLength = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = nLength == 1 ? lead : nLength == 2 ? lead & 0x1F : nLength == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; k < nLength; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += nLength;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

void Put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, static_cast<uint16_t>(value));
    Put16(out, static_cast<uint16_t>(value >> 16));
}

void PutText(std::vector<uint8_t>& out, const std::u16string& text)
{
    for (char16_t unit : text)
        Put16(out, unit);
    Put16(out, 0);
}

void Align4(std::vector<uint8_t>& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

// One node of the version tree: length, value length, type, key, padding, value,
// padding, children. The length counts the node without its trailing padding.
std::vector<uint8_t> Node(const std::u16string& key, uint16_t wType, const std::vector<uint8_t>& value,
                          uint16_t wValueLength, const std::vector<std::vector<uint8_t>>& children)
{
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, wValueLength);
    Put16(out, wType);
    PutText(out, key);
    Align4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& child : children) {
        Align4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = static_cast<uint8_t>(out.size());
    out[1] = static_cast<uint8_t>(out.size() >> 8);
    return out;
}

std::vector<uint8_t> StringNode(const std::string& key, const std::string& value)
{
    std::u16string text = Utf16(value);
    std::vector<uint8_t> bytes;
    PutText(bytes, text);
    return Node(Utf16(key), 1, bytes, static_cast<uint16_t>(text.size() + 1), {});
}

// One node of a version tree read back: its key, its value's bytes and its children's
// span. Every length is checked against the bytes around it.
struct VersionNode {
    std::u16string key;
    size_t nValue = 0, nValueBytes = 0;
    size_t nChildren = 0, nEnd = 0;
};

uint16_t Get16(const uint8_t* p, size_t nOffset)
{
    return static_cast<uint16_t>(p[nOffset] | (p[nOffset + 1] << 8));
}

size_t AlignedTo4(size_t n)
{
    return (n + 3) & ~static_cast<size_t>(3);
}

bool ReadVersionNode(const uint8_t* p, size_t nOffset, size_t nLimit, VersionNode& node)
{
    if (nOffset + 6 > nLimit)
        return false;
    size_t nLength = Get16(p, nOffset), nValueLength = Get16(p, nOffset + 2);
    bool bText = Get16(p, nOffset + 4) == 1;
    if (nLength < 6 || nLength > nLimit - nOffset)
        return false;
    node = VersionNode();
    node.nEnd = nOffset + nLength;
    size_t nPos = nOffset + 6;
    for (; nPos + 2 <= node.nEnd && Get16(p, nPos) != 0; nPos += 2)
        node.key.push_back(static_cast<char16_t>(Get16(p, nPos)));
    node.nValue = AlignedTo4(nPos + 2);
    node.nValueBytes = bText ? nValueLength * 2 : nValueLength;
    if (nPos + 2 > node.nEnd || node.nValue > node.nEnd || node.nValueBytes > node.nEnd - node.nValue)
        return false;
    node.nChildren = AlignedTo4(node.nValue + node.nValueBytes);
    return true;
}

// The children of a node, in order.
bool ReadVersionChildren(const uint8_t* p, const VersionNode& parent, std::vector<VersionNode>& children)
{
    for (size_t nPos = parent.nChildren; nPos < parent.nEnd; nPos = AlignedTo4(children.back().nEnd)) {
        children.emplace_back();
        if (!ReadVersionNode(p, nPos, parent.nEnd, children.back()))
            return false;
    }
    return true;
}

std::string Utf8(const uint8_t* p, size_t nUnits)
{
    std::string out;
    for (size_t i = 0; i < nUnits; ++i) {
        uint32_t code = Get16(p, i * 2);
        if (code == 0)
            break;
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < nUnits) {
            uint32_t low = Get16(p, (i + 1) * 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(code, out);
    }
    return out;
}

}  // namespace

bool ReadVersionStrings(const uint8_t* pResource, size_t nSize, std::map<std::string, std::string>& strings,
                        std::string& error)
{
    VersionNode root;
    std::vector<VersionNode> blocks, tables, texts;
    error = "the version resource is damaged";
    if (!ReadVersionNode(pResource, 0, nSize, root) || root.key != u"VS_VERSION_INFO" ||
        !ReadVersionChildren(pResource, root, blocks))
        return false;
    for (const VersionNode& block : blocks) {
        if (block.key != u"StringFileInfo")
            continue;
        if (!ReadVersionChildren(pResource, block, tables) || tables.empty() ||
            !ReadVersionChildren(pResource, tables[0], texts))
            return false;
        for (const VersionNode& text : texts) {
            std::string key;
            for (char16_t unit : text.key)
                key += unit < 0x80 ? static_cast<char>(unit) : '?';
            strings[key] = Utf8(pResource + text.nValue, text.nValueBytes / 2);
        }
        error.clear();
        return true;
    }
    error = "the version resource has no string table";
    return false;
}

bool ParseVersionNumbers(const std::string& text, uint16_t version[4])
{
    uint16_t numbers[4] = {0, 0, 0, 0};
    size_t nCount = 0, nPos = 0;
    while (nCount < 4) {
        size_t nEnd = text.find('.', nPos);
        std::string part = text.substr(nPos, nEnd == std::string::npos ? std::string::npos : nEnd - nPos);
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        unsigned long value = std::strtoul(part.c_str(), nullptr, 10);
        if (value > 65535)
            return false;
        numbers[nCount++] = static_cast<uint16_t>(value);
        if (nEnd == std::string::npos)
            break;
        nPos = nEnd + 1;
        if (nCount == 4)
            return false;
    }
    if (nCount < 3)
        return false;
    for (int i = 0; i < 4; ++i)
        version[i] = numbers[i];
    return true;
}

std::string VersionText(const uint16_t version[4])
{
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]) + "." +
           std::to_string(version[3]);
}

bool BuildVersionInfo(const VersionInfoText& info, std::vector<uint8_t>& resource, std::string& error)
{
    const std::pair<const char*, const std::string*> names[] = {
        {"company name", &info.company}, {"product name", &info.product}, {"description", &info.description}};
    for (const auto& name : names) {
        if (!IsUtf8(*name.second)) {
            error = std::string("the ") + name.first + " is not UTF-8";
            return false;
        }
        if (name.second->size() > 256) {
            error = std::string("the ") + name.first + " is longer than 256 bytes";
            return false;
        }
    }

    std::vector<uint8_t> fixed;
    uint32_t dwMs = (static_cast<uint32_t>(info.version[0]) << 16) | info.version[1];
    uint32_t dwLs = (static_cast<uint32_t>(info.version[2]) << 16) | info.version[3];
    Put32(fixed, 0xFEEF04BDu);   // signature
    Put32(fixed, 0x00010000u);   // structure version
    Put32(fixed, dwMs);          // file version
    Put32(fixed, dwLs);
    Put32(fixed, dwMs);          // product version
    Put32(fixed, dwLs);
    Put32(fixed, 0x3F);          // VS_FFI_FILEFLAGSMASK
    Put32(fixed, 0);             // flags
    Put32(fixed, 0x00000004u);   // VOS__WINDOWS32
    Put32(fixed, 1);             // VFT_APP
    Put32(fixed, 0);             // subtype
    Put32(fixed, 0);             // no date: the same bytes on every build
    Put32(fixed, 0);

    std::string versionText = VersionText(info.version);
    std::vector<uint8_t> table = Node(u"040904E4", 1, {}, 0,
                                      {StringNode("CompanyName", info.company),
                                       StringNode("FileDescription", info.description),
                                       StringNode("FileVersion", versionText),
                                       StringNode("InternalName", info.internalName),
                                       StringNode("OriginalFilename", info.originalFilename),
                                       StringNode("ProductName", info.product),
                                       StringNode("ProductVersion", versionText)});
    std::vector<uint8_t> strings = Node(u"StringFileInfo", 1, {}, 0, {table});
    std::vector<uint8_t> translation;
    Put16(translation, 0x0409);
    Put16(translation, 1252);
    std::vector<uint8_t> var = Node(u"Translation", 0, translation, 4, {});
    std::vector<uint8_t> vars = Node(u"VarFileInfo", 1, {}, 0, {var});
    resource = Node(u"VS_VERSION_INFO", 0, fixed, static_cast<uint16_t>(fixed.size()), {strings, vars});
    return true;
}
