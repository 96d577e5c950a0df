#include "DisplayText.h"

#include <cstdio>

std::string EscapeForDisplay(const char* pch, size_t nLength)
{
    std::string shown;
    shown.reserve(nLength);
    for (size_t i = 0; i < nLength; ++i) {
        unsigned char ch = static_cast<unsigned char>(pch[i]);
        if (ch >= 32 && ch < 127) {
            shown += static_cast<char>(ch);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", ch);
            shown += escaped;
        }
    }
    return shown;
}
