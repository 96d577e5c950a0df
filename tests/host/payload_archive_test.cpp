// The portable archive code: header encoding, the bounded reader, the name rules; and
// the tool's building blocks that need no process: streams, manifests, folders, the PE
// resource walk, and the in-memory archive build.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "ArchiveBuilder.h"
#include "ArchiveCheck.h"
#include "PayloadSource.h"
#include "PayloadStream.h"
#include "PeResource.h"
#include "PayloadName.h"
#include "engine/PayloadReader.h"
#include "PayloadWriter.h"
#include "tests/fuzz/SyntheticPe.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Deflate(const std::string& text, int nLevel = 9)
{
    std::vector<uint8_t> stream;
    std::string error;
    EXPECT_TRUE(DeflatePayloadStream(reinterpret_cast<const uint8_t*>(text.data()), text.size(), nLevel, stream, error))
        << error;
    return stream;
}

void AddEntry(std::vector<uint8_t>& archive, uint32_t dwDestination, const std::string& name, const std::string& text)
{
    std::vector<uint8_t> stream = Deflate(text);
    ASSERT_TRUE(AppendPayloadEntry(archive, dwDestination, name.data(), name.size(), static_cast<uint32_t>(text.size()),
                                   stream.data(), static_cast<uint32_t>(stream.size())));
}

std::vector<uint8_t> TwoEntryArchive()
{
    std::vector<uint8_t> archive;
    AddEntry(archive, 0, "Varnix.exe", std::string(5000, 'x'));
    AddEntry(archive, DEST_SYSTEM, "BraxDel.dll", "uninstall");
    AppendPayloadEndRecord(archive);
    return archive;
}

// Reads every entry; returns the final status.
PayloadReadStatus ReadAll(const std::vector<uint8_t>& archive, std::vector<PayloadEntry>& entries,
                          size_t nSize = SIZE_MAX)
{
    PayloadReader reader(archive.data(), nSize == SIZE_MAX ? archive.size() : nSize);
    PayloadEntry entry;
    PayloadReadStatus status;
    while ((status = reader.Next(entry)) == PAYLOAD_READ_ENTRY)
        entries.push_back(entry);
    return status;
}

const AnsiCodePage& Windows1252()
{
    static AnsiCodePage s_codePage;
    if (s_codePage.Number() == 0) {
        std::string error;
        EXPECT_TRUE(s_codePage.Load(1252, error)) << error;
    }
    return s_codePage;
}

// A copy on the heap of exactly the given length, so that AddressSanitizer reports any
// read beyond it.
std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t nLength)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(nLength));
}

}  // namespace

// --- Header encoding -------------------------------------------------------------------

TEST(PayloadWriter, LaysOutTheHeaderFieldByFieldLittleEndian)
{
    uint8_t header[PAYLOAD_HEADER_SIZE];
    std::memset(header, 0xAA, sizeof header);
    ASSERT_TRUE(EncodePayloadHeader(0x11223344u, "Varnix.exe", 10, 2440704, 796179, header));
    EXPECT_EQ(0x44, header[0]);
    EXPECT_EQ(0x11, header[3]);
    EXPECT_EQ(0, std::memcmp(header + 4, "Varnix.exe", 10));
    for (size_t i = 4 + 10; i < 260; ++i)
        ASSERT_EQ(0, header[i]) << "name field byte " << i << " is not zeroed";
    EXPECT_EQ(2440704u, LoadPayloadU32(header + 260));
    EXPECT_EQ(796179u, LoadPayloadU32(header + 264));
    EXPECT_EQ(0x00u, header[263]);
    EXPECT_EQ(0x0Cu, header[266]);  // 796179 = 0x000C2613
}

TEST(PayloadWriter, EndRecordIsAWholeHeaderOfOnes)
{
    std::vector<uint8_t> archive;
    AppendPayloadEndRecord(archive);
    ASSERT_EQ(PAYLOAD_HEADER_SIZE, archive.size());
    EXPECT_EQ(DEST_END, LoadPayloadU32(archive.data()));
    EXPECT_EQ(0, archive[4]) << "empty name";
    EXPECT_EQ(0xFFFFFFFFu, LoadPayloadU32(archive.data() + 260));
    EXPECT_EQ(0xFFFFFFFFu, LoadPayloadU32(archive.data() + 264));
}

