// libFuzzer target: the payload archive reader that Setup.exe itself uses (over the bytes
// of resource 127 as the program finds it in its own image), and everything that walks untrusted
// archive bytes (name checks, stream checks) or executable bytes (the PE resource
// lookup that finds the archive inside Setup.exe). Besides the sanitizers' own checks it
// asserts the reader's promises: entries and streams lie inside the buffer, back to back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ArchiveCheck.h"
#include "PeResource.h"
#include "engine/PayloadReader.h"

namespace {

void Require(bool bCondition)
{
    if (!bCondition)
        std::abort();
}

void CheckReaderPromises(const uint8_t* pData, size_t nSize)
{
    PayloadReader reader(pData, nSize);
    PayloadEntry entry;
    size_t nExpectedOffset = 0;
    PayloadReadStatus status;
    bool bNamesTerminated = true;
    while ((status = reader.Next(entry)) == PAYLOAD_READ_ENTRY) {
        bNamesTerminated = bNamesTerminated && entry.bNameTerminated;
        Require(entry.nHeaderOffset == nExpectedOffset);
        Require(entry.pStream == pData + entry.nHeaderOffset + PAYLOAD_HEADER_SIZE);
        Require(entry.nHeaderOffset + PAYLOAD_HEADER_SIZE + entry.header.dwPackedSize <= nSize);
        Require(entry.header.szName[PAYLOAD_NAME_SIZE - 1] == '\0');
        Require(entry.nNameLength <= PAYLOAD_NAME_SIZE);
        nExpectedOffset = reader.Offset();
    }
    Require(reader.Offset() == nExpectedOffset && reader.Offset() <= nSize);
    Require(reader.Next(entry) == status);  // the end is final
    if (status == PAYLOAD_READ_END)
        Require(reader.Offset() + 4 <= nSize && reader.TrailingBytes() <= nSize);
    if (status == PAYLOAD_READ_MISSING_END)
        Require(reader.Offset() == nSize);
    // The setup program's check before its first write: whole exactly when the walk
    // reaches the end record over names that all hold their NUL.
    Require(PayloadChainIsWhole(pData, nSize) == (status == PAYLOAD_READ_END && bNamesTerminated));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // Copy to an exact-size heap block so that ASan sees any read past the end.
    std::vector<uint8_t> bytes(pData, pData + nSize);
    const uint8_t* pBytes = bytes.data();

    if (LooksLikePeImage(pBytes, nSize)) {
        PeResourceSpan span;
        std::string error;
        if (FindPeResource(pBytes, nSize, PE_RT_RCDATA, 127, span, error)) {
            Require(span.nOffset <= nSize && span.nSize <= nSize - span.nOffset);
            pBytes += span.nOffset;
            nSize = span.nSize;
        }
    }
    CheckReaderPromises(pBytes, nSize);
    ArchiveCheck check;
    CheckArchive(pBytes, nSize, 1, check);
    Require(check.endStatus == PAYLOAD_READ_END || !check.problems.empty());
    return 0;
}
