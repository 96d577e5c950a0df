// The names Windows takes for a device instead of a file, in whatever folder they stand:
// a path whose component is one of them opens a port or the console, never a file or a
// folder. The installation directory's check and the payload tool's name check share it.
// No windows.h.
#pragma once

#include <cstddef>

// True when the nLength bytes at pchName (a file or folder name in the ANSI code page, not
// a path) name a device: CON, PRN, AUX, NUL, CLOCK$, CONIN$, CONOUT$, COM1 to COM9 and
// LPT1 to LPT9, and COM or LPT followed by a superscript one, two or three (the bytes
// B9, B2 and B3 of Windows-1252, which Windows reads as the digits), in any case of ASCII
// letters, alone or followed by spaces or by an extension ("NUL.txt", "com1 .log").
bool IsDeviceName(const char* pchName, size_t nLength);
