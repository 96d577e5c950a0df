#include "ArchiveCheck.h"

#include <algorithm>
#include <cstdio>

#include "AnsiCodePage.h"
#include "DisplayText.h"
#include "ParallelFor.h"
#include "PayloadStream.h"
#include "PayloadName.h"

namespace {

std::string Hex(size_t n)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", n);
    return text;
}

void CheckNames(ArchiveCheck& check)
{
    for (size_t i = 0; i < check.entries.size(); ++i) {
        const PayloadEntry& entry = check.entries[i];
        if (!entry.bNameTerminated) {
            check.problems.push_back(DescribeEntry(i, entry) + ": the 256-byte name field holds no NUL");
            continue;
        }
        PayloadNameProblem problem =
            CheckPayloadEntryName(entry.header.dwDestination, entry.header.szName, entry.nNameLength);
        if (problem != PAYLOAD_NAME_OK) {
            check.problems.push_back(DescribeEntry(i, entry) + ": the name " + DescribePayloadNameProblem(problem));
            continue;
        }
        uint32_t dwDestination = entry.header.dwDestination;
        switch (CheckPayloadPathFit(dwDestination, entry.nNameLength)) {
        case PAYLOAD_PATH_TOO_LONG_ALWAYS:
            check.problems.push_back(DescribeEntry(i, entry) + ": the name " +
                                     DescribePayloadPathFit(dwDestination, entry.nNameLength));
            break;
        case PAYLOAD_PATH_TOO_LONG_DEFAULT:
            check.warnings.push_back(DescribeEntry(i, entry) + ": the name " +
                                     DescribePayloadPathFit(dwDestination, entry.nNameLength));
            break;
        case PAYLOAD_PATH_FITS:
            break;
        }
    }
    if (!check.entries.empty() && check.entries[0].header.dwSize == 0)
        check.problems.push_back(DescribeEntry(0, check.entries[0]) +
                                 ": the first entry is empty; the setup program fails with \"Memory allocation error\"");
}

void CheckStreams(unsigned nJobs, ArchiveCheck& check)
{
    std::vector<PayloadStreamCheck> results(check.entries.size());
    ParallelFor(check.entries.size(), nJobs, [&](size_t i) {
        const PayloadEntry& entry = check.entries[i];
        results[i] = InflatePayloadStream(entry.pStream, entry.header.dwPackedSize, entry.header.dwSize, nullptr);
    });
    for (size_t i = 0; i < results.size(); ++i) {
        const PayloadEntry& entry = check.entries[i];
        if (results[i].status == PAYLOAD_STREAM_SHORT) {
            check.warnings.push_back(DescribeEntry(i, entry) + ": the stream " +
                                     DescribePayloadStreamCheck(results[i], entry.header.dwSize) +
                                     "; the setup program installs the " + std::to_string(results[i].nInflated) +
                                     " bytes it holds");
        } else if (results[i].status != PAYLOAD_STREAM_OK) {
            check.problems.push_back(DescribeEntry(i, entry) + ": the stream " +
                                     DescribePayloadStreamCheck(results[i], entry.header.dwSize));
        }
        if (IsInstallableStream(results[i].status) && results[i].nConsumed < entry.header.dwPackedSize) {
            check.warnings.push_back(DescribeEntry(i, entry) + ": " +
                                     std::to_string(entry.header.dwPackedSize - results[i].nConsumed) +
                                     " bytes follow the zlib stream inside its packed size (skipped when installing)");
        }
    }
}

}  // namespace

std::string DescribeEntry(size_t nIndex, const PayloadEntry& entry)
{
    return "entry " + std::to_string(nIndex) + " " +
           QuoteForDisplay(entry.header.szName) +
           " (offset " + Hex(entry.nHeaderOffset) + ")";
}

