#include "AnsiCodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Decodes the UTF-8 sequence at text[nPos]; false for anything but the shortest form of
// a scalar value (no overlong forms, surrogates or values past U+10FFFF).
bool DecodeUtf8(const std::string& text, size_t& nPos, uint32_t& codePoint)
{
    unsigned char lead = static_cast<unsigned char>(text[nPos]);
    size_t nTrail;
    uint32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        ++nPos;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        nTrail = 1, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        nTrail = 2, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        nTrail = 3, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return false;
    }
    if (text.size() - nPos - 1 < nTrail)
        return false;
    for (size_t i = 1; i <= nTrail; ++i) {
        unsigned char trail = static_cast<unsigned char>(text[nPos + i]);
        if ((trail & 0xC0) != 0x80)
            return false;
        codePoint = (codePoint << 6) | (trail & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return false;
    nPos += 1 + nTrail;
    return true;
}

std::string DescribeCodePoint(uint32_t codePoint)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
    std::string described = text;
    if (codePoint >= 0xA0) {
        described += " \"";
        AppendUtf8(codePoint, described);
        described += "\"";
    }
    return described;
}

#ifndef _WIN32
// The character one byte stands for, through iconv; UNDEFINED when it stands for none.
// Each byte is converted on its own and the converter flushed, which also gets the
// characters out of converters that hold a base letter back for a combining mark.
uint32_t DecodeOneByte(iconv_t converter, uint8_t byte, uint32_t undefined)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(byte);
    char* pIn = &in;
    size_t nInLeft = 1;
    uint32_t out[4] = {};
    char* pOut = reinterpret_cast<char*>(out);
    size_t nOutLeft = sizeof out;
    if (iconv(converter, &pIn, &nInLeft, &pOut, &nOutLeft) == static_cast<size_t>(-1) || nInLeft != 0)
        return undefined;
    if (iconv(converter, nullptr, nullptr, &pOut, &nOutLeft) == static_cast<size_t>(-1))
        return undefined;
    if (sizeof out - nOutLeft != 4)  // nothing, or more than one character
        return undefined;
    const uint8_t* pBytes = reinterpret_cast<const uint8_t*>(out);
    return static_cast<uint32_t>(pBytes[0]) | (static_cast<uint32_t>(pBytes[1]) << 8) |
           (static_cast<uint32_t>(pBytes[2]) << 16) | (static_cast<uint32_t>(pBytes[3]) << 24);
}

#endif

}  // namespace

void AppendUtf8(uint32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsUtf8(const std::string& text)
{
    size_t nPos = 0;
    uint32_t codePoint;
    while (nPos < text.size())
        if (!DecodeUtf8(text, nPos, codePoint))
            return false;
    return true;
}

bool AnsiCodePage::Load(unsigned nNumber, std::string& error)
{
    if (nNumber < 1250 || nNumber > 1258) {
        error = "code page " + std::to_string(nNumber) + " is not one of the single-byte Windows code pages 1250 to 1258";
        return false;
    }
#ifdef _WIN32
    // The system's own table. A byte the code page leaves undefined maps to a control
    // character of the same number there; those are taken as undefined, as iconv has them.
    if (!IsValidCodePage(nNumber)) {
        error = "this system does not know code page " + std::to_string(nNumber);
        return false;
    }
    m_nNumber = nNumber;
    m_fromUnicode.clear();
    for (unsigned byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        wchar_t out[2] = {};
        int nOut = MultiByteToWideChar(nNumber, MB_ERR_INVALID_CHARS, &in, 1, out, 2);
        uint32_t codePoint = nOut == 1 && !(byte >= 0x80 && out[0] == byte && byte < 0xA0) ? out[0] : UNDEFINED;
        m_toUnicode[byte] = codePoint;
        if (codePoint != UNDEFINED)
            m_fromUnicode.emplace(codePoint, static_cast<uint8_t>(byte));
    }
    return true;
}
#else
    std::string iconvName = "CP" + std::to_string(nNumber);
    iconv_t converter = iconv_open("UTF-32LE", iconvName.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        error = "this system's iconv cannot convert " + iconvName + ": " + std::strerror(errno);
        return false;
    }
    m_nNumber = nNumber;
    m_fromUnicode.clear();
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint32_t codePoint = DecodeOneByte(converter, static_cast<uint8_t>(byte), UNDEFINED);
        m_toUnicode[byte] = codePoint;
        if (codePoint != UNDEFINED)
            m_fromUnicode.emplace(codePoint, static_cast<uint8_t>(byte));
    }
    iconv_close(converter);
    return true;
}
#endif

bool AnsiCodePage::FromUtf8(const std::string& utf8, std::string& ansi, std::string& why) const
{
    ansi.clear();
    size_t nPos = 0;
    while (nPos < utf8.size()) {
        uint32_t codePoint;
        size_t nStart = nPos;
        if (!DecodeUtf8(utf8, nPos, codePoint)) {
            char text[8];
            std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(utf8[nStart]));
            why = std::string("is not UTF-8 (byte ") + text + " at offset " + std::to_string(nStart) + ")";
            return false;
        }
        auto it = m_fromUnicode.find(codePoint);
        if (it == m_fromUnicode.end()) {
            why = "holds " + DescribeCodePoint(codePoint) + ", which " + Name() + " has no character for";
            return false;
        }
        ansi += static_cast<char>(it->second);
    }
    return true;
}

bool AnsiCodePage::ToUtf8(const std::string& ansi, std::string& utf8) const
{
    utf8.clear();
    bool bAllDefined = true;
    for (char ch : ansi) {
        uint8_t byte = static_cast<uint8_t>(ch);
        uint32_t codePoint = m_toUnicode[byte];
        if (codePoint == UNDEFINED) {
            codePoint = byte;
            bAllDefined = false;
        }
        AppendUtf8(codePoint, utf8);
    }
    return bAllDefined;
}

size_t AnsiCodePage::FindUndefinedByte(const std::string& ansi) const
{
    for (size_t i = 0; i < ansi.size(); ++i)
        if (m_toUnicode[static_cast<uint8_t>(ansi[i])] == UNDEFINED)
            return i;
    return std::string::npos;
}
