// The names a payload entry may carry. The setup program writes each entry under its
// stored name, relative to the destination directory, without creating directories and
// without any check of its own, so an archive tool refuses every name that would not
// land as a file of that very name inside the destination.
#pragma once

#include <cstddef>

enum PayloadNameProblem {
    PAYLOAD_NAME_OK,
    PAYLOAD_NAME_EMPTY,
    PAYLOAD_NAME_TOO_LONG,         // more than PAYLOAD_NAME_MAX_LENGTH bytes
    PAYLOAD_NAME_ABSOLUTE,         // begins with a backslash or slash
    PAYLOAD_NAME_DRIVE,            // begins with a drive letter and a colon
    PAYLOAD_NAME_PARENT,           // a ".." component climbs out of the destination
    PAYLOAD_NAME_EMPTY_COMPONENT,  // two separators in a row, or a separator at the end
    PAYLOAD_NAME_BAD_CHARACTER,    // a NUL, a control character or one of < > : " | ? *
    PAYLOAD_NAME_TRAILING_DOT,     // a component ends with a dot or a space, which Windows drops
    PAYLOAD_NAME_DEVICE,           // a component names a device (CON, NUL, COM1, LPT1, ...)
};

// Checks the nLength bytes at pchName (not NUL-terminated; a NUL among them is a problem).
PayloadNameProblem CheckPayloadName(const char* pchName, size_t nLength);

// Why a name is refused, as a phrase: "is longer than 255 bytes".
const char* DescribePayloadNameProblem(PayloadNameProblem problem);

inline bool IsPayloadNameSeparator(char ch)
{
    return ch == '\\' || ch == '/';
}
