#include "PayloadName.h"

#include <cstring>

#include "../framework/PathText.h"
#include "PayloadFormat.h"

const char* DescribePayloadNameProblem(PayloadNameProblem problem)
{
    switch (problem) {
    case PAYLOAD_NAME_OK:
        return "is acceptable";
    case PAYLOAD_NAME_EMPTY:
        return "is empty";
    case PAYLOAD_NAME_TOO_LONG:
        return "is longer than 255 bytes";
    case PAYLOAD_NAME_ABSOLUTE:
        return "is an absolute path (it begins with a backslash or slash)";
    case PAYLOAD_NAME_DRIVE:
        return "carries a drive letter";
    case PAYLOAD_NAME_PARENT:
        return "climbs out of the destination directory with a \"..\" component";
    case PAYLOAD_NAME_EMPTY_COMPONENT:
        return "has an empty path component (two separators in a row, or one at the end)";
    case PAYLOAD_NAME_BAD_CHARACTER:
        return "holds a character that Windows file names cannot hold (control characters and < > : \" | ? *)";
    case PAYLOAD_NAME_TRAILING_DOT:
        return "has a component that ends with a dot or a space, which Windows drops from file names";
    case PAYLOAD_NAME_DEVICE:
        return "names a Windows device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CLOCK$, CONIN$, CONOUT$)";
    }
    return "has an unknown problem";
}

static bool IsAsciiLetter(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

static bool IsForbiddenCharacter(char ch)
{
    unsigned char uch = static_cast<unsigned char>(ch);
    return uch < 32 || std::strchr("<>:\"|?*", ch) != nullptr;
}

// Windows resolves these names to devices in every directory, with any extension.
static bool IsDeviceName(const char* pch, size_t nLength)
{
    size_t nBase = 0;
    while (nBase < nLength && pch[nBase] != '.')
        ++nBase;
    while (nBase > 0 && pch[nBase - 1] == ' ')
        --nBase;
    char base[8];
    if (nBase == 0 || nBase >= sizeof base)
        return false;
    for (size_t i = 0; i < nBase; ++i)
        base[i] = UpperAscii(pch[i]);
    base[nBase] = '\0';

    static const char* const s_devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* pszDevice : s_devices)
        if (std::strcmp(base, pszDevice) == 0)
            return true;
    bool bNumbered = nBase == 4 && base[3] >= '1' && base[3] <= '9';
    return bNumbered && (std::strncmp(base, "COM", 3) == 0 || std::strncmp(base, "LPT", 3) == 0);
}

static PayloadNameProblem CheckComponent(const char* pch, size_t nLength)
{
    if (nLength == 0)
        return PAYLOAD_NAME_EMPTY_COMPONENT;
    if (nLength == 2 && pch[0] == '.' && pch[1] == '.')
        return PAYLOAD_NAME_PARENT;
    for (size_t i = 0; i < nLength; ++i)
        if (IsForbiddenCharacter(pch[i]))
            return PAYLOAD_NAME_BAD_CHARACTER;
    if (pch[nLength - 1] == '.' || pch[nLength - 1] == ' ')
        return PAYLOAD_NAME_TRAILING_DOT;
    if (IsDeviceName(pch, nLength))
        return PAYLOAD_NAME_DEVICE;
    return PAYLOAD_NAME_OK;
}

PayloadNameProblem CheckPayloadName(const char* pchName, size_t nLength)
{
    if (nLength == 0)
        return PAYLOAD_NAME_EMPTY;
    if (nLength > PAYLOAD_NAME_MAX_LENGTH)
        return PAYLOAD_NAME_TOO_LONG;
    if (IsPayloadNameSeparator(pchName[0]))
        return PAYLOAD_NAME_ABSOLUTE;
    if (nLength >= 2 && IsAsciiLetter(pchName[0]) && pchName[1] == ':')
        return PAYLOAD_NAME_DRIVE;

    // A ".." anywhere is reported before any other fault of the name, since it is the
    // one that would write outside the destination.
    PayloadNameProblem firstProblem = PAYLOAD_NAME_OK;
    size_t nStart = 0;
    for (size_t i = 0; i <= nLength; ++i) {
        if (i < nLength && !IsPayloadNameSeparator(pchName[i]))
            continue;
        PayloadNameProblem problem = CheckComponent(pchName + nStart, i - nStart);
        if (problem == PAYLOAD_NAME_PARENT)
            return problem;
        if (firstProblem == PAYLOAD_NAME_OK)
            firstProblem = problem;
        nStart = i + 1;
    }
    return firstProblem;
}
