#include "PayloadName.h"

#include <cstring>
#include <string>

#include "engine/DeviceName.h"
#include "engine/PayloadFormat.h"
#include "framework/PathText.h"

const char* DescribePayloadNameProblem(PayloadNameProblem problem)
{
    switch (problem) {
    case PAYLOAD_NAME_OK:
        return "is acceptable";
    case PAYLOAD_NAME_EMPTY:
        return "is empty";
    case PAYLOAD_NAME_TOO_LONG:
        return "is longer than 255 bytes";
    case PAYLOAD_NAME_SEPARATOR:
        return "holds a backslash or slash (a directory part); the setup program creates no folders, so it can "
               "only install a plain file name";
    case PAYLOAD_NAME_DRIVE:
        return "carries a drive letter";
    case PAYLOAD_NAME_BAD_CHARACTER:
        return "holds a character that Windows file names cannot hold (control characters and < > : \" | ? *)";
    case PAYLOAD_NAME_TRAILING_DOT:
        return "ends with a dot or a space, which Windows drops from file names";
    case PAYLOAD_NAME_DEVICE:
        return "names a Windows device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, COM or LPT with a superscript 1-3, "
               "CLOCK$, CONIN$, CONOUT$)";
    case PAYLOAD_NAME_SYSTEM_COMMON_CONTROL:
        return "is a common-control library for the system directory (code 13): the setup program deletes that "
               "name after writing it on Windows NT, which would leave the system without its own copy; ship it "
               "for the installation directory";
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

PayloadNameProblem CheckPayloadName(const char* pchName, size_t nLength)
{
    if (nLength == 0)
        return PAYLOAD_NAME_EMPTY;
    if (nLength > PAYLOAD_NAME_MAX_LENGTH)
        return PAYLOAD_NAME_TOO_LONG;
    // A separator first: it is what would put the file somewhere else than the destination.
    for (size_t i = 0; i < nLength; ++i)
        if (IsPayloadNameSeparator(pchName[i]))
            return PAYLOAD_NAME_SEPARATOR;
    if (nLength >= 2 && IsAsciiLetter(pchName[0]) && pchName[1] == ':')
        return PAYLOAD_NAME_DRIVE;
    for (size_t i = 0; i < nLength; ++i)
        if (IsForbiddenCharacter(pchName[i]))
            return PAYLOAD_NAME_BAD_CHARACTER;
    if (pchName[nLength - 1] == '.' || pchName[nLength - 1] == ' ')
        return PAYLOAD_NAME_TRAILING_DOT;
    if (IsDeviceName(pchName, nLength))
        return PAYLOAD_NAME_DEVICE;
    return PAYLOAD_NAME_OK;
}

PayloadNameProblem CheckPayloadEntryName(uint32_t dwDestination, const char* pchName, size_t nLength)
{
    PayloadNameProblem problem = CheckPayloadName(pchName, nLength);
    if (problem != PAYLOAD_NAME_OK || dwDestination != DEST_SYSTEM)
        return problem;
    std::string name(pchName, nLength);  // holds no NUL: CheckPayloadName refuses one
    bool bCommonControl = EqualsIgnoringAsciiCase(name.c_str(), "Comctl32.dll") ||
                          EqualsIgnoringAsciiCase(name.c_str(), "Comdlg32.dll");
    return bCommonControl ? PAYLOAD_NAME_SYSTEM_COMMON_CONTROL : PAYLOAD_NAME_OK;
}

const char* PayloadDestinationSubdirectory(uint32_t dwDestination)
{
    if (dwDestination == DEST_MACROS)
        return "ChmMacros\\";
    if (dwDestination == DEST_EXAMPLES)
        return "5&10ChannelExamples\\";
    return "";
}

size_t PayloadNameRoom(uint32_t dwDestination, size_t nBaseLength)
{
    size_t nDirectory = nBaseLength + std::strlen(PayloadDestinationSubdirectory(dwDestination));
    return nDirectory < PAYLOAD_PATH_MAX_LENGTH ? PAYLOAD_PATH_MAX_LENGTH - nDirectory : 0;
}

const char* PayloadDefaultBaseDirectory(uint32_t dwDestination)
{
    return dwDestination == DEST_SYSTEM ? PAYLOAD_USUAL_SYSTEM_DIRECTORY : PAYLOAD_DEFAULT_INSTALL_DIRECTORY;
}

PayloadPathFit CheckPayloadPathFit(uint32_t dwDestination, size_t nNameLength)
{
    if (nNameLength > PayloadNameRoom(dwDestination, std::strlen(PAYLOAD_SHORTEST_BASE_DIRECTORY)))
        return PAYLOAD_PATH_TOO_LONG_ALWAYS;
    if (nNameLength > PayloadNameRoom(dwDestination, std::strlen(PayloadDefaultBaseDirectory(dwDestination))))
        return PAYLOAD_PATH_TOO_LONG_DEFAULT;
    return PAYLOAD_PATH_FITS;
}
