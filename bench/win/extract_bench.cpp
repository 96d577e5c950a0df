// bench_extract: the engine's extraction against its floor, in one 32-bit process.
//
//   bench_extract ARCHIVE OUTROOT LABEL RUNS [WAY,...]
//
// The archive file is read into memory once, as the setup program finds its payload
// resource in memory. Each run unpacks it five ways, each into a fresh installation
// folder OUTROOT\LABEL-<way> (the same path every run), in an order that rotates from
// run to run:
//   inflate  one uncompress per entry into one block, nothing written;
//   floor    the same, plus one fopen / fwrite / fclose per file, unbuffered so that
//            the file reaches the system in one write: nothing else;
//   probe    the floor plus a look before each file at whether something stands at
//            the destination (GetFileAttributesA): what a second lookup of every new
//            name costs, which the engine avoids by creating new files directly;
//   engine   CSetupWnd::ExtractArchive with a real progress dialog, owned by a real
//            setup window and made just before the extraction as the installation
//            sequence makes it, receiving its tick after every file; inflating ahead
//            on a second processor where the machine has one;
//   oneblock the engine the same way, made to inflate one entry at a time into one
//            block on its own thread, as it does on a machine with one processor.
// Every way's folder is deleted again right after it is timed, so that each run writes
// into memory the system has just had back, not into memory never touched before (on
// a tmpfs drive in a virtual machine the first touch of a page costs more than the
// write). One untimed floor run comes first for the same reason.
//
// After the runs it times one progress tick alone, on a dialog made the same way: the
// tick the engine sends while the bar and the slide stay as they are, the usual case,
// and the tick that puts up the next slide.
// WAY,... limits the runs to the ways named (for a profiler's sake: "engine" alone).
//
//   bench_extract --lookups OUTROOT
//
// times instead what one file costs that the extraction has to look for and does not
// find (GetFileAttributesA of a name that is not there, as the creation of every file
// asks) in a folder of 0, 1000 and 3000 files.
//
// Output lines, for bench/run.sh:
//   extract payload=LABEL way=engine run=1 seconds=0.512345 files=64 bytes=209715200
//   ticks payload=LABEL run=1 ticks=64 seconds=0.000712   (inside the engine's run)
//   cost payload=LABEL what=tick us=7.1
//   cost payload=LABEL what=slide-tick us=60.2
//   lookup files=1000 us=106.0
#include <windows.h>

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchSupport.h"
#include "engine/InflatePipeline.h"
#include "engine/PayloadFormat.h"

using namespace bench;

namespace {

// The archive in committed memory, as the loaded resource is.
class CArchiveInMemory {
public:
    CArchiveInMemory() : m_pData(NULL), m_nSize(0) {}
    ~CArchiveInMemory()
    {
        if (m_pData)
            VirtualFree(m_pData, 0, MEM_RELEASE);
    }
    CArchiveInMemory(const CArchiveInMemory&) = delete;
    CArchiveInMemory& operator=(const CArchiveInMemory&) = delete;

