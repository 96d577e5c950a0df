#include <cstring>

#include "Engine.h"

char g_szErrorText[ERROR_TEXT_SIZE];

namespace {

// Appends at most the bytes that leave nReserve bytes of the buffer free; returns the
// new length.
size_t AppendBounded(size_t nLength, const char* pszText, size_t nReserve)
{
    size_t nRoom = ERROR_TEXT_SIZE - 1 - nReserve;
    size_t nText = std::strlen(pszText);
    if (nLength >= nRoom)
        return nLength;
    if (nText > nRoom - nLength)
        nText = nRoom - nLength;
    std::memcpy(g_szErrorText + nLength, pszText, nText);
    return nLength + nText;
}

} // namespace

// The messages hold one %s, the place of the path: the text is put together piece by piece,
// so that nothing in a path is ever read as a format, and a path too long for the buffer
// is cut while the message keeps its closing text.
const char* FormatErrorText(const char* pszFormat, const char* pszFirst, const char* pszSecond)
{
    const char* pszPlace = std::strstr(pszFormat, "%s");
    size_t nBefore = pszPlace ? static_cast<size_t>(pszPlace - pszFormat) : std::strlen(pszFormat);
    const char* pszAfter = pszPlace ? pszPlace + 2 : "";
    size_t nAfter = std::strlen(pszAfter);
    if (nBefore + nAfter >= ERROR_TEXT_SIZE)
        nBefore = nAfter = 0;

    std::memcpy(g_szErrorText, pszFormat, nBefore);
    size_t nLength = nBefore;
    if (pszPlace) {
        nLength = AppendBounded(nLength, pszFirst, nAfter);
        nLength = AppendBounded(nLength, pszSecond, nAfter);
    }
    std::memcpy(g_szErrorText + nLength, pszAfter, nAfter);
    g_szErrorText[nLength + nAfter] = '\0';
    return g_szErrorText;
}
