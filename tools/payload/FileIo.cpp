#include "FileIo.h"

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

bool ReadFileChunks(const std::string& path, const std::function<bool(const uint8_t*, size_t)>& take,
                    std::string& error)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> buffer(65536);
    size_t nRead;
    while ((nRead = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0)
        if (!take(buffer.data(), nRead))
            return false;
    if (std::ferror(file.get())) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error, uint64_t nMaxBytes)
{
    bytes.clear();
    return ReadFileChunks(
        path,
        [&](const uint8_t* pData, size_t nLength) {
            if (bytes.size() + nLength > nMaxBytes) {
                error = path + " is larger than " + std::to_string(nMaxBytes) + " bytes";
                return false;
            }
            bytes.insert(bytes.end(), pData, pData + nLength);
            return true;
        },
        error);
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error)
{
    text.clear();
    return ReadFileChunks(
        path,
        [&](const uint8_t* pData, size_t nLength) {
            text.append(reinterpret_cast<const char*>(pData), nLength);
            return true;
        },
        error);
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& error)
{
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    error = "cannot rename " + from + " to " + to + " (Windows error " + std::to_string(GetLastError()) + ")";
#else
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = "cannot rename " + from + " to " + to + ": " + std::strerror(errno);
#endif
    return false;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::string temporary = path + ".tmp" + std::to_string(getpid());
    FilePtr file(std::fopen(temporary.c_str(), "wb"));
    if (!file) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    bool bClosed = std::fclose(file.release()) == 0;
    if (!bWritten || !bClosed) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    if (!RenameReplacing(temporary, path, error)) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