    BOOL Load(const char* pszPath)
    {
        HANDLE hFile = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            return FALSE;
        DWORD nHigh = 0;
        DWORD nSize = GetFileSize(hFile, &nHigh);
        BOOL bOk = nHigh == 0 && nSize != INVALID_FILE_SIZE && nSize >= PAYLOAD_HEADER_SIZE;
        if (bOk)
            m_pData = static_cast<BYTE*>(VirtualAlloc(NULL, nSize, MEM_COMMIT, PAGE_READWRITE));
        DWORD nDone = 0;
        while (bOk && m_pData && nDone < nSize) {
            DWORD nRead = 0;
            if (!ReadFile(hFile, m_pData + nDone, nSize - nDone, &nRead, NULL) || nRead == 0)
                bOk = FALSE;
            nDone += nRead;
        }
        CloseHandle(hFile);
        m_nSize = nSize;
        return bOk && m_pData;
    }
    const BYTE* Begin() const { return m_pData; }
    const BYTE* End() const { return m_pData + m_nSize; }

private:
    BYTE* m_pData;
    DWORD m_nSize;
};

struct Totals {
    int nFiles;
    unsigned long long nBytes;
};

// Files and bytes the archive holds, from its headers. FALSE when the headers do not
// lead to an end record inside the archive.
BOOL CountEntries(const CArchiveInMemory& archive, Totals& totals)
{
    totals.nFiles = 0;
    totals.nBytes = 0;
    const BYTE* p = archive.Begin();
    while (archive.End() - p >= 4) {
        uint32_t dwDestination, dwSize, dwPackedSize;
        std::memcpy(&dwDestination, p, 4);
        if (dwDestination == DEST_END)
            return TRUE;
        if (archive.End() - p < static_cast<ptrdiff_t>(PAYLOAD_HEADER_SIZE))
            return FALSE;
        std::memcpy(&dwSize, p + PAYLOAD_OFFSET_SIZE, 4);
        std::memcpy(&dwPackedSize, p + PAYLOAD_OFFSET_PACKED_SIZE, 4);
        if (static_cast<size_t>(archive.End() - p) - PAYLOAD_HEADER_SIZE < dwPackedSize)
            return FALSE;
        p += PAYLOAD_HEADER_SIZE + dwPackedSize;
        ++totals.nFiles;
        totals.nBytes += dwSize;
    }
    return FALSE;
}

enum Way { WAY_INFLATE, WAY_FLOOR, WAY_PROBE, WAY_ENGINE, WAY_ONE_BLOCK, WAY_COUNT };
const char* const WAY_NAMES[WAY_COUNT] = {"inflate", "floor", "probe", "engine", "oneblock"};

// The floor: what any extraction of this archive has to do, and nothing else. The
// archive has been checked by CountEntries, so its headers are taken as they stand.
const char* ExtractFloor(const BYTE* p, const char* pszMacrosDir, const char* pszExamplesDir, Way way)
{
    char szSystemDir[MAX_PATH];
    UINT nLength = GetSystemDirectoryA(szSystemDir, MAX_PATH - 1);
    if (nLength && szSystemDir[nLength - 1] != '\\')
        std::strcpy(szSystemDir + nLength, "\\");

    BYTE* pBlock = NULL;
    DWORD nCapacity = 0;
    const char* pszError = NULL;
    for (;;) {
        PayloadEntryHeader header;
        std::memcpy(&header.dwDestination, p + PAYLOAD_OFFSET_DESTINATION, 4);
        if (header.dwDestination == DEST_END)
            break;
        std::memcpy(header.szName, p + PAYLOAD_OFFSET_NAME, PAYLOAD_NAME_SIZE);
        std::memcpy(&header.dwSize, p + PAYLOAD_OFFSET_SIZE, 4);
        std::memcpy(&header.dwPackedSize, p + PAYLOAD_OFFSET_PACKED_SIZE, 4);
        p += PAYLOAD_HEADER_SIZE;
        if (nCapacity < header.dwSize) {
            if (pBlock)
                VirtualFree(pBlock, 0, MEM_RELEASE);
            pBlock = static_cast<BYTE*>(VirtualAlloc(NULL, header.dwSize, MEM_COMMIT, PAGE_READWRITE));
            nCapacity = pBlock ? header.dwSize : 0;
        }
        uLongf nOutput = header.dwSize;
        if (!pBlock || uncompress(pBlock, &nOutput, p, header.dwPackedSize) != Z_OK) {
            pszError = "inflate failed";
            break;
        }
        p += header.dwPackedSize;
        if (way == WAY_INFLATE)
            continue;

        const char* pszDir = header.dwDestination == DEST_SYSTEM     ? szSystemDir
                             : header.dwDestination == DEST_MACROS   ? pszMacrosDir
                             : header.dwDestination == DEST_EXAMPLES ? pszExamplesDir
                                                                     : "";
        char szPath[2 * MAX_PATH];
        std::snprintf(szPath, sizeof szPath, "%s%s", pszDir, header.szName);
        if (way == WAY_PROBE)
            GetFileAttributesA(szPath);
        FILE* pFile = std::fopen(szPath, "wb");
        if (!pFile) {
            pszError = "create failed";
            break;
        }
        std::setvbuf(pFile, NULL, _IONBF, 0);
        size_t nWritten = std::fwrite(pBlock, 1, nOutput, pFile);
        std::fclose(pFile);
        if (nWritten != nOutput) {
            pszError = "write failed";
            break;
        }
    }
    if (pBlock)
        VirtualFree(pBlock, 0, MEM_RELEASE);
    return pszError;
}

// Deletes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryA(dir.c_str());
}

// Measures the time the progress dialog spends on the engine's ticks, from inside the
// dialog's window procedure, while the extraction runs.
class CTickTimer {
public:
    explicit CTickTimer(HWND hDialog) : m_hDialog(hDialog)
    {
        s_nTicks = 0;
        s_seconds = 0;
        s_pfnPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(m_hDialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimingProc)));
    }
    ~CTickTimer() { SetWindowLongPtrA(m_hDialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_pfnPrevious)); }
    CTickTimer(const CTickTimer&) = delete;
    CTickTimer& operator=(const CTickTimer&) = delete;

    int Ticks() const { return s_nTicks; }
    double Seconds() const { return s_seconds; }

