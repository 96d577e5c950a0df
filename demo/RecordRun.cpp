// Stand-in for the programs the setup program starts but does not contain the workings
// of: the redistributable installer Axdist.exe from the payload, and the PDF reader's
// installer AcroRead\Setup.exe on the medium. It records that it ran by appending one
// line to RUN_LOG_NAME in the Windows directory: its command line, a tab, and the
// directory it was started in. Then it exits with 0.
#include <windows.h>

#include <cstring>

#ifndef RUN_LOG_NAME
#error "RUN_LOG_NAME names the log file in the Windows directory"
#endif

namespace {

class CFileHandle {
public:
    explicit CFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CFileHandle()
    {
        if (m_hFile != INVALID_HANDLE_VALUE)
            CloseHandle(m_hFile);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE Get() const { return m_hFile; }
    bool IsValid() const { return m_hFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFile;
};

bool BuildLogPath(char (&szPath)[MAX_PATH])
{
    UINT nLength = GetWindowsDirectoryA(szPath, MAX_PATH);
    size_t nName = std::strlen(RUN_LOG_NAME);
    if (nLength == 0 || nLength + 1 + nName >= MAX_PATH)
        return false;
    if (szPath[nLength - 1] != '\\')
        szPath[nLength++] = '\\';
    std::memcpy(szPath + nLength, RUN_LOG_NAME, nName + 1);
    return true;
}

bool WriteText(HANDLE hFile, const char* pszText)
{
    DWORD nWritten = 0;
    DWORD nLength = static_cast<DWORD>(std::strlen(pszText));
    return WriteFile(hFile, pszText, nLength, &nWritten, NULL) && nWritten == nLength;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char szLog[MAX_PATH];
    if (!BuildLogPath(szLog))
        return 1;
    char szCurrentDir[MAX_PATH];
    DWORD nDir = GetCurrentDirectoryA(MAX_PATH, szCurrentDir);
    if (nDir == 0 || nDir >= MAX_PATH)
        szCurrentDir[0] = '\0';

    // Opened for writing and moved to the end: the append-only access right does not
    // exist on Windows 95/98.
    CFileHandle log(CreateFileA(szLog, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!log.IsValid() || SetFilePointer(log.Get(), 0, NULL, FILE_END) == INVALID_SET_FILE_POINTER)
        return 1;
    bool bWritten = WriteText(log.Get(), GetCommandLineA()) && WriteText(log.Get(), "\t") &&
                    WriteText(log.Get(), szCurrentDir) && WriteText(log.Get(), "\r\n");
    return bWritten ? 0 : 1;
}
