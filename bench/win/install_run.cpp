// bench_install: the setup program's work as a process of its own, for the comparison
// with another installer timed as a whole process. It starts as the setup program does
// (the full-screen backdrop, shown and painted), creates the progress dialog, prepares
// the installation directory and unpacks the payload from its own resource 127 with
// ExtractPayload, the dialog receiving a tick after every file, and ends. What it leaves
// out are the pages before the work (they wait for a user) and the 30 seconds the
// progress dialog stays on screen (a fixed part of the user interface, not work).
//
//   bench_install OUTDIR REPORT [--sample-memory]
//
// The payload resource is put into a copy of this program by "bench_launch embed".
// REPORT receives the outcome, the extraction's own time and the process's memory
// counters (GetProcessMemoryInfo) at the start, before the extraction and after it:
//   result=(null)
//   extract_seconds=0.512345
//   before_working_set=... before_private=... (start_, after_ likewise, and the
//   _peak_ counters as the system reports them)
// Wine fills these counters from Linux's: the working set is the resident memory, the
// private memory (PagefileUsage) its anonymous part, and the peaks are not peaks (the
// private "peak" is the current value; the working-set peak is Linux's high-water mark,
// which proactive reclaim lowers). So with --sample-memory a second thread reads the
// counters every millisecond while the extraction runs and reports the highest values
// it saw as sampled_working_set and sampled_private. The setup program itself has no
// such thread; the timed runs go without it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchSupport.h"
#include "framework/WinApp.h"

using namespace bench;

namespace {

// Reads the memory counters every millisecond on its own thread and keeps the highest.
class CMemorySampler {
public:
    CMemorySampler() : m_hThread(NULL), m_hStop(NULL), m_hFirst(NULL), m_nSamples(0) { m_highest = ReadMemoryFigures(); }
    ~CMemorySampler() { Stop(); }
    CMemorySampler(const CMemorySampler&) = delete;
    CMemorySampler& operator=(const CMemorySampler&) = delete;

    // Starts the thread and returns once it has taken its first sample, so that the
    // thread's own memory is there before the caller reads its baseline.
    void Start()
    {
        m_highest = ReadMemoryFigures();
        m_hStop = CreateEventA(NULL, TRUE, FALSE, NULL);
        m_hFirst = CreateEventA(NULL, TRUE, FALSE, NULL);
        if (m_hStop && m_hFirst)
            m_hThread = CreateThread(NULL, 0, &ThreadProc, this, 0, NULL);
        if (m_hThread)
            WaitForSingleObject(m_hFirst, INFINITE);
    }
    void Stop()
    {
        if (m_hThread) {
            SetEvent(m_hStop);
            WaitForSingleObject(m_hThread, INFINITE);
            CloseHandle(m_hThread);
            m_hThread = NULL;
        }
        if (m_hStop)
            CloseHandle(m_hStop);
        if (m_hFirst)
            CloseHandle(m_hFirst);
        m_hStop = m_hFirst = NULL;
        Sample();
    }
    const MemoryFigures& Highest() const { return m_highest; }
    unsigned Samples() const { return m_nSamples; }

private:
    static DWORD WINAPI ThreadProc(void* pParam)
    {
        CMemorySampler* pThis = static_cast<CMemorySampler*>(pParam);
        pThis->Sample();
        SetEvent(pThis->m_hFirst);
        while (WaitForSingleObject(pThis->m_hStop, 1) == WAIT_TIMEOUT)
            pThis->Sample();
        return 0;
    }
    void Sample()
    {
        MemoryFigures now = ReadMemoryFigures();
        if (now.nWorkingSet > m_highest.nWorkingSet)
            m_highest.nWorkingSet = now.nWorkingSet;
        if (now.nPrivate > m_highest.nPrivate)
            m_highest.nPrivate = now.nPrivate;
        ++m_nSamples;
    }

    HANDLE m_hThread;
    HANDLE m_hStop;
    HANDLE m_hFirst;
    MemoryFigures m_highest;
    unsigned m_nSamples;
};

void PrintFigures(FILE* pFile, const char* pszWhen, const MemoryFigures& figures)
{
    std::fprintf(pFile, "%s_working_set=%lu\n%s_peak_working_set=%lu\n%s_private=%lu\n%s_peak_private=%lu\n", pszWhen,
                 static_cast<unsigned long>(figures.nWorkingSet), pszWhen,
                 static_cast<unsigned long>(figures.nPeakWorkingSet), pszWhen,
                 static_cast<unsigned long>(figures.nPrivate), pszWhen, static_cast<unsigned long>(figures.nPeakPrivate));
}

} // namespace

class CInstallRunApp : public CWinApp {
public:
    CInstallRunApp() : m_nResult(1) {}

    BOOL InitInstance() override
    {
        MemoryFigures atStart = ReadMemoryFigures();
        bool bSample = __argc == 4 && std::strcmp(__argv[3], "--sample-memory") == 0;
        if (__argc != 3 && !bSample)
            return FALSE;
        const char* pszOutDir = __argv[1];
        const char* pszReport = __argv[2];
        CMemorySampler sampler;

        CSetupWnd* pWnd = new CSetupWnd;
        m_pMainWnd = pWnd;
        const char* pszResult = "cannot create the setup window";
        double seconds = 0;
        MemoryFigures before = atStart, after = atStart;
        if (CreateSetupWindow(*pWnd) && CreateProgressDialog(*pWnd)) {
            if (pWnd->PrepareInstallDir(pszOutDir, OPTION_APPLICATION) != 0) {
                pszResult = "cannot prepare the installation directory";
            } else {
                if (bSample)
                    sampler.Start();
                before = ReadMemoryFigures();
                CStopwatch stopwatch;
                pszResult = pWnd->ExtractPayload();
                seconds = stopwatch.Seconds();
                if (bSample)
                    sampler.Stop();
                after = ReadMemoryFigures();
            }
        }

        FILE* pFile = std::fopen(pszReport, "w");
        if (pFile) {
            std::fprintf(pFile, "result=%s\nextract_seconds=%.6f\n", pszResult ? pszResult : "(null)", seconds);
            PrintFigures(pFile, "start", atStart);
            PrintFigures(pFile, "before", before);
            PrintFigures(pFile, "after", after);
            if (bSample)
                std::fprintf(pFile, "sampled_working_set=%lu\nsampled_private=%lu\nsamples=%u\n",
                             static_cast<unsigned long>(sampler.Highest().nWorkingSet),
                             static_cast<unsigned long>(sampler.Highest().nPrivate), sampler.Samples());
            std::fclose(pFile);
        }
        m_nResult = pszResult == NULL && pFile ? 0 : 1;

        DestroyProgressDialog(*pWnd);
        pWnd->DestroyWindow();
        delete pWnd;
        m_pMainWnd = NULL;
        return FALSE;
    }

    int ExitInstance() override { return m_nResult; }

private:
    int m_nResult;
};

static CInstallRunApp theApp;