private:
    static LRESULT CALLBACK TimingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_TIMER)
            return CallWindowProcA(s_pfnPrevious, hWnd, message, wParam, lParam);
        CStopwatch stopwatch;
        LRESULT result = CallWindowProcA(s_pfnPrevious, hWnd, message, wParam, lParam);
        s_seconds += stopwatch.Seconds();
        ++s_nTicks;
        return result;
    }

    HWND m_hDialog;
    inline static WNDPROC s_pfnPrevious = NULL;
    inline static int s_nTicks = 0;
    inline static double s_seconds = 0;
};

class CBench {
public:
    CBench(const CArchiveInMemory& archive, const char* pszOutRoot, const char* pszLabel, const Totals& totals)
        : m_archive(archive), m_strOutRoot(pszOutRoot), m_strLabel(pszLabel), m_totals(totals)
    {
    }

    BOOL Start() { return CreateSetupWindow(m_wnd); }

    // One way into its own fresh folder, timed (nRun 0: untimed, nothing printed).
    // FALSE after printing why.
    BOOL RunOnce(int nRun, Way way)
    {
        std::string dir = m_strOutRoot + "\\" + m_strLabel + "-" + WAY_NAMES[way];
        RemoveTree(dir);
        char szSavedDir[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, szSavedDir);
        // As the installation sequence does: the dialog first, then the directory.
        const bool bEngine = way == WAY_ENGINE || way == WAY_ONE_BLOCK;
        if (bEngine && !CreateProgressDialog(m_wnd))
            return Fail(nRun, way, "cannot create the progress dialog");
        if (m_wnd.PrepareInstallDir(dir.c_str(), OPTION_APPLICATION) != 0)
            return Fail(nRun, way, "cannot prepare the installation folder");

        const char* pszError = NULL;
        double seconds = 0, tickSeconds = 0;
        int nTicks = 0;
        if (bEngine) {
            g_inflatePipelineSeam.ahead = way == WAY_ONE_BLOCK ? AHEAD_NEVER : AHEAD_BY_PROCESSORS;
            CTickTimer tickTimer(m_wnd.m_pProgressDlg->m_hWnd);
            m_wnd.m_pArchivePos = m_archive.Begin();
            m_wnd.m_pArchiveEnd = m_archive.End();
            CStopwatch stopwatch;
            pszError = m_wnd.ExtractArchive();
            seconds = stopwatch.Seconds();
            nTicks = tickTimer.Ticks();
            tickSeconds = tickTimer.Seconds();
            g_inflatePipelineSeam.ahead = AHEAD_BY_PROCESSORS;
        } else {
            CStopwatch stopwatch;
            pszError = ExtractFloor(m_archive.Begin(), m_wnd.m_szMacrosDir, m_wnd.m_szExamplesDir, way);
            seconds = stopwatch.Seconds();
        }

        DestroyProgressDialog(m_wnd);
        SetCurrentDirectoryA(szSavedDir);
        DispatchPendingMessages();
        RemoveTree(dir);
        if (pszError)
            return Fail(nRun, way, pszError);
        if (nRun > 0) {
            std::printf("extract payload=%s way=%s run=%d seconds=%.6f files=%d bytes=%llu\n", m_strLabel.c_str(),
                        WAY_NAMES[way], nRun, seconds, m_totals.nFiles, m_totals.nBytes);
            if (way == WAY_ENGINE)
                std::printf("ticks payload=%s run=%d ticks=%d seconds=%.6f\n", m_strLabel.c_str(), nRun, nTicks,
                            tickSeconds);
            std::fflush(stdout);
        }
        return TRUE;
    }

    static DWORD WINAPI AcrossTheSlideEnd()
    {
        static DWORD s_nCalls = 0;
        return s_dwSlideEnd - (++s_nCalls & 1);
    }
    inline static DWORD s_dwSlideEnd = 0;

