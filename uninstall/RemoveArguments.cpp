#include "RemoveArguments.h"

#include <cstring>

#include "../engine/InstallLayout.h"
#include "../framework/PathText.h"

namespace {

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// Reads a value at p into szValue: up to the closing quote when it starts with one,
// otherwise up to the next blank. Moves p past it; false when it is empty, too long, not
// closed, or runs on into more text after its quote.
bool ReadValue(const char*& p, char (&szValue)[REMOVE_PATH_SIZE])
{
    const char* pStart = p;
    const char* pEnd;
    if (*p == '"') {
        pStart = p + 1;
        pEnd = std::strchr(pStart, '"');
        if (!pEnd)
            return false;
        p = pEnd + 1;
        if (*p && !IsBlank(*p))
            return false;
    } else {
        pEnd = p;
        while (*pEnd && !IsBlank(*pEnd))
            ++pEnd;
        p = pEnd;
    }
    size_t nLength = static_cast<size_t>(pEnd - pStart);
    if (nLength == 0 || nLength >= sizeof szValue)
        return false;
    std::memcpy(szValue, pStart, nLength);
    szValue[nLength] = '\0';
    return true;
}

// A switch at p that ends where the word ends.
bool IsSwitch(const char* p, const char* pszSwitch)
{
    size_t nLength = std::strlen(pszSwitch);
    return StartsWithIgnoringAsciiCase(p, pszSwitch) && (!p[nLength] || IsBlank(p[nLength]));
}

} // namespace

bool ParseRemoveArguments(const char* pszText, RemoveArguments* pArguments)
{
    pArguments->bSilent = false;
    pArguments->szDir[0] = '\0';
    pArguments->szLog[0] = '\0';
    const char* p = pszText ? pszText : "";
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            return true;
        if (IsSwitch(p, UNINSTALL_SILENT_SWITCH)) {
            if (pArguments->bSilent)
                return false;
            pArguments->bSilent = true;
            p += std::strlen(UNINSTALL_SILENT_SWITCH);
        } else if (StartsWithIgnoringAsciiCase(p, UNINSTALL_LOG_SWITCH)) {
            p += std::strlen(UNINSTALL_LOG_SWITCH);
            if (pArguments->szLog[0] || !ReadValue(p, pArguments->szLog))
                return false;
        } else if (*p == '-') {
            return false;
        } else if (pArguments->szDir[0] || !ReadValue(p, pArguments->szDir)) {
            return false;
        }
    }
}

const char* RegisteredRemoveArguments(const char* pszCommand)
{
    const char* pLibrary = FindIgnoringAsciiCase(pszCommand, UNINSTALL_LIBRARY_NAME);
    if (!pLibrary)
        return nullptr;
    const char* p = pLibrary + std::strlen(UNINSTALL_LIBRARY_NAME);
    if (*p != ',' || !StartsWithIgnoringAsciiCase(p + 1, UNINSTALL_ENTRY_POINT))
        return nullptr;
    p += 1 + std::strlen(UNINSTALL_ENTRY_POINT);
    return !*p || IsBlank(*p) ? p : nullptr;
}
