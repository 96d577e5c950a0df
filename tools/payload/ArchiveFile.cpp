#include "ArchiveFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "PeResource.h"
#include "res/resource.h"

namespace {

struct FileCloser {
    void operator()(FILE* pFile) const { std::fclose(pFile); }
};

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    uint8_t buffer[65536];
    size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.insert(bytes.end(), buffer, buffer + nRead);
    if (std::ferror(file.get())) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool LoadArchiveFile(const std::string& path, ArchiveFile& archive, std::string& error)
{
    archive = ArchiveFile();
    if (!ReadFileBytes(path, archive.bytes, error))
        return false;
    archive.nSize = archive.bytes.size();
    if (!LooksLikePeImage(archive.bytes.data(), archive.bytes.size()))
        return true;

    PeResourceSpan span;
    std::string why;
    if (!FindPeResource(archive.bytes.data(), archive.bytes.size(), PE_RT_RCDATA, IDR_PAYLOAD, span, why)) {
        error = path + " is a Windows executable without a payload: " + why;
        return false;
    }
    archive.nOffset = span.nOffset;
    archive.nSize = span.nSize;
    archive.bInsideExecutable = true;
    return true;
}