TEST(PayloadWriter, RefusesNamesThatDoNotFitTheFieldOrHoldANul)
{
    uint8_t header[PAYLOAD_HEADER_SIZE];
    std::string longest(255, 'n');
    EXPECT_TRUE(EncodePayloadHeader(0, longest.data(), longest.size(), 1, 1, header));
    EXPECT_EQ(0, header[4 + 255]) << "a 255-byte name still ends with a NUL";
    std::string tooLong(256, 'n');
    EXPECT_FALSE(EncodePayloadHeader(0, tooLong.data(), tooLong.size(), 1, 1, header));
    EXPECT_FALSE(EncodePayloadHeader(0, "a\0b", 3, 1, 1, header));
}

// --- The bounded reader ----------------------------------------------------------------

TEST(PayloadReader, ReadsEntriesBackToBackThenTheEndRecord)
{
    std::vector<uint8_t> archive = TwoEntryArchive();
    std::vector<PayloadEntry> entries;
    PayloadReader reader(archive.data(), archive.size());
    PayloadEntry entry;
    ASSERT_EQ(PAYLOAD_READ_ENTRY, reader.Next(entry));
    EXPECT_EQ(0u, entry.header.dwDestination);
    EXPECT_STREQ("Varnix.exe", entry.header.szName);
    EXPECT_EQ(10u, entry.nNameLength);
    EXPECT_EQ(5000u, entry.header.dwSize);
    EXPECT_EQ(archive.data() + PAYLOAD_HEADER_SIZE, entry.pStream);
    size_t nSecond = PAYLOAD_HEADER_SIZE + entry.header.dwPackedSize;
    EXPECT_EQ(nSecond, reader.Offset());
    ASSERT_EQ(PAYLOAD_READ_ENTRY, reader.Next(entry));
    EXPECT_EQ(nSecond, entry.nHeaderOffset);
    EXPECT_EQ(DEST_SYSTEM, entry.header.dwDestination);
    EXPECT_STREQ("BraxDel.dll", entry.header.szName);
    ASSERT_EQ(PAYLOAD_READ_END, reader.Next(entry));
    EXPECT_TRUE(reader.EndRecordComplete());
    EXPECT_EQ(0u, reader.TrailingBytes());
    EXPECT_EQ(archive.size() - PAYLOAD_HEADER_SIZE, reader.Offset());
    EXPECT_EQ(PAYLOAD_READ_END, reader.Next(entry)) << "the end stays the end";
}

TEST(PayloadReader, AnArchiveOfOnlyTheEndRecordHasNoEntries)
{
    std::vector<uint8_t> archive;
    AppendPayloadEndRecord(archive);
    std::vector<PayloadEntry> entries;
    EXPECT_EQ(PAYLOAD_READ_END, ReadAll(archive, entries));
    EXPECT_TRUE(entries.empty());
}

TEST(PayloadReader, OnlyTheEndCodeIsNeededButAShortEndRecordIsNoted)
{
    std::vector<uint8_t> archive = Prefix(TwoEntryArchive(), TwoEntryArchive().size() - PAYLOAD_HEADER_SIZE + 4);
    PayloadReader reader(archive.data(), archive.size());
    PayloadEntry entry;
    while (reader.Next(entry) == PAYLOAD_READ_ENTRY) {
    }
    EXPECT_EQ(PAYLOAD_READ_END, reader.Next(entry));
    EXPECT_FALSE(reader.EndRecordComplete());
    EXPECT_EQ(0u, reader.TrailingBytes());
}

TEST(PayloadReader, CountsTheBytesAfterTheEndRecord)
{
    std::vector<uint8_t> archive = TwoEntryArchive();
    archive.insert(archive.end(), {1, 2, 3, 4, 5});
    PayloadReader reader(archive.data(), archive.size());
    PayloadEntry entry;
    while (reader.Next(entry) == PAYLOAD_READ_ENTRY) {
    }
    EXPECT_EQ(5u, reader.TrailingBytes());
}

