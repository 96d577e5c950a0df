// Names from an archive are bytes in the Windows ANSI code page and may hold anything;
// they are shown with control and non-ASCII bytes escaped, so that a hostile name cannot
// drive the terminal.
#pragma once

#include <cstddef>
#include <string>

std::string EscapeForDisplay(const char* pch, size_t nLength);
inline std::string EscapeForDisplay(const std::string& text)
{
    return EscapeForDisplay(text.data(), text.size());
}
// The escaped name in double quotes.
inline std::string QuoteForDisplay(const std::string& text)
{
    return "\"" + EscapeForDisplay(text) + "\"";
}
