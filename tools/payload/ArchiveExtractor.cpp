#include "ArchiveExtractor.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "ArchiveBuilder.h"
#include "FileIo.h"
#include "DisplayText.h"
#include "PayloadSource.h"
#include "PayloadStream.h"
#include "PayloadName.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// A folder the extraction writes into, by its path: Windows has no openat. A subfolder
// or file that is a link (a symbolic link or a junction) is refused before it is used.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(const fs::path& path) : m_path(path), m_bOpen(true) {}
    const fs::path& Get() const { return m_path; }
    bool IsOpen() const { return m_bOpen; }

private:
    fs::path m_path;
    bool m_bOpen = false;
};

bool IsLink(const fs::path& path)
{
    std::error_code ec;
    fs::file_status status = fs::symlink_status(path, ec);
    return !ec && fs::is_symlink(status);
}

bool OpenRootFolder(const std::string& path, FileDescriptor& root, std::string& error)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
        error = "cannot open the folder " + path;
        return false;
    }
    root = FileDescriptor(fs::path(path));
    return true;
}

FileDescriptor SameFolder(const FileDescriptor& folder)
{
    return FileDescriptor(folder.Get());
}

bool EnterFolder(const FileDescriptor& parent, const std::string& part, FileDescriptor& folder, std::string& error)
{
    fs::path path = parent.Get() / part;
    std::error_code ec;
    fs::create_directory(path, ec);
    if (IsLink(path) || !fs::is_directory(fs::symlink_status(path, ec))) {
        error = "cannot enter " + part + " (a file or a symbolic link stands there)";
        return false;
    }
    folder = FileDescriptor(path);
    return true;
}

bool WriteNewFile(const FileDescriptor& folder, const std::string& name, const std::vector<uint8_t>& bytes,
                  std::string& error)
{
    fs::path path = folder.Get() / name;
    if (IsLink(path)) {
        error = "cannot create the file: a symbolic link stands there";
        return false;
    }
    FILE* pFile = std::fopen(path.string().c_str(), "wb");
    if (!pFile) {
        error = "cannot create the file: " + std::string(std::strerror(errno));
        return false;
    }
    bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    if (std::fclose(pFile) != 0 || !bWritten) {
        error = "cannot write the file: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}
#else
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Enters (creating it when missing) the folder called part inside parent.
bool EnterFolder(const FileDescriptor& parent, const std::string& part, FileDescriptor& folder, std::string& error)
{
    if (mkdirat(parent.Get(), part.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create the folder " + part + ": " + std::strerror(errno);
        return false;
    }
    folder = FileDescriptor(openat(parent.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.IsOpen()) {
        error = "cannot enter " + part + " (a file or a symbolic link stands there): " + std::strerror(errno);
        return false;
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t nDone = 0;
    while (nDone < bytes.size()) {
        ssize_t nWritten = write(fd, bytes.data() + nDone, bytes.size() - nDone);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
            return false;
        nDone += static_cast<size_t>(nWritten);
    }
    return true;
}


bool OpenRootFolder(const std::string& path, FileDescriptor& root, std::string& error)
{
    root = FileDescriptor(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.IsOpen()) {
        error = "cannot open the folder " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

FileDescriptor SameFolder(const FileDescriptor& folder)
{
    return FileDescriptor(dup(folder.Get()));
}

// The file is created, never followed through a symbolic link standing under its name.
bool WriteNewFile(const FileDescriptor& folder, const std::string& name, const std::vector<uint8_t>& bytes,
                  std::string& error)
{
    FileDescriptor out(openat(folder.Get(), name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!out.IsOpen()) {
        error = "cannot create the file: " + std::string(std::strerror(errno));
        return false;
    }
    if (!WriteAll(out.Get(), bytes)) {
        error = "cannot write the file: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}

#endif

bool ExtractOne(const FileDescriptor& root, const PayloadEntry& entry, const AnsiCodePage& codePage,
                ExtractedFile& file, std::string& error)
{
    std::string storedName(entry.header.szName, entry.nNameLength);
    std::string hostName;
    codePage.ToUtf8(storedName, hostName);  // CheckNamesInCodePage has warned about an undefined byte
    std::string subfolder = PayloadDestinationFolder(entry.header.dwDestination);

    FileDescriptor folder = SameFolder(root);
    if (!subfolder.empty() && !EnterFolder(root, subfolder, folder, error))
        return false;
    std::vector<uint8_t> bytes;
    PayloadStreamCheck result = InflatePayloadStream(entry.pStream, entry.header.dwPackedSize, entry.header.dwSize, &bytes);
    if (!IsInstallableStream(result.status)) {
        error = "the stream " + DescribePayloadStreamCheck(result, entry.header.dwSize);
        return false;
    }
    if (!WriteNewFile(folder, hostName, bytes, error))
        return false;

    file.dwDestination = entry.header.dwDestination;
    file.storedName = storedName;
    file.relativePath = subfolder.empty() ? hostName : subfolder + "/" + hostName;
    return true;
}

}  // namespace

bool ExtractArchiveEntries(const ArchiveCheck& check, const std::string& folder, const AnsiCodePage& codePage,
                           std::vector<ExtractedFile>& files, std::string& error)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    FileDescriptor root;
    if (!OpenRootFolder(folder, root, error))
        return false;
    for (size_t i = 0; i < check.entries.size(); ++i) {
        const PayloadEntry& entry = check.entries[i];
        // CheckArchive has refused these already; an extraction never relies on that alone.
        if (!entry.bNameTerminated || CheckPayloadName(entry.header.szName, entry.nNameLength) != PAYLOAD_NAME_OK) {
            error = DescribeEntry(i, entry) + ": the name would not stay inside " + folder;
            return false;
        }
        ExtractedFile file;
        if (!ExtractOne(root, entry, codePage, file, error)) {
            error = DescribeEntry(i, entry) + ": " + error;
            return false;
        }
        files.push_back(file);
    }
    return true;
}

bool WriteExtractManifest(const std::string& manifestPath, const std::string& folder,
                          const std::vector<ExtractedFile>& files, std::string& error)
{
    std::error_code ec;
    fs::path manifestDir = fs::weakly_canonical(fs::absolute(manifestPath), ec).parent_path();
    fs::path folderPath = fs::weakly_canonical(fs::absolute(folder), ec);
    std::string text = "# Payload manifest: code<TAB>source file<TAB>stored name, in archive order.\n";
    for (const ExtractedFile& file : files) {
        fs::path source = (folderPath / file.relativePath).lexically_relative(manifestDir);
        if (source.empty())
            source = folderPath / file.relativePath;
        std::string line = std::to_string(file.dwDestination) + "\t" + source.generic_string() + "\t" + file.storedName;
        if (line.find_first_of("\r\n") != std::string::npos ||
            source.generic_string().find('\t') != std::string::npos) {
            error = "the path " + EscapeForDisplay(source.generic_string()) + " cannot stand in a manifest line";
            return false;
        }
        text += line + "\n";
    }
    std::vector<uint8_t> bytes(text.begin(), text.end());
    return WriteFileAtomically(manifestPath, bytes, error);
}