TEST(PayloadReader, ReportsEveryWayAnArchiveCanBeCutShort)
{
    std::vector<uint8_t> whole = TwoEntryArchive();
    PayloadReader probe(whole.data(), whole.size());
    PayloadEntry first;
    ASSERT_EQ(PAYLOAD_READ_ENTRY, probe.Next(first));
    size_t nSecond = probe.Offset();
    size_t nEnd = whole.size() - PAYLOAD_HEADER_SIZE;

    // Every length from nothing to one byte short of the end code.
    for (size_t nLength = 0; nLength < nEnd + 4; ++nLength) {
        std::vector<uint8_t> cut = Prefix(whole, nLength);
        std::vector<PayloadEntry> entries;
        PayloadReadStatus status = ReadAll(cut, entries);
        PayloadReadStatus expected;
        if (nLength == 0 || nLength == nSecond || nLength == nEnd)
            expected = PAYLOAD_READ_MISSING_END;
        else if (nLength < PAYLOAD_HEADER_SIZE || (nLength > nSecond && nLength < nSecond + PAYLOAD_HEADER_SIZE) ||
                 nLength > nEnd)
            expected = PAYLOAD_READ_TRUNCATED_HEADER;
        else
            expected = PAYLOAD_READ_TRUNCATED_STREAM;
        ASSERT_EQ(expected, status) << "archive cut to " << nLength << " bytes";
        ASSERT_EQ(nLength < nSecond ? 0u : nLength < nEnd ? 1u : 2u, entries.size()) << nLength;
    }
}

TEST(PayloadReader, ATruncatedStreamStillNamesItsEntry)
{
    std::vector<uint8_t> archive;
    AddEntry(archive, 0, "Big.bin", std::string(100, 'b'));
    StorePayloadU32(archive.data() + PAYLOAD_OFFSET_PACKED_SIZE, 0xFFFFFFF0u);
    PayloadReader reader(archive.data(), archive.size());
    PayloadEntry entry;
    EXPECT_EQ(PAYLOAD_READ_TRUNCATED_STREAM, reader.Next(entry));
    EXPECT_STREQ("Big.bin", entry.header.szName);
    EXPECT_EQ(nullptr, entry.pStream);
    EXPECT_EQ(0u, reader.Offset()) << "the cursor stays at the faulty header";
}

TEST(PayloadReader, IgnoresTheBytesAfterTheNameNul)
{
    std::vector<uint8_t> archive = TwoEntryArchive();
    std::memset(archive.data() + PAYLOAD_OFFSET_NAME + 11, 'Z', PAYLOAD_NAME_SIZE - 11);
    std::vector<PayloadEntry> entries;
    ASSERT_EQ(PAYLOAD_READ_END, ReadAll(archive, entries));
    EXPECT_STREQ("Varnix.exe", entries[0].header.szName);
    EXPECT_EQ(10u, entries[0].nNameLength);
    EXPECT_TRUE(entries[0].bNameTerminated);
}

TEST(PayloadReader, FlagsANameFieldWithoutNul)
{
    std::vector<uint8_t> archive = TwoEntryArchive();
    std::memset(archive.data() + PAYLOAD_OFFSET_NAME, 'Q', PAYLOAD_NAME_SIZE);
    std::vector<PayloadEntry> entries;
    ASSERT_EQ(PAYLOAD_READ_END, ReadAll(archive, entries));
    EXPECT_FALSE(entries[0].bNameTerminated);
    EXPECT_EQ(PAYLOAD_NAME_SIZE, entries[0].nNameLength);
    EXPECT_EQ(PAYLOAD_NAME_SIZE - 1, std::strlen(entries[0].header.szName)) << "still a C string";
}

TEST(PayloadReader, NoBufferMeansNoArchive)
{
    PayloadReader reader(nullptr, 100);
    PayloadEntry entry;
    EXPECT_EQ(PAYLOAD_READ_MISSING_END, reader.Next(entry));
}

// --- Name rules ------------------------------------------------------------------------

TEST(PayloadName, AcceptsPlainFileNames)
{
    for (const char* pszName : {"Varnix.exe", "5&10 Channel.bxd", "a.b.c", ".hidden", "Console.txt", "COM10",
                                "LPT0.txt", "\xC4rger.txt", "COM\xBC"})
        EXPECT_EQ(PAYLOAD_NAME_OK, CheckPayloadName(pszName, std::strlen(pszName))) << pszName;
    std::string longest(255, 'n');
    EXPECT_EQ(PAYLOAD_NAME_OK, CheckPayloadName(longest.data(), longest.size()));
}

