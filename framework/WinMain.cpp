// The program's entry point. Linked into each application, not into the framework
// library: the linker would not pull it from an archive in time.
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return AfxWinMain();
}
