// The uninstaller's own file, which cannot be deleted while it is loaded.
#pragma once

#include <windows.h>

class CRemoval;

// Has the library hLibrary deleted when Windows restarts (Windows NT: MoveFileEx). It is
// first moved aside to a name of its own in the same folder, so that an installation
// before the restart puts a new BraxDel.dll there that the restart leaves alone. Only a
// library in the system directory, or under WOW64 in the 32-bit one, is ever named: where
// the library is anywhere else, or cannot be scheduled (Windows 95/98), removal notes it.
void RemoveLibraryAtRestart(HINSTANCE hLibrary, CRemoval& removal);
