// bench_launch: the benchmark's process-level tools, run under Wine.
//
//   bench_launch embed PROGRAM ARCHIVE TARGET
//       Copies PROGRAM to TARGET with ARCHIVE as its payload resource 127 (RT_RCDATA).
//   bench_launch time PROGRAM [ARGUMENT...]
//       Starts PROGRAM in its own folder, waits for its end and prints
//       "time seconds=S exit=N": from the CreateProcess call to the end of the process.
//   bench_launch firstpaint SETUP_EXE [TIMEOUT_MS]
//       Starts the setup program and prints "firstpaint window_ms=A paint_ms=B": from the
//       CreateProcess call until its setup window exists (A), and until its backdrop is
//       on the screen (B), then ends the setup program. "On the screen" is read back
//       from the display the way a screenshot is: the last gradient band has its colour
//       at the bottom left of the client area, and the splash picture stands where its
//       bottom edge goes (a colour other than the gradient's). The gradient comes first
//       and the picture after it in one paint, so both are seen once that paint shows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchSupport.h"
#include "ui/BackdropLayout.h"
#include "uidriver/UiDriver.h"

using namespace bench;

namespace {

int Embed(const char* pszProgram, const char* pszArchive, const char* pszTarget)
{
    HANDLE hFile = CreateFileA(pszArchive, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "bench_launch: cannot open %s\n", pszArchive);
        return 1;
    }
    DWORD nSize = GetFileSize(hFile, NULL);
    BYTE* pData = nSize != INVALID_FILE_SIZE
                      ? static_cast<BYTE*>(VirtualAlloc(NULL, nSize ? nSize : 1, MEM_COMMIT, PAGE_READWRITE))
                      : NULL;
    DWORD nDone = 0;
    while (pData && nDone < nSize) {
        DWORD nRead = 0;
        if (!ReadFile(hFile, pData + nDone, nSize - nDone, &nRead, NULL) || nRead == 0)
            break;
        nDone += nRead;
    }
    CloseHandle(hFile);
    BOOL bOk = pData && nDone == nSize && CopyFileA(pszProgram, pszTarget, FALSE);
    if (bOk) {
        HANDLE hUpdate = BeginUpdateResourceA(pszTarget, FALSE);
        bOk = hUpdate != NULL;
        if (bOk) {
            BOOL bUpdated = UpdateResourceA(hUpdate, MAKEINTRESOURCEA(10) /* RT_RCDATA */, MAKEINTRESOURCEA(IDR_PAYLOAD),
                                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), pData, nSize);
            bOk = EndUpdateResourceA(hUpdate, !bUpdated) && bUpdated;
        }
    }
    if (pData)
        VirtualFree(pData, 0, MEM_RELEASE);
    if (!bOk)
        std::fprintf(stderr, "bench_launch: cannot make %s with the payload %s\n", pszTarget, pszArchive);
    return bOk ? 0 : 1;
}

// The folder of a program path, for its working directory.
std::string FolderOf(const std::string& path)
{
    size_t n = path.find_last_of("\\/");
    return n == std::string::npos ? std::string(".") : path.substr(0, n);
}

BOOL Start(const std::string& program, const std::string& arguments, PROCESS_INFORMATION& pi)
{
    std::string commandLine = "\"" + program + "\"" + arguments;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    std::string folder = FolderOf(program);
    return CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si, &pi);
}

int Time(int argc, char** argv)
{
    std::string arguments;
    for (int i = 1; i < argc; ++i)
        arguments += std::strchr(argv[i], ' ') ? std::string(" \"") + argv[i] + "\"" : std::string(" ") + argv[i];
    PROCESS_INFORMATION pi;
    CStopwatch stopwatch;
    if (!Start(argv[0], arguments, pi)) {
        std::fprintf(stderr, "bench_launch: cannot start %s\n", argv[0]);
        return 1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    double seconds = stopwatch.Seconds();
    DWORD dwExit = 0;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::printf("time seconds=%.6f exit=%lu\n", seconds, dwExit);
    return dwExit == 0 ? 0 : 1;
}

struct SetupWindowSearch {
    DWORD dwProcessId;
    HWND hFound;
};

BOOL CALLBACK MatchSetupWindow(HWND hWnd, LPARAM lParam)
{
    SetupWindowSearch* pSearch = reinterpret_cast<SetupWindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    char szTitle[32];
    if (dwProcessId == pSearch->dwProcessId && GetWindowTextA(hWnd, szTitle, sizeof szTitle) &&
        std::strcmp(szTitle, "Pelorin Setup") == 0) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

// The colour of the gradient band that covers row y of a client area nHeight rows high.
COLORREF GradientColourAt(int y, int nHeight)
{
    for (int i = BACKDROP_BANDS - 1; i >= 0; --i) {
        BandEdges edges = BackdropBandEdges(i, nHeight);
        if (edges.top <= y && y < edges.bottom)
            return static_cast<COLORREF>(BackdropBandColorRef(i));
    }
    return CLR_INVALID;
}

BOOL BackdropOnScreen(HWND hWnd)
{
    RECT rc;
    if (!GetClientRect(hWnd, &rc) || rc.right < 16 || rc.bottom < 64)
        return FALSE;
    POINT origin = {0, 0};
    ClientToScreen(hWnd, &origin);
    const int nWidth = rc.right, nHeight = rc.bottom;
    const int yBottom = nHeight - 1;
    if (uidriver::ScreenPixel(origin.x + 1, origin.y + yBottom) != GradientColourAt(yBottom, nHeight))
        return FALSE;
    // The picture's square ends a top margin (one sixteenth of the height) above the
    // bottom; its last rows are the picture's dark frame.
    const int yPicture = nHeight - nHeight / 16 - 2;
    COLORREF picture = uidriver::ScreenPixel(origin.x + nWidth / 2, origin.y + yPicture);
    return picture != CLR_INVALID && picture != GradientColourAt(yPicture, nHeight);
}

int FirstPaint(const char* pszSetup, DWORD dwTimeoutMs)
{
    PROCESS_INFORMATION pi;
    CStopwatch stopwatch;
    if (!Start(pszSetup, "", pi)) {
        std::fprintf(stderr, "bench_launch: cannot start %s\n", pszSetup);
        return 1;
    }
    double windowMs = -1, paintMs = -1;
    SetupWindowSearch search = {pi.dwProcessId, NULL};
    while (stopwatch.Seconds() * 1000 < dwTimeoutMs) {
        if (!search.hFound) {
            EnumWindows(MatchSetupWindow, reinterpret_cast<LPARAM>(&search));
            if (search.hFound)
                windowMs = stopwatch.Seconds() * 1000;
        }
        if (search.hFound && BackdropOnScreen(search.hFound)) {
            paintMs = stopwatch.Seconds() * 1000;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::printf("firstpaint window_ms=%.1f paint_ms=%.1f\n", windowMs, paintMs);
    return paintMs >= 0 ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: bench_launch embed PROGRAM ARCHIVE TARGET\n"
                         "       bench_launch time PROGRAM [ARGUMENT...]\n"
                         "       bench_launch firstpaint SETUP_EXE [TIMEOUT_MS]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    std::string command = argv[1];
    if (command == "embed" && argc == 5)
        return Embed(argv[2], argv[3], argv[4]);
    if (command == "time")
        return Time(argc - 2, argv + 2);
    if (command == "firstpaint" && (argc == 3 || argc == 4))
        return FirstPaint(argv[2], argc == 4 ? static_cast<DWORD>(std::atol(argv[3])) : 30000);
    return Usage();
}
