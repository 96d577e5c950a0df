#include "ArchiveBuilder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "ArchiveCheck.h"
#include "DisplayText.h"
#include "FileIo.h"
#include "PayloadStream.h"
#include "engine/PayloadFormat.h"
#include "PayloadName.h"
#include "PayloadWriter.h"

namespace {

// A file's bytes and its stream, or why it could not be had.
struct PackedFile {
    uint64_t nSize = 0;
    std::vector<uint8_t> stream;
    std::string error;
};

PackedFile PackFile(const PayloadSource& source, int nLevel)
{
    PackedFile packed;
    std::vector<uint8_t> bytes;
    if (source.pContents)
        bytes = *source.pContents;
    else if (!ReadFileBytes(source.sourcePath, bytes, packed.error, 0xFFFFFFFFull))
        return packed;
    packed.nSize = bytes.size();
    if (!DeflatePayloadStream(bytes.data(), bytes.size(), nLevel, packed.stream, packed.error))
        packed.error = "cannot compress " + source.sourcePath + ": " + packed.error;
    else if (!CheckPayloadEntrySizes(packed.nSize, packed.stream.size(), packed.error))
        packed.error = source.sourcePath + ": " + packed.error;
    return packed;
}

std::string EntryLabel(const PayloadSource& source)
{
    return source.origin + ": " + QuoteForDisplay(source.storedName);
}

// Names as Windows compares them, as far as ASCII goes: without regard to case.
std::string FoldName(const std::string& name)
{
    std::string folded = name;
    for (char& ch : folded)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return folded;
}

// Codes other than these three all mean the installation directory.
uint32_t DestinationGroup(uint32_t dwDestination)
{
    bool bOwnDirectory = dwDestination == DEST_SYSTEM || dwDestination == DEST_MACROS || dwDestination == DEST_EXAMPLES;
    return bOwnDirectory ? dwDestination : 0;
}

void WarnAboutReplacedFiles(const std::vector<PayloadSource>& sources, std::vector<std::string>& warnings)
{
    std::map<std::pair<uint32_t, std::string>, const PayloadSource*> seen;
    for (const PayloadSource& source : sources) {
        auto key = std::make_pair(DestinationGroup(source.dwDestination), FoldName(source.storedName));
        auto [it, bNew] = seen.emplace(key, &source);
        if (!bNew) {
            warnings.push_back(EntryLabel(source) + " lands where " + EntryLabel(*it->second) +
                               " does; the setup program writes the later one over the earlier");
            it->second = &source;
        }
    }
}

void WarnAboutLongPaths(const std::vector<PayloadSource>& sources, std::vector<std::string>& warnings)
{
    for (const PayloadSource& source : sources)
        if (CheckPayloadPathFit(source.dwDestination, source.storedName.size()) == PAYLOAD_PATH_TOO_LONG_DEFAULT)
            warnings.push_back(EntryLabel(source) + ": the stored name " +
                               DescribePayloadPathFit(source.dwDestination, source.storedName.size()));
}

}  // namespace

bool CheckPayloadEntrySizes(uint64_t nSize, uint64_t nPacked, std::string& error)
{
    if (nSize > 0xFFFFFFFFull) {
        error = "the file is " + std::to_string(nSize) + " bytes, 4 GiB or more; an entry's size is a 32-bit number";
        return false;
    }
    if (nPacked > 0xFFFFFFFFull) {
        error = "the file packs to " + std::to_string(nPacked) +
                " bytes, 4 GiB or more; an entry's packed size is a 32-bit number";
        return false;
    }
    return true;
}

bool CheckPayloadSources(const std::vector<PayloadSource>& sources, const AnsiCodePage& codePage,
                         std::vector<std::string>& errors)
{
    size_t nErrorsBefore = errors.size();
    for (const PayloadSource& source : sources) {
        const std::string& name = source.storedName;
        PayloadNameProblem problem = CheckPayloadEntryName(source.dwDestination, name.data(), name.size());
        size_t nUndefined = codePage.FindUndefinedByte(name);
        if (problem != PAYLOAD_NAME_OK)
            errors.push_back(EntryLabel(source) + ": the stored name " + DescribePayloadNameProblem(problem));
        else if (CheckPayloadPathFit(source.dwDestination, name.size()) == PAYLOAD_PATH_TOO_LONG_ALWAYS)
            errors.push_back(EntryLabel(source) + ": the stored name " +
                             DescribePayloadPathFit(source.dwDestination, name.size()));
        else if (nUndefined != std::string::npos)
            errors.push_back(EntryLabel(source) + ": the stored name " +
                             DescribeUndefinedByte(codePage, name[nUndefined]));
        if (source.dwDestination == DEST_END)
            errors.push_back(EntryLabel(source) + ": the code 0xFFFFFFFF marks the end of the archive");
    }
    return errors.size() == nErrorsBefore;
}

bool BuildPayloadArchive(const std::vector<PayloadSource>& sources, const PayloadBuildOptions& options,
                         std::vector<uint8_t>& archive, PayloadBuildReport& report, std::vector<std::string>& errors)
{
    AnsiCodePage codePage;
    std::string codePageError;
    if (!codePage.Load(options.nCodePage, codePageError)) {
        errors.push_back(codePageError);
        return false;
    }
    if (!CheckPayloadSources(sources, codePage, errors))
        return false;

    std::vector<PackedFile> packed(sources.size());
    ParallelFor(sources.size(), options.nJobs,
                [&](size_t i) { packed[i] = PackFile(sources[i], options.nLevel); });

    size_t nErrorsBefore = errors.size();
    for (size_t i = 0; i < sources.size(); ++i)
        if (!packed[i].error.empty())
            errors.push_back(EntryLabel(sources[i]) + ": " + packed[i].error);
    if (!sources.empty() && packed[0].error.empty() && packed[0].nSize == 0)
        errors.push_back(EntryLabel(sources[0]) +
                         ": the first entry is empty; the setup program sizes its decompression buffer by the first "
                         "entry and fails with \"Memory allocation error\" on a zero-byte one");
    if (errors.size() != nErrorsBefore)
        return false;

    report = PayloadBuildReport();
    WarnAboutLongPaths(sources, report.warnings);
    WarnAboutReplacedFiles(sources, report.warnings);
    if (sources.empty())
        report.warnings.push_back("the archive holds no files, only the end record");

    archive.clear();
    for (size_t i = 0; i < sources.size(); ++i) {
        const PayloadSource& source = sources[i];
        const std::vector<uint8_t>& stream = packed[i].stream;
        AppendPayloadEntry(archive, source.dwDestination, source.storedName.data(), source.storedName.size(),
                           static_cast<uint32_t>(packed[i].nSize), stream.data(), static_cast<uint32_t>(stream.size()));
        report.nTotalSize += packed[i].nSize;
        report.nTotalPacked += stream.size();
        std::vector<uint8_t>().swap(packed[i].stream);
    }
    AppendPayloadEndRecord(archive);
    report.nEntries = sources.size();
    return true;
}
