// The Windows ANSI code page that stored names are written in. Setup.exe is an ANSI
// program: Windows reads the bytes of a name in the code page of the machine it runs on,
// Windows-1252 on the systems Pelorin ships to. Host file names are UTF-8; a folder's
// names are converted into the code page when it is packed, and an archive's names back
// into UTF-8 when it is unpacked. Only the single-byte code pages 1250 to 1258 are
// offered: in them every byte is one character, and a backslash byte is a backslash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class AnsiCodePage {
public:
    // Loads the code page's table from the system's iconv. False, with the reason, for a
    // number outside 1250 to 1258 or a code page iconv does not know.
    bool Load(unsigned nNumber, std::string& error);

    unsigned Number() const { return m_nNumber; }
    std::string Name() const { return "Windows-" + std::to_string(m_nNumber); }

    // UTF-8 to the code page. False, with why ("holds U+0107 ..."), when text is not UTF-8
    // or holds a character the code page has no byte for.
    bool FromUtf8(const std::string& utf8, std::string& ansi, std::string& why) const;

    // The code page to UTF-8. A byte the code page leaves undefined (Windows-1252 has five)
    // becomes the Unicode character of the same number, U+0080 to U+00FF, which is what
    // Windows makes of Windows-1252's; the result is then false, the text converted all
    // the same.
    bool ToUtf8(const std::string& ansi, std::string& utf8) const;

    // Where the first byte that the code page leaves undefined stands, or std::string::npos.
    size_t FindUndefinedByte(const std::string& ansi) const;

private:
    static const uint32_t UNDEFINED = 0xFFFFFFFFu;
    unsigned m_nNumber = 0;
    uint32_t m_toUnicode[256] = {};
    std::map<uint32_t, uint8_t> m_fromUnicode;
};

// Whether text is well-formed UTF-8 (shortest forms of scalar values only).
bool IsUtf8(const std::string& text);

// Appends the UTF-8 form of a scalar value.
void AppendUtf8(uint32_t codePoint, std::string& out);

// The code page a command works in when none is given.
const unsigned DEFAULT_ANSI_CODE_PAGE = 1252;
