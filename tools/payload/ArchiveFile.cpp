#include "ArchiveFile.h"

#include "FileIo.h"
#include "PeResource.h"
#include "res/resource.h"

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
    PeResourceSpan check;
    if (FindPeResource(archive.bytes.data(), archive.bytes.size(), PE_RT_RCDATA, IDR_PAYLOAD_CHECK, check, why))
        archive.checkRecord.assign(archive.bytes.begin() + check.nOffset,
                                   archive.bytes.begin() + check.nOffset + check.nSize);
    return true;
}
