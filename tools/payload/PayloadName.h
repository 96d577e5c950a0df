// The names a payload entry may carry. The setup program writes each entry under its
// stored name, relative to the destination directory, without creating directories and
// without any check of its own, so an archive tool refuses every name that would not
// land as a file of that very name directly inside the destination.
#pragma once

#include <cstddef>
#include <cstdint>

enum PayloadNameProblem {
    PAYLOAD_NAME_OK,
    PAYLOAD_NAME_EMPTY,
    PAYLOAD_NAME_TOO_LONG,        // more than PAYLOAD_NAME_MAX_LENGTH bytes
    PAYLOAD_NAME_SEPARATOR,       // a backslash or slash: a directory part, which no folder awaits
    PAYLOAD_NAME_DRIVE,           // begins with a drive letter and a colon
    PAYLOAD_NAME_BAD_CHARACTER,   // a NUL, a control character or one of < > : " | ? *
    PAYLOAD_NAME_TRAILING_DOT,    // ends with a dot or a space, which Windows drops (also "." and "..")
    PAYLOAD_NAME_DEVICE,          // names a device (IsDeviceName: CON, NUL, COM1, LPT1, ...)
    PAYLOAD_NAME_SYSTEM_COMMON_CONTROL,  // Comctl32.dll or Comdlg32.dll for the system directory
};

// Checks the nLength bytes at pchName (not NUL-terminated; a NUL among them is a problem).
PayloadNameProblem CheckPayloadName(const char* pchName, size_t nLength);

// CheckPayloadName, and the one rule that depends on the destination: the setup program
// deletes Comctl32.dll and Comdlg32.dll again after writing them on the NT family (they are
// kept for Windows 95/98 only). In the system directory that would first replace, then
// delete, the system's own library, so these names are refused for code 13.
PayloadNameProblem CheckPayloadEntryName(uint32_t dwDestination, const char* pchName, size_t nLength);

// Why a name is refused, as a phrase: "is longer than 255 bytes".
const char* DescribePayloadNameProblem(PayloadNameProblem problem);

inline bool IsPayloadNameSeparator(char ch)
{
    return ch == '\\' || ch == '/';
}

// --- The name inside a full path ---------------------------------------------------------
// The setup program builds each file's path in a 256-byte buffer: the destination's base
// directory (the installation directory, or the system directory for code 13), the
// destination's subdirectory (codes 15 and 16), then the name. Whatever the base, the
// whole path holds at most PAYLOAD_PATH_MAX_LENGTH characters.

const size_t PAYLOAD_PATH_MAX_LENGTH = 255;

// The shortest base there can be: a drive root.
const char PAYLOAD_SHORTEST_BASE_DIRECTORY[] = "C:\\";
// The installation directory the setup program proposes, and the system directory of a
// usual Windows installation.
const char PAYLOAD_DEFAULT_INSTALL_DIRECTORY[] = "C:\\Pelorin\\";
const char PAYLOAD_USUAL_SYSTEM_DIRECTORY[] = "C:\\WINDOWS\\SYSTEM32\\";

// "ChmMacros\" for code 15, "5&10ChannelExamples\" for code 16, "" for every other code.
const char* PayloadDestinationSubdirectory(uint32_t dwDestination);

// The longest name that fits when the base directory (with its trailing backslash) is
// nBaseLength characters long; 0 when nothing fits.
size_t PayloadNameRoom(uint32_t dwDestination, size_t nBaseLength);

enum PayloadPathFit {
    PAYLOAD_PATH_FITS,              // fits under the default (or usual) directory, and so under any shorter one
    PAYLOAD_PATH_TOO_LONG_DEFAULT,  // fits under a short directory, not under the default one
    PAYLOAD_PATH_TOO_LONG_ALWAYS,   // fits under no directory at all, not even a drive root
};

// How a name of nNameLength characters fares in the setup program's paths.
PayloadPathFit CheckPayloadPathFit(uint32_t dwDestination, size_t nNameLength);

// The directory CheckPayloadPathFit measures against for PAYLOAD_PATH_TOO_LONG_DEFAULT:
// PAYLOAD_USUAL_SYSTEM_DIRECTORY for code 13, PAYLOAD_DEFAULT_INSTALL_DIRECTORY otherwise.
const char* PayloadDefaultBaseDirectory(uint32_t dwDestination);
