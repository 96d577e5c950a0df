// libFuzzer target: the payload archive reader that Setup.exe itself uses (over the bytes
// of resource 127 as the program finds it in its own image), and everything that walks untrusted
// archive bytes (name checks, stream checks) or executable bytes (the PE resource
// lookup that finds the archive inside Setup.exe). Besides the sanitizers' own checks it
// asserts the reader's promises: entries and streams lie inside the buffer, back to back.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ArchiveCheck.h"
#include "PeResource.h"
#include "PeResourceEditor.h"
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

// The resource rewrite over any image it accepts: the result is an image it accepts
// again, whose payload is exactly the one written, with every other resource kept.
void CheckRewritePromises(const uint8_t* pData, size_t nSize)
{
    PeResourceEditor editor;
    std::string error;
    if (!editor.Load(std::vector<uint8_t>(pData, pData + nSize), error))
        return;
    size_t nBefore = editor.Count();
    bool bHadPayload = editor.Find(PE_RT_RCDATA, 127, PE_LANG_ENGLISH_US) != nullptr;
    const std::vector<uint8_t> payload = {0xFF, 0xFF, 0xFF, 0xFF, 'n', 'e', 'w'};
    size_t nDropped = editor.SetOnly(PE_RT_RCDATA, 127, PE_LANG_ENGLISH_US, payload);
    std::vector<uint8_t> image;
    std::vector<std::string> notes;
    if (!editor.Save(image, notes, error))
        return;
    PeResourceEditor again;
    Require(again.Load(image, error));
    Require(again.Count() == nBefore + (bHadPayload ? 0 : 1) - nDropped);
    const std::vector<uint8_t>* pPayload = again.Find(PE_RT_RCDATA, 127, PE_LANG_ENGLISH_US);
    Require(pPayload && *pPayload == payload);
    PeResourceSpan span;
    Require(FindPeResource(image.data(), image.size(), PE_RT_RCDATA, 127, span, error));
    Require(span.nSize == payload.size() && std::equal(payload.begin(), payload.end(), image.begin() + span.nOffset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // Copy to an exact-size heap block so that ASan sees any read past the end.
    std::vector<uint8_t> bytes(pData, pData + nSize);
    const uint8_t* pBytes = bytes.data();

    if (LooksLikePeImage(pBytes, nSize)) {
        CheckRewritePromises(pBytes, nSize);
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
