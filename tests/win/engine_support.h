// Helpers of the engine's Windows tests: scratch folders, files, payload archives built
// with zlib, archives held against an inaccessible page, child programs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/ProgressDlg.h"
#include "ui/SetupMessages.h"

namespace enginetest {

// A fault (a read past an archive's end, say) ends the test process with a report instead
// of waiting for Wine's debugger, so the run fails rather than hangs.
inline LONG WINAPI ReportFault(EXCEPTION_POINTERS* pInfo)
{
    std::fprintf(stderr, "\n*** exception 0x%08lx at %p: the test process ends here\n",
                 pInfo->ExceptionRecord->ExceptionCode, pInfo->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
inline const bool g_bFaultsReported = (SetUnhandledExceptionFilter(&ReportFault), true);

inline std::string CurrentDir()
{
    char sz[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof sz, sz);
    return n && n < sizeof sz ? std::string(sz, n) : std::string();
}

inline std::string WithBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsDirectory(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsReadOnly(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

inline bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(h);
    return ok && written == bytes.size();
}

// The whole file, or "<missing>" when it cannot be opened.
inline std::string ReadFileBytes(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, NULL) && got)
        bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

// Deletes a tree, read-only files included.
inline void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

// Names of the plain files of a folder.
inline std::vector<std::string> ListFiles(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

// A fresh folder below the temporary folder, removed with everything in it at the end.
// The process's current directory is restored at the end as well.
class ScratchDir {
public:
    explicit ScratchDir(const char* pszTag)
    {
        m_strSavedCwd = CurrentDir();
        char szTemp[MAX_PATH];
        GetTempPathA(sizeof szTemp, szTemp);
        static unsigned s_nCounter = 0;
        char szName[64];
        wsprintfA(szName, "eng-%s-%lu-%u", pszTag, GetCurrentProcessId(), ++s_nCounter);
        m_strPath = WithBackslash(szTemp) + szName;
        RemoveTree(m_strPath);
        CreateDirectoryA(m_strPath.c_str(), NULL);
    }
    ~ScratchDir()
    {
        SetCurrentDirectoryA(m_strSavedCwd.c_str());
        RemoveTree(m_strPath);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Without a trailing backslash.
    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& name) const { return m_strPath + "\\" + name; }

private:
    std::string m_strPath;
    std::string m_strSavedCwd;
};

// Deterministic, poorly compressible bytes.
inline std::string Noise(size_t n, uint32_t seed)
{
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = static_cast<char>(x);
    }
    return s;
}

inline std::string Compress(const std::string& data, int level = Z_DEFAULT_COMPRESSION)
{
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    std::string out(n, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &n, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), level) != Z_OK)
        return std::string();
    out.resize(n);
    return out;
}

inline void PutU32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One entry as it stands in the archive. By default the header tells the truth about the
// stream; the fields are there to make it lie.
struct Entry {
    uint32_t code = 0;
    std::string name;
    std::string content;
    std::string nameTail;     // bytes after the name's NUL (the rest is zero)
    bool sizeGiven = false;   // dwSize below instead of the content's length
    uint32_t size = 0;
    std::string stream;       // the zlib stream; compressed content when empty
    std::string streamTail;   // bytes after the stream, inside dwPackedSize
};

inline std::string Header(uint32_t code, const std::string& name, const std::string& nameTail, uint32_t size,
                          uint32_t packed)
{
    std::string h;
    PutU32(h, code);
    std::string field(256, '\0');
    std::memcpy(&field[0], name.data(), name.size() < 256 ? name.size() : 256);
    if (name.size() + 1 < 256)
        std::memcpy(&field[name.size() + 1], nameTail.data(), std::min(nameTail.size(), 255 - name.size()));
    h += field;
    PutU32(h, size);
    PutU32(h, packed);
    return h;
}

inline std::string EncodeEntry(const Entry& e)
{
    std::string stream = e.stream.empty() ? Compress(e.content) : e.stream;
    stream += e.streamTail;
    uint32_t size = e.sizeGiven ? e.size : static_cast<uint32_t>(e.content.size());
    return Header(e.code, e.name, e.nameTail, size, static_cast<uint32_t>(stream.size())) + stream;
}

// The closing record as the shipped archive has it: a full header, code 0xFFFFFFFF.
inline std::string EndRecord()
{
    return Header(0xFFFFFFFFu, "", "", 0xFFFFFFFFu, 0xFFFFFFFFu);
}

inline std::string Archive(const std::vector<Entry>& entries, bool withEnd = true)
{
    std::string a;
    for (const Entry& e : entries)
        a += EncodeEntry(e);
    if (withEnd)
        a += EndRecord();
    return a;
}

inline Entry File(uint32_t code, const std::string& name, const std::string& content)
{
    Entry e;
    e.code = code;
    e.name = name;
    e.content = content;
    return e;
}

// Archive bytes that end exactly where an inaccessible page begins: a read past the end
// is an access violation, not a silent success.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        size_t page = si.dwPageSize;
        size_t dataPages = (bytes.size() + page - 1) / page;
        m_nTotal = (dataPages + 1) * page;
        m_pBase = static_cast<BYTE*>(VirtualAlloc(NULL, m_nTotal, MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_pBase + dataPages * page, page, PAGE_NOACCESS, &old);
        m_pEnd = m_pBase + dataPages * page;
        m_pBegin = m_pEnd - bytes.size();
        std::memcpy(m_pBegin, bytes.data(), bytes.size());
    }
    ~GuardedBytes() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const BYTE* Begin() const { return m_pBegin; }
    const BYTE* End() const { return m_pEnd; }

private:
    BYTE* m_pBase;
    BYTE* m_pBegin;
    BYTE* m_pEnd;
    size_t m_nTotal;
};