TEST(PayloadName, RefusesWhatWouldNotLandAsThatFileInsideTheDestination)
{
    struct Case {
        std::string name;
        PayloadNameProblem problem;
    };
    const Case cases[] = {
        {"", PAYLOAD_NAME_EMPTY},
        {std::string(256, 'n'), PAYLOAD_NAME_TOO_LONG},
        {"sub\\file.txt", PAYLOAD_NAME_SEPARATOR},
        {"sub/file.txt", PAYLOAD_NAME_SEPARATOR},
        {"5&10ChannelExamples\\x.bxd", PAYLOAD_NAME_SEPARATOR},
        {"\\Windows\\evil.dll", PAYLOAD_NAME_SEPARATOR},
        {"/etc/evil", PAYLOAD_NAME_SEPARATOR},
        {"..\\evil.dll", PAYLOAD_NAME_SEPARATOR},
        {"c:\\evil.dll", PAYLOAD_NAME_SEPARATOR},
        {"file.txt\\", PAYLOAD_NAME_SEPARATOR},
        {"C:evil.dll", PAYLOAD_NAME_DRIVE},
        {"a:b", PAYLOAD_NAME_DRIVE},
        {"ab:stream", PAYLOAD_NAME_BAD_CHARACTER},
        {"what?.txt", PAYLOAD_NAME_BAD_CHARACTER},
        {"tab\there", PAYLOAD_NAME_BAD_CHARACTER},
        {std::string("nul\0byte", 8), PAYLOAD_NAME_BAD_CHARACTER},
        {"..", PAYLOAD_NAME_TRAILING_DOT},
        {".", PAYLOAD_NAME_TRAILING_DOT},
        {"dot.", PAYLOAD_NAME_TRAILING_DOT},
        {"space ", PAYLOAD_NAME_TRAILING_DOT},
        {"CON", PAYLOAD_NAME_DEVICE},
        {"nul.txt", PAYLOAD_NAME_DEVICE},
        {"Com1.dll", PAYLOAD_NAME_DEVICE},
        {"lpt9", PAYLOAD_NAME_DEVICE},
        {"CONOUT$", PAYLOAD_NAME_DEVICE},
        {"aux .txt", PAYLOAD_NAME_DEVICE},
        {"COM\xB9", PAYLOAD_NAME_DEVICE},  // the superscripts of Windows-1252, which Windows reads as digits
        {"lpt\xB2.txt", PAYLOAD_NAME_DEVICE},
        {"Lpt\xB3", PAYLOAD_NAME_DEVICE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.problem, CheckPayloadName(c.name.data(), c.name.size())) << "name \"" << c.name << "\"";
        EXPECT_STRNE("", DescribePayloadNameProblem(c.problem));
    }
    // The common-control libraries are refused for the system directory only.
    EXPECT_EQ(PAYLOAD_NAME_SYSTEM_COMMON_CONTROL, CheckPayloadEntryName(DEST_SYSTEM, "COMCTL32.DLL", 12));
    EXPECT_EQ(PAYLOAD_NAME_SYSTEM_COMMON_CONTROL, CheckPayloadEntryName(DEST_SYSTEM, "comdlg32.dll", 12));
    EXPECT_EQ(PAYLOAD_NAME_OK, CheckPayloadEntryName(0, "Comctl32.dll", 12));
    EXPECT_EQ(PAYLOAD_NAME_OK, CheckPayloadEntryName(DEST_SYSTEM, "Comctl32.dl", 11));
    EXPECT_EQ(PAYLOAD_NAME_DEVICE, CheckPayloadEntryName(DEST_SYSTEM, "nul", 3));
}

