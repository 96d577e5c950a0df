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

}  // namespace

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