// The folder of the running test executable (where the test programs are built).
inline std::string ExeDir()
{
    char sz[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, sz, sizeof sz);
    std::string path(sz, n);
    return path.substr(0, path.rfind('\\'));
}

// Runs a program with the given command line in the given folder and waits for its end.
// Returns its exit code, or -1 when it could not be started or did not end in time.
inline long RunAndWait(const std::string& application, const std::string& commandLine, const std::string& cwd,
                       DWORD timeoutMs = 60000)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string line = commandLine;
    if (!CreateProcessA(application.empty() ? NULL : application.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL,
                        cwd.empty() ? NULL : cwd.c_str(), &si, &pi))
        return -1;
    long code = -1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(pi.hProcess, &exitCode);
        code = static_cast<long>(exitCode);
    } else {
        TerminateProcess(pi.hProcess, 99);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// A real progress dialog whose window procedure is wrapped to count the engine's ticks
// (WM_TIMER, wParam TIMER_PROGRESS). Nothing here pumps messages, so the dialog's own
// timer cannot add ticks while an operation runs.
class TickCounter {
public:
    TickCounter() : m_dialog(NULL)
    {
        m_dialog.Create(IDD_PROGRESS, NULL);
        s_nTicks = 0;
        s_pfnPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(m_dialog.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    }
    ~TickCounter()
    {
        s_pfnOnTick = NULL;
        SetWindowLongPtrA(m_dialog.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_pfnPrevious));
        m_dialog.DestroyWindow();
    }
    CProgressDlg* Dialog() { return &m_dialog; }
    int Ticks() const { return s_nTicks; }
    // Called in every tick with the count so far: the engine's thread waits for it.
    void OnTick(void (*pfnOnTick)(int nTicks)) { s_pfnOnTick = pfnOnTick; }

private:
    static LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_TIMER && wParam == TIMER_PROGRESS) {
            ++s_nTicks;
            if (s_pfnOnTick)
                s_pfnOnTick(s_nTicks);
        }
        return CallWindowProcA(s_pfnPrevious, hWnd, message, wParam, lParam);
    }
    CProgressDlg m_dialog;
    inline static int s_nTicks = 0;
    inline static WNDPROC s_pfnPrevious = NULL;
    inline static void (*s_pfnOnTick)(int) = NULL;
};

} // namespace enginetest