TEST(PayloadName, MeasuresTheNameAgainstTheShortestAndTheDefaultDirectory)
{
    struct Case {
        uint32_t dwDestination;
        size_t nLongestAnywhere;  // 255 minus C:\ and the subdirectory
        size_t nLongestDefault;   // 255 minus the default base and the subdirectory
    };
    const Case cases[] = {
        {0, 252, 244},             // C:\Pelorin\<name>
        {17, 252, 244},
        {DEST_SYSTEM, 252, 235},   // C:\WINDOWS\SYSTEM32\<name>
        {DEST_MACROS, 242, 234},   // C:\Pelorin\ChmMacros\<name>
        {DEST_EXAMPLES, 232, 224}, // C:\Pelorin\5&10ChannelExamples\<name>
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.dwDestination));
        EXPECT_EQ(PAYLOAD_PATH_FITS, CheckPayloadPathFit(c.dwDestination, 1));
        EXPECT_EQ(PAYLOAD_PATH_FITS, CheckPayloadPathFit(c.dwDestination, c.nLongestDefault));
        EXPECT_EQ(PAYLOAD_PATH_TOO_LONG_DEFAULT, CheckPayloadPathFit(c.dwDestination, c.nLongestDefault + 1));
        EXPECT_EQ(PAYLOAD_PATH_TOO_LONG_DEFAULT, CheckPayloadPathFit(c.dwDestination, c.nLongestAnywhere));
        EXPECT_EQ(PAYLOAD_PATH_TOO_LONG_ALWAYS, CheckPayloadPathFit(c.dwDestination, c.nLongestAnywhere + 1));
        EXPECT_EQ(PAYLOAD_PATH_TOO_LONG_ALWAYS, CheckPayloadPathFit(c.dwDestination, PAYLOAD_NAME_MAX_LENGTH));
    }
}

// --- Streams ---------------------------------------------------------------------------

TEST(PayloadStream, RoundTripsAtEveryLevel)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + "\n";
    for (int nLevel = 0; nLevel <= 9; ++nLevel) {
        std::vector<uint8_t> stream = Deflate(text, nLevel);
        ASSERT_EQ(0x78, stream[0]) << "a zlib header";
        std::vector<uint8_t> out;
        PayloadStreamCheck check = InflatePayloadStream(stream.data(), stream.size(), static_cast<uint32_t>(text.size()), &out);
        ASSERT_EQ(PAYLOAD_STREAM_OK, check.status) << "level " << nLevel;
        EXPECT_EQ(stream.size(), check.nConsumed);
        EXPECT_EQ(Bytes(text), out);
    }
}

TEST(PayloadStream, AnEmptyFileHasAStreamToo)
{
    std::vector<uint8_t> stream = Deflate("");
    EXPECT_FALSE(stream.empty());
    EXPECT_EQ(PAYLOAD_STREAM_OK, InflatePayloadStream(stream.data(), stream.size(), 0, nullptr).status);
}

TEST(PayloadStream, TellsShortLongCorruptAndCutStreamsApart)
{
    std::string text(10000, 'a');
    text += "tail";
    std::vector<uint8_t> stream = Deflate(text);
    uint32_t dwSize = static_cast<uint32_t>(text.size());

    PayloadStreamCheck shorter = InflatePayloadStream(stream.data(), stream.size(), dwSize + 1, nullptr);
    EXPECT_EQ(PAYLOAD_STREAM_SHORT, shorter.status);
    EXPECT_EQ(dwSize, shorter.nInflated);

    std::vector<uint8_t> out;
    EXPECT_EQ(PAYLOAD_STREAM_LONG, InflatePayloadStream(stream.data(), stream.size(), dwSize - 1, &out).status);
    EXPECT_EQ(dwSize - 1, out.size()) << "never more than the declared size is kept";

    std::vector<uint8_t> badCheck = stream;
    badCheck.back() ^= 1;  // the last byte of the Adler-32
    PayloadStreamCheck corrupt = InflatePayloadStream(badCheck.data(), badCheck.size(), dwSize, nullptr);
    EXPECT_EQ(PAYLOAD_STREAM_CORRUPT, corrupt.status);
    EXPECT_NE(std::string::npos, corrupt.detail.find("check")) << corrupt.detail;

    EXPECT_EQ(PAYLOAD_STREAM_INCOMPLETE, InflatePayloadStream(stream.data(), stream.size() - 3, dwSize, nullptr).status);
    EXPECT_EQ(PAYLOAD_STREAM_INCOMPLETE, InflatePayloadStream(stream.data(), 0, dwSize, nullptr).status);

    std::vector<uint8_t> slack = stream;
    slack.insert(slack.end(), {9, 9, 9});
    PayloadStreamCheck padded = InflatePayloadStream(slack.data(), slack.size(), dwSize, nullptr);
    EXPECT_EQ(PAYLOAD_STREAM_OK, padded.status);
    EXPECT_EQ(stream.size(), padded.nConsumed) << "bytes after the stream are not part of it";
}