    BOOL TimeTick()
    {
        if (!CreateProgressDialog(m_wnd))
            return FALSE;
        const int nTicks = 2000;
        HWND hDialog = m_wnd.m_pProgressDlg->m_hWnd;
        // The first tick replaces the template's picture with the first slide.
        SendMessageA(hDialog, WM_TIMER, TIMER_PROGRESS, 0);
        CStopwatch stopwatch;
        for (int i = 0; i < nTicks; ++i)
            SendMessageA(hDialog, WM_TIMER, TIMER_PROGRESS, 0);
        double seconds = stopwatch.Seconds();
        // The tick that changes the slide (three times an installation): the dialog's
        // clock put on either side of the first slide's end in turn.
        s_dwSlideEnd = m_wnd.m_pProgressDlg->m_dwStartTick + 7500;
        g_pfnGetTickCount = AcrossTheSlideEnd;
        stopwatch.Restart();
        for (int i = 0; i < nTicks; ++i)
            SendMessageA(hDialog, WM_TIMER, TIMER_PROGRESS, 0);
        double slideSeconds = stopwatch.Seconds();
        g_pfnGetTickCount = GetTickCount;
        DestroyProgressDialog(m_wnd);
        std::printf("cost payload=%s what=tick us=%.2f\n", m_strLabel.c_str(), seconds * 1e6 / nTicks);
        std::printf("cost payload=%s what=slide-tick us=%.2f\n", m_strLabel.c_str(), slideSeconds * 1e6 / nTicks);
        return TRUE;
    }

    void Finish()
    {
        DestroyProgressDialog(m_wnd);
        m_wnd.DestroyWindow();
    }

private:
    BOOL Fail(int nRun, Way way, const char* pszWhy)
    {
        std::printf("error payload=%s way=%s run=%d: %s\n", m_strLabel.c_str(), WAY_NAMES[way], nRun, pszWhy);
        DestroyProgressDialog(m_wnd);
        return FALSE;
    }

    const CArchiveInMemory& m_archive;
    std::string m_strOutRoot;
    std::string m_strLabel;
    Totals m_totals;
    CSetupWnd m_wnd;
};

// Wine matches names without regard to case on a file system that does: a name that is
// not there is looked for through the whole folder. This times that against the size of
// the folder.
int TimeMissingLookups(const char* pszOutRoot)
{
    std::string dir = std::string(pszOutRoot) + "\\lookups";
    RemoveTree(dir);
    CreateDirectoryA(pszOutRoot, NULL);
    if (!CreateDirectoryA(dir.c_str(), NULL)) {
        std::printf("error cannot create %s\n", dir.c_str());
        return 1;
    }
    const int nProbes = 500;
    char szPath[MAX_PATH];
    int nFiles = 0;
    for (int nTarget : {0, 1000, 3000}) {
        for (; nFiles < nTarget; ++nFiles) {
            std::snprintf(szPath, sizeof szPath, "%s\\Present%05d.htm", dir.c_str(), nFiles);
            FILE* pFile = std::fopen(szPath, "wb");
            if (pFile)
                std::fclose(pFile);
        }
        CStopwatch stopwatch;
        for (int i = 0; i < nProbes; ++i) {
            std::snprintf(szPath, sizeof szPath, "%s\\Missing%05d.htm", dir.c_str(), i);
            GetFileAttributesA(szPath);
        }
        std::printf("lookup files=%d us=%.2f\n", nFiles, stopwatch.Seconds() * 1e6 / nProbes);
        std::fflush(stdout);
    }
    RemoveTree(dir);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--lookups") == 0)
        return TimeMissingLookups(argv[2]);
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: bench_extract ARCHIVE OUTROOT LABEL RUNS [WAY,...]\n"
                             "       bench_extract --lookups OUTROOT\n");
        return 2;
    }
    bool abWanted[WAY_COUNT];
    for (int way = 0; way < WAY_COUNT; ++way)
        abWanted[way] = argc == 5 || std::strstr((std::string(",") + argv[5] + ",").c_str(),
                                                 (std::string(",") + WAY_NAMES[way] + ",").c_str()) != NULL;
    const char* pszLabel = argv[3];
    int nRuns = std::atoi(argv[4]);
    if (nRuns < 1)
        return 2;

    CArchiveInMemory archive;
    Totals totals;
    if (!archive.Load(argv[1]) || !CountEntries(archive, totals)) {
        std::printf("error payload=%s cannot read an archive from %s\n", pszLabel, argv[1]);
        return 1;
    }
    CreateDirectoryA(argv[2], NULL);

    CBench bench(archive, argv[2], pszLabel, totals);
    if (!bench.Start()) {
        std::printf("error payload=%s cannot create the setup window\n", pszLabel);
        return 1;
    }
    DispatchPendingMessages();

    BOOL bOk = bench.RunOnce(0, WAY_FLOOR);
    for (int nRun = 1; bOk && nRun <= nRuns; ++nRun)
        for (int i = 0; bOk && i < WAY_COUNT; ++i)
            if (abWanted[(nRun + i) % WAY_COUNT])
                bOk = bench.RunOnce(nRun, static_cast<Way>((nRun + i) % WAY_COUNT));
    bOk = bOk && bench.TimeTick();
    bench.Finish();
    return bOk ? 0 : 1;
}