void ReadArchiveEntries(const uint8_t* pData, size_t nSize, ArchiveCheck& check)
{
    PayloadReader reader(pData, nSize);
    PayloadEntry entry;
    PayloadReadStatus status;
    while ((status = reader.Next(entry)) == PAYLOAD_READ_ENTRY)
        check.entries.push_back(entry);
    check.endStatus = status;

    switch (status) {
    case PAYLOAD_READ_END:
        if (!reader.EndRecordComplete())
            check.warnings.push_back("the end record at offset " + Hex(reader.Offset()) + " is " +
                                     std::to_string(nSize - reader.Offset()) +
                                     " bytes long, not a whole 268-byte header (the setup program reads only its code)");
        if (reader.TrailingBytes() > 0)
            check.warnings.push_back(std::to_string(reader.TrailingBytes()) + " bytes follow the end record at offset " +
                                     Hex(reader.Offset()) + " (the setup program never reads them)");
        break;
    case PAYLOAD_READ_TRUNCATED_STREAM:
        check.problems.push_back(DescribeEntry(check.entries.size(), entry) + ": its packed size " +
                                 std::to_string(entry.header.dwPackedSize) + " runs " +
                                 std::to_string(entry.header.dwPackedSize - (nSize - reader.Offset() - PAYLOAD_HEADER_SIZE)) +
                                 " bytes past the end of the archive");
        break;
    case PAYLOAD_READ_TRUNCATED_HEADER:
        check.problems.push_back("the header at offset " + Hex(reader.Offset()) + " is cut off: only " +
                                 std::to_string(nSize - reader.Offset()) + " of its 268 bytes are there");
        break;
    case PAYLOAD_READ_MISSING_END:
    default:
        check.problems.push_back("the archive ends at offset " + Hex(nSize) + " without an end record");
        break;
    }
}

std::string DescribePayloadPathFit(uint32_t dwDestination, size_t nNameLength)
{
    std::string subdirectory = PayloadDestinationSubdirectory(dwDestination);
    bool bAnywhere = CheckPayloadPathFit(dwDestination, nNameLength) == PAYLOAD_PATH_TOO_LONG_ALWAYS;
    std::string base = bAnywhere ? PAYLOAD_SHORTEST_BASE_DIRECTORY : PayloadDefaultBaseDirectory(dwDestination);
    std::string text = "is " + std::to_string(nNameLength) + " characters long: ";
    if (bAnywhere)
        text += "even under a drive root";
    else if (dwDestination == DEST_SYSTEM)
        text += "under the usual system directory";
    else
        text += "under the default installation directory";
    text += " the path " + base + subdirectory + "<name> would run to " +
            std::to_string(base.size() + subdirectory.size() + nNameLength) + " characters, more than the " +
            std::to_string(PAYLOAD_PATH_MAX_LENGTH) + " the setup program's paths hold";
    if (!bAnywhere)
        text += std::string("; it installs only where the ") +
                (dwDestination == DEST_SYSTEM ? "system" : "installation") + " directory is at most " +
                std::to_string(PAYLOAD_PATH_MAX_LENGTH - subdirectory.size() - nNameLength) + " characters long";
    return text;
}

std::string DescribeUndefinedByte(const AnsiCodePage& codePage, char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(byte));
    return std::string("holds the byte ") + text + ", which " + codePage.Name() + " leaves undefined";
}

void CheckNamesInCodePage(const AnsiCodePage& codePage, ArchiveCheck& check)
{
    for (size_t i = 0; i < check.entries.size(); ++i) {
        const PayloadEntry& entry = check.entries[i];
        std::string name(entry.header.szName, std::min<size_t>(entry.nNameLength, PAYLOAD_NAME_MAX_LENGTH));
        size_t nUndefined = codePage.FindUndefinedByte(name);
        if (nUndefined == std::string::npos)
            continue;
        char text[8];
        std::snprintf(text, sizeof text, "%04X", static_cast<unsigned char>(name[nUndefined]));
        check.warnings.push_back(DescribeEntry(i, entry) + ": the name " +
                                 DescribeUndefinedByte(codePage, name[nUndefined]) +
                                 "; Windows still makes a character of it, and extract writes it as U+" + text);
    }
}

void CheckArchive(const uint8_t* pData, size_t nSize, unsigned nJobs, ArchiveCheck& check)
{
    ReadArchiveEntries(pData, nSize, check);
    CheckNames(check);
    CheckStreams(nJobs, check);
}