// --- Manifests and folders -------------------------------------------------------------

TEST(PayloadManifest, ReadsCodesFilesAndNamesSkippingCommentsAndBlankLines)
{
    std::string text = "# the demo\r\n\r\n0\tVarnix.exe\tVarnix.exe\r\n  # indented comment\n"
                       "0x0D\tlib/BraxDel.dll\tBraxDel.dll\nexamples\t/abs/x.bxd\tsub\\x.bxd\n17\ta b\tname with spaces";
    std::vector<PayloadSource> sources;
    std::vector<std::string> errors;
    ASSERT_TRUE(ParsePayloadManifest(text, "m.txt", "/base", sources, errors)) << errors[0];
    ASSERT_EQ(4u, sources.size());
    EXPECT_EQ(0u, sources[0].dwDestination);
    EXPECT_EQ("/base/Varnix.exe", sources[0].sourcePath);
    EXPECT_EQ("Varnix.exe", sources[0].storedName) << "the CR of a CR LF line is not part of the name";
    EXPECT_EQ("m.txt:3", sources[0].origin);
    EXPECT_EQ(13u, sources[1].dwDestination);
    EXPECT_EQ("/base/lib/BraxDel.dll", sources[1].sourcePath);
    EXPECT_EQ(16u, sources[2].dwDestination);
    EXPECT_EQ("/abs/x.bxd", sources[2].sourcePath);
    EXPECT_EQ("sub\\x.bxd", sources[2].storedName);
    EXPECT_EQ("/base/a b", sources[3].sourcePath);
    EXPECT_EQ("name with spaces", sources[3].storedName);
}

TEST(PayloadManifest, ReportsEveryFaultyLineWithItsNumber)
{
    std::string text = "0\tonly-two\n"
                       "0xFFFFFFFF\tx\tx\n"
                       "seven\tx\tx\n"
                       "0\t\tx\n"
                       "1\tx\ty\tz\n"
                       "4294967294\tok\tok\n";
    std::vector<PayloadSource> sources;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParsePayloadManifest(text, "m", ".", sources, errors));
    ASSERT_EQ(5u, errors.size());
    for (size_t i = 0; i < errors.size(); ++i)
        EXPECT_EQ(0u, errors[i].find("m:" + std::to_string(i + 1) + ": ")) << errors[i];
    EXPECT_NE(std::string::npos, errors[0].find("three fields"));
    EXPECT_NE(std::string::npos, errors[1].find("0xFFFFFFFF"));
    ASSERT_EQ(1u, sources.size());
    EXPECT_EQ(0xFFFFFFFEu, sources[0].dwDestination);
}

class PayloadFolderTest : public ::testing::Test {
protected:
    fs::path m_dir;

