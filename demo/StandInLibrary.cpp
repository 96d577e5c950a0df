// Stand-in for the libraries of the demo payload (BraxAbs, BraxAcq, BraxAlg and the
// common-control libraries Comctl32 and Comdlg32): a real DLL that loads and says which
// one it is, built once per name with DEMO_LIBRARY_NAME.
#include <windows.h>

#ifndef DEMO_LIBRARY_NAME
#error "DEMO_LIBRARY_NAME names the library"
#endif

extern "C" __declspec(dllexport) const char* DemoLibraryName()
{
    return DEMO_LIBRARY_NAME " (Pelorin demo stand-in)";
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
