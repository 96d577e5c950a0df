#include "RemovableFile.h"

#include "InstallList.h"

namespace {

// FILE_INFO_BY_HANDLE_CLASS values and their structures, as Windows Vista defines them;
// the headers of the systems this library is built for do not have them.
const int FILE_BASIC_INFORMATION_CLASS = 0;
const int FILE_DISPOSITION_INFORMATION_CLASS = 4;

struct FileBasicInformation {
    LARGE_INTEGER times[4];  // creation, access, write, change: 0 leaves each as it is
    DWORD dwFileAttributes;
};

struct FileDispositionInformation {
    BOOLEAN bDeleteFile;
};

// Opens the file as the link itself when the path ends in one.
const DWORD OPEN_LINK_ITSELF = 0x00200000;  // FILE_FLAG_OPEN_REPARSE_POINT

} // namespace

CRemovableFile::CRemovableFile(const char* pszPath)
    : m_pszPath(pszPath),
      m_pSetInformation(reinterpret_cast<SetFileInformationFn>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle"))),
      m_dwAttributes(0)
{
    if (m_pSetInformation) {
        m_file.Reset(CreateFileA(pszPath, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | OPEN_LINK_ITSELF, NULL));
    } else {
        m_file.Reset(CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (IsOpen() && GetFileInformationByHandle(m_file, &info))
        m_dwAttributes = info.dwFileAttributes;
}

bool CRemovableFile::IsPlainFile() const
{
    return IsOpen() && !(m_dwAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

int CRemovableFile::Matches(DWORD nSize, DWORD nCrc)
{
    DWORD nHigh = 0;
    DWORD nLow = GetFileSize(m_file, &nHigh);
    if (nLow != nSize || nHigh != 0)
        return nLow == 0xFFFFFFFF && GetLastError() != NO_ERROR ? -1 : 0;
    static unsigned char buffer[65536];
    uint32_t nSum = 0;
    DWORD nTotal = 0, nRead = 0;
    while (ReadFile(m_file, buffer, sizeof buffer, &nRead, NULL)) {
        if (nRead == 0)
            return nTotal == nSize && nSum == nCrc ? 1 : 0;
        nSum = UpdateCrc32(nSum, buffer, nRead);
        nTotal += nRead;
    }
    return -1;
}

bool CRemovableFile::Delete()
{
    if (!m_pSetInformation)
        return DeleteByPath();
    const bool bReadOnly = (m_dwAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (bReadOnly && !SetAttributes(m_dwAttributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    // The file goes when the handle is closed, which no other process can delay: the
    // handle is the only one that may delete it.
    FileDispositionInformation disposition = {TRUE};
    if (m_pSetInformation(m_file, FILE_DISPOSITION_INFORMATION_CLASS, &disposition, sizeof disposition)) {
        m_file.Reset();
        return true;
    }
    if (bReadOnly)
        SetAttributes(m_dwAttributes);
    return false;
}

bool CRemovableFile::SetAttributes(DWORD dwAttributes)
{
    FileBasicInformation basic = {};
    // No attribute at all is written as "normal"; 0 would leave them unchanged.
    basic.dwFileAttributes = dwAttributes ? dwAttributes : FILE_ATTRIBUTE_NORMAL;
    return m_pSetInformation(m_file, FILE_BASIC_INFORMATION_CLASS, &basic, sizeof basic) != FALSE;
}

// The way of the systems without deletion through a handle, which have no links either
// (Windows 95/98, NT 4.0) or, on 2000 and XP, only folder links: the attributes are those
// the handle saw.
bool CRemovableFile::DeleteByPath()
{
    m_file.Reset();
    if (m_dwAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(m_pszPath, m_dwAttributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(m_pszPath))
        return true;
    if (m_dwAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(m_pszPath, m_dwAttributes);
    return false;
}