    void SetUp() override
    {
        m_dir = fs::path(PAYLOAD_TEST_SCRATCH) /
                ("folder-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                 std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Write(const fs::path& relative, size_t nBytes)
    {
        fs::create_directories((m_dir / relative).parent_path());
        std::ofstream(m_dir / relative, std::ios::binary) << std::string(nBytes, 'f');
    }
};

TEST_F(PayloadFolderTest, MapsSubfoldersToCodesAndPutsTheLargestFileFirst)
{
    Write("b.txt", 10);
    Write("a.txt", 10);
    Write("SYSTEM/BraxDel.dll", 5);
    Write("ChmMacros/m.ptn", 1);
    Write("5&10ChannelExamples/big.bxd", 500);
    std::vector<PayloadSource> sources;
    std::vector<std::string> errors;
    ASSERT_TRUE(ScanPayloadFolder(m_dir.string(), Windows1252(), sources, errors)) << errors[0];
    ASSERT_EQ(5u, sources.size());
    std::vector<std::pair<uint32_t, std::string>> order;
    for (const PayloadSource& source : sources)
        order.emplace_back(source.dwDestination, source.storedName);
    std::vector<std::pair<uint32_t, std::string>> expected = {
        {16, "big.bxd"}, {0, "a.txt"}, {0, "b.txt"}, {13, "BraxDel.dll"}, {15, "m.ptn"}};
    EXPECT_EQ(expected, order);
}

TEST_F(PayloadFolderTest, RefusesOtherSubfoldersAndDeeperFolders)
{
    Write("a.txt", 1);
    Write("Other/x.txt", 1);
    Write("System/deeper/y.txt", 1);
    std::vector<PayloadSource> sources;
    std::vector<std::string> errors;
    EXPECT_FALSE(ScanPayloadFolder(m_dir.string(), Windows1252(), sources, errors));
    ASSERT_EQ(2u, errors.size());
    std::string all = errors[0] + "\n" + errors[1];
    EXPECT_NE(std::string::npos, all.find("Other"));
    EXPECT_NE(std::string::npos, all.find("deeper"));
}

// --- Building in memory ----------------------------------------------------------------

TEST_F(PayloadFolderTest, BuildIsTheSameForEveryNumberOfJobs)
{
    for (int i = 0; i < 12; ++i) {
        std::string text;
        for (int j = 0; j < 3000 * (i + 1); ++j)
            text += static_cast<char>('a' + (j * (i + 3)) % 23);
        std::ofstream(m_dir / ("f" + std::to_string(i) + ".txt"), std::ios::binary) << text;
    }
    std::vector<PayloadSource> sources;
    std::vector<std::string> errors;
    ASSERT_TRUE(ScanPayloadFolder(m_dir.string(), Windows1252(), sources, errors));
    std::vector<uint8_t> reference;
    for (unsigned nJobs : {1u, 2u, 3u, 8u, 64u}) {
        PayloadBuildOptions options;
        options.nJobs = nJobs;
        std::vector<uint8_t> archive;
        PayloadBuildReport report;
        ASSERT_TRUE(BuildPayloadArchive(sources, options, archive, report, errors));
        EXPECT_EQ(12u, report.nEntries);
        if (reference.empty())
            reference = archive;
        else
            EXPECT_EQ(reference, archive) << nJobs << " jobs";
    }
    ArchiveCheck check;
    CheckArchive(reference.data(), reference.size(), 2, check);
    EXPECT_TRUE(check.problems.empty());
    EXPECT_EQ(12u, check.entries.size());
}

TEST_F(PayloadFolderTest, BuildRefusesAnEmptyFirstEntryAndAMissingFile)
{
    Write("empty.txt", 0);
    Write("full.txt", 3);
    std::vector<PayloadSource> sources = {
        {0, (m_dir / "empty.txt").string(), "empty.txt", "list:1", nullptr},
        {0, (m_dir / "missing.txt").string(), "missing.txt", "list:2", nullptr},
        {0, (m_dir / "full.txt").string(), "full.txt", "list:3", nullptr},
    };
    std::vector<uint8_t> archive;
    PayloadBuildReport report;
    std::vector<std::string> errors;
    EXPECT_FALSE(BuildPayloadArchive(sources, PayloadBuildOptions(), archive, report, errors));
    ASSERT_EQ(2u, errors.size());
    EXPECT_NE(std::string::npos, errors[0].find("list:2: \"missing.txt\": cannot open")) << errors[0];
    EXPECT_NE(std::string::npos, errors[1].find("list:1: \"empty.txt\": the first entry is empty")) << errors[1];

    sources = {sources[2], sources[0]};
    errors.clear();
    EXPECT_TRUE(BuildPayloadArchive(sources, PayloadBuildOptions(), archive, report, errors))
        << "an empty file later in the archive is fine";
}

TEST_F(PayloadFolderTest, BuildWarnsWhenALaterEntryReplacesAnEarlierOne)
{
    Write("a.txt", 3);
    std::vector<PayloadSource> sources = {
        {0, (m_dir / "a.txt").string(), "Readme.txt", "list:1", nullptr},
        {17, (m_dir / "a.txt").string(), "README.TXT", "list:2", nullptr},
        {DEST_SYSTEM, (m_dir / "a.txt").string(), "Readme.txt", "list:3", nullptr},
    };
    std::vector<uint8_t> archive;
    PayloadBuildReport report;
    std::vector<std::string> errors;
    ASSERT_TRUE(BuildPayloadArchive(sources, PayloadBuildOptions(), archive, report, errors));
    ASSERT_EQ(1u, report.warnings.size()) << "codes 0 and 17 share a directory, 13 does not";
    EXPECT_NE(std::string::npos, report.warnings[0].find("list:2")) << report.warnings[0];
}

TEST(PayloadBuild, RefusesSizesThatDoNotFitTheHeader)
{
    std::string error;
    EXPECT_TRUE(CheckPayloadEntrySizes(0xFFFFFFFFull, 0xFFFFFFFFull, error)) << error;
    EXPECT_FALSE(CheckPayloadEntrySizes(0x100000000ull, 1000, error));
    EXPECT_NE(std::string::npos, error.find("size is a 32-bit number")) << error;
    error.clear();
    // An incompressible file just under 4 GiB packs to a stream just over it.
    EXPECT_FALSE(CheckPayloadEntrySizes(0xFFFFFFF0ull, 0x100050000ull, error));
    EXPECT_NE(std::string::npos, error.find("packed size is a 32-bit number")) << error;
}

// --- The PE resource walk --------------------------------------------------------------

TEST(PeResource, FindsTheArchiveAmongOtherResources)
{
    std::vector<uint8_t> archive = TwoEntryArchive();
    std::vector<uint8_t> image = MakeSyntheticPe({
        {3, 1, 0x409, Bytes("icon")},
        {10, 126, 0x409, Bytes("another rcdata")},
        {10, 127, 0x409, archive},
        {6, 1, 0x409, Bytes("strings")},
    });
    ASSERT_TRUE(LooksLikePeImage(image.data(), image.size()));
    PeResourceSpan span;
    std::string error;
    ASSERT_TRUE(FindPeResource(image.data(), image.size(), PE_RT_RCDATA, 127, span, error)) << error;
    ASSERT_EQ(archive.size(), span.nSize);
    EXPECT_EQ(0, std::memcmp(image.data() + span.nOffset, archive.data(), archive.size()));
    EXPECT_FALSE(FindPeResource(image.data(), image.size(), PE_RT_RCDATA, 128, span, error));
    EXPECT_NE(std::string::npos, error.find("no resource 128")) << error;
}

TEST(PeResource, PrefersEnglishUsAmongLanguages)
{
    std::vector<uint8_t> image = MakeSyntheticPe({
        {10, 127, 0x407, Bytes("german")},
        {10, 127, 0x409, Bytes("english")},
        {10, 127, 0x40C, Bytes("french")},
    });
    PeResourceSpan span;
    std::string error;
    ASSERT_TRUE(FindPeResource(image.data(), image.size(), PE_RT_RCDATA, 127, span, error)) << error;
    EXPECT_EQ(0x409, span.wLanguage);
    EXPECT_EQ("english", std::string(image.begin() + span.nOffset, image.begin() + span.nOffset + span.nSize));

    image = MakeSyntheticPe({{10, 127, 0x407, Bytes("german")}, {10, 127, 0x40C, Bytes("french")}});
    ASSERT_TRUE(FindPeResource(image.data(), image.size(), PE_RT_RCDATA, 127, span, error)) << error;
    EXPECT_EQ(0x407, span.wLanguage) << "the first listed when English is not there";
}

TEST(PeResource, ACutImageYieldsTheArchiveOnlyWhenAllOfItIsThere)
{
    std::vector<uint8_t> image = MakeSyntheticPe({{10, 127, 0x409, TwoEntryArchive()}});
    PeResourceSpan whole;
    std::string error;
    ASSERT_TRUE(FindPeResource(image.data(), image.size(), 10, 127, whole, error));
    size_t nDataEnd = whole.nOffset + whole.nSize;
    ASSERT_LT(nDataEnd, image.size()) << "the section is padded after the archive";
    for (size_t nLength = 0; nLength < image.size(); ++nLength) {
        std::vector<uint8_t> cut = Prefix(image, nLength);
        PeResourceSpan span;
        bool bFound = LooksLikePeImage(cut.data(), cut.size()) &&
                      FindPeResource(cut.data(), cut.size(), 10, 127, span, error);
        ASSERT_EQ(nLength >= nDataEnd, bFound) << "image cut to " << nLength << " bytes";
    }
}
