// Payload extraction against the real file system: archives built here with zlib, held in
// memory against an inaccessible page (so a read past the end crashes the test) or put
// into a copy of the probe program as its payload resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/SetupWnd.h"
#include "engine/Engine.h"
#include "engine/InflatePipeline.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "engine_support.h"
#include "res/resource.h"
#include "ui/SetupMessages.h"

using namespace enginetest;

namespace {

std::string SystemDir()
{
    char sz[MAX_PATH];
    UINT n = GetSystemDirectoryA(sz, sizeof sz);
    return WithBackslash(std::string(sz, n));
}

// Either side of the inflating ahead made to wait for the other, through the pipeline's seam.
enum AheadMode { WORKER_LAGS, WORKER_AHEAD };

const char* ModeName(AheadMode mode)
{
    return mode == WORKER_LAGS ? "worker lags" : "worker ahead";
}

LONG g_nWriterWaitsSeen = 0;
volatile bool g_bWorkerClaimed = false;
LONG g_nInflatable = 0;

// Puts the seam back at its defaults.
void ResetSeam()
{
    std::memset(static_cast<void*>(&g_inflatePipelineSeam), 0, sizeof g_inflatePipelineSeam);
    g_nWriterWaitsSeen = 0;
    g_bWorkerClaimed = false;
}

// On the worker: each entry it claims waits until the writer waits for it (or has stopped),
// so the writer inflates everything else itself, then waits.
void HoldUntilTheWriterWaits(DWORD)
{
    g_bWorkerClaimed = true;
    for (int i = 0; i < 10000 && g_inflatePipelineSeam.nWriterWaits <= g_nWriterWaitsSeen &&
                    g_inflatePipelineSeam.nStops == 0;
         ++i)
        Sleep(1);
    g_nWriterWaitsSeen = g_inflatePipelineSeam.nWriterWaits;
}

// The first tick goes on once the worker holds an entry back: the writer will wait for it.
void WaitForTheWorkerToClaim(int nTicks)
{
    for (int i = 0; nTicks == 1 && i < 10000 && !g_bWorkerClaimed; ++i)
        Sleep(1);
}

// The first tick goes on once the worker is as far ahead as it can get: every entry that
// can be inflated is, or the worker waits for room.
void WaitForTheWorkerToRunAhead(int nTicks)
{
    const InflatePipelineSeam& seam = g_inflatePipelineSeam;
    for (int i = 0; nTicks == 1 && i < 10000 && seam.nWorkerWaits == 0 &&
                    seam.nInflatedByWorker + seam.nInflatedByWriter < g_nInflatable;
         ++i)
        Sleep(1);
}

class ExtractFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strInstall = m_scratch / "Inst";
        ASSERT_EQ(0, m_wnd.PrepareInstallDir(m_strInstall.c_str(), OPTION_APPLICATION));
        m_wnd.m_pProgressDlg = m_ticks.Dialog();
    }
    void TearDown() override
    {
        m_wnd.m_pProgressDlg = NULL;
        ResetSeam();
    }

    const char* Extract(const std::string& archive)
    {
        GuardedBytes bytes(archive);
        m_wnd.m_pArchivePos = bytes.Begin();
        m_wnd.m_pArchiveEnd = bytes.End();
        return m_wnd.ExtractArchive();
    }
    std::string Installed(const std::string& name) const { return m_strInstall + "\\" + name; }

    // A fresh installation directory for one run of several in a test.
    void UseInstallDir(const std::string& name)
    {
        m_strInstall = m_scratch / name;
        ASSERT_EQ(0, m_wnd.PrepareInstallDir(m_strInstall.c_str(), OPTION_APPLICATION));
    }

    // The extraction inflating ahead, the worker lagging or ahead, with nBudget bytes held
    // at most; nInflatable: the entries that can be inflated before a failure.
    const char* ExtractAhead(const std::string& archive, AheadMode mode, DWORD nBudget, LONG nInflatable)
    {
        ResetSeam();
        g_inflatePipelineSeam.ahead = AHEAD_ALWAYS;
        g_inflatePipelineSeam.nBudget = nBudget;
        g_nInflatable = nInflatable;
        if (mode == WORKER_LAGS)
            g_inflatePipelineSeam.pfnWorkerClaimed = HoldUntilTheWriterWaits;
        m_ticks.OnTick(mode == WORKER_LAGS ? WaitForTheWorkerToClaim : WaitForTheWorkerToRunAhead);
        const char* pszResult = Extract(archive);
        m_ticks.OnTick(NULL);
        g_inflatePipelineSeam.pfnWorkerClaimed = NULL;
        return pszResult;
    }

    ScratchDir m_scratch{"x"};
    CSetupWnd m_wnd;
    TickCounter m_ticks;
    std::string m_strInstall;
};

// Every rule holds both ways: one entry at a time into one block (a machine with one
// processor) and inflating ahead (one with more).
class ExtractTest : public ExtractFixture, public ::testing::WithParamInterface<InflateAheadChoice> {
protected:
    void SetUp() override
    {
        ExtractFixture::SetUp();
        g_inflatePipelineSeam.ahead = GetParam();
    }
};
INSTANTIATE_TEST_SUITE_P(OneBlockAndAhead, ExtractTest, ::testing::Values(AHEAD_NEVER, AHEAD_ALWAYS));

class InflatingAhead : public ExtractFixture {};

// --- the archive's shape ---------------------------------------------------------

TEST_P(ExtractTest, OnlyTheEndRecordWritesNothing)
{
    EXPECT_EQ(NULL, Extract(Archive({})));
    EXPECT_TRUE(ListFiles(m_strInstall).empty());
    EXPECT_EQ(0, m_ticks.Ticks());
}

TEST_P(ExtractTest, OnlyTheFourBytesOfTheEndCodeAreRead)
{
    // The archive ends right after the end code; reading the rest of a header would fault.
    std::string archive = EncodeEntry(File(0, "one.txt", "first")) + std::string(4, '\xFF');
    EXPECT_EQ(NULL, Extract(archive));
    EXPECT_EQ("first", ReadFileBytes(Installed("one.txt")));
    // The cursor stands just past the end code.
    EXPECT_EQ(m_wnd.m_pArchiveEnd, m_wnd.m_pArchivePos);
}

TEST_P(ExtractTest, EmptyFirstEntryIsAnAllocationFailure)
{
    std::vector<Entry> entries = {File(0, "empty.txt", ""), File(0, "later.txt", "later")};
    EXPECT_STREQ("Memory allocation error", Extract(Archive(entries)));
    EXPECT_FALSE(Exists(Installed("empty.txt")));
    EXPECT_FALSE(Exists(Installed("later.txt")));
}

TEST_P(ExtractTest, EntriesOfEverySizeOrderGetTheirOwnLength)
{
    // Larger, smaller, empty, larger than all before: each file gets exactly its bytes,
    // never the remains of a bigger entry in the reused block.
    std::string big = Noise(200000, 1), small = Noise(1000, 2), bigger = Noise(300001, 3);
    std::vector<Entry> entries = {File(0, "big.bin", big), File(0, "small.bin", small), File(0, "empty.bin", ""),
                                  File(0, "bigger.bin", bigger), File(0, "small2.bin", small + "x")};
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_EQ(big, ReadFileBytes(Installed("big.bin")));
    EXPECT_EQ(small, ReadFileBytes(Installed("small.bin")));
    EXPECT_EQ("", ReadFileBytes(Installed("empty.bin")));
    EXPECT_EQ(bigger, ReadFileBytes(Installed("bigger.bin")));
    EXPECT_EQ(small + "x", ReadFileBytes(Installed("small2.bin")));
}

TEST_P(ExtractTest, StreamShorterThanItsSizeGivesTheInflatedLength)
{
    Entry e = File(0, "short.txt", "only these bytes");
    e.sizeGiven = true;
    e.size = 5000;
    std::vector<Entry> entries = {e, File(0, "next.txt", "next")};
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_EQ("only these bytes", ReadFileBytes(Installed("short.txt")));
    EXPECT_EQ("next", ReadFileBytes(Installed("next.txt")));
}

TEST_P(ExtractTest, StreamLongerThanItsSizeFailsAndEarlierFilesStay)
{
    Entry longer = File(0, "long.txt", "twelve bytes");
    longer.sizeGiven = true;
    longer.size = 11;
    std::vector<Entry> entries = {File(0, "before.txt", Noise(5000, 4)), longer, File(0, "after.txt", "x")};
    EXPECT_STREQ("Decompression error", Extract(Archive(entries)));
    EXPECT_EQ(Noise(5000, 4), ReadFileBytes(Installed("before.txt")));
    EXPECT_FALSE(Exists(Installed("long.txt")));
    EXPECT_FALSE(Exists(Installed("after.txt")));
    EXPECT_EQ(1, m_ticks.Ticks());
}

TEST_P(ExtractTest, BytesAfterAStreamInsideItsPackedSizeAreSkipped)
{
    Entry first = File(0, "first.txt", "stream followed by junk");
    first.streamTail = std::string("\x78\x01junk that is not read", 22);
    std::vector<Entry> entries = {first, File(0, "second.txt", "second")};
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_EQ("stream followed by junk", ReadFileBytes(Installed("first.txt")));
    EXPECT_EQ("second", ReadFileBytes(Installed("second.txt")));
}

TEST_P(ExtractTest, BytesAfterTheNameAreIgnored)
{
    Entry e = File(0, "name.txt", "content");
    e.nameTail = "garbage.exe\\..\\x" + std::string(200, 'Z');
    ASSERT_EQ(NULL, Extract(Archive({e})));
    EXPECT_EQ("content", ReadFileBytes(Installed("name.txt")));
    std::vector<std::string> files = ListFiles(m_strInstall);
    EXPECT_EQ(1u, files.size());
}

// --- destinations ----------------------------------------------------------------

TEST_P(ExtractTest, EachCodeLandsInItsDirectory)
{
    char szSysName[64];
    wsprintfA(szSysName, "engtest-%lu.dll", GetCurrentProcessId());
    std::string sysFile = SystemDir() + szSysName;
    DeleteFileA(sysFile.c_str());

    std::vector<Entry> entries = {
        File(0, "c0.txt", "0"),     File(10, "c10.txt", "10"),     File(11, "c11.txt", "11"),
        File(12, "c12.txt", "12"),  File(14, "c14.txt", "14"),     File(17, "c17.txt", "17"),
        File(1, "c1.txt", "1"),     File(0x7FFFFFFF, "cx.txt", "x"), File(0xFFFFFFFE, "cfe.txt", "fe"),
        File(13, szSysName, "sys"), File(15, "macro.txt", "15"),   File(16, "example.bxd", "16"),
    };
    const char* pszResult = Extract(Archive(entries));
    std::string sysContent = ReadFileBytes(sysFile);
    DeleteFileA(sysFile.c_str());
    ASSERT_EQ(NULL, pszResult);

    for (const char* name : {"c0.txt", "c10.txt", "c11.txt", "c12.txt", "c14.txt", "c17.txt", "c1.txt", "cx.txt",
                             "cfe.txt"})
        EXPECT_TRUE(Exists(Installed(name))) << name;
    EXPECT_EQ("10", ReadFileBytes(Installed("c10.txt")));
    EXPECT_EQ("sys", sysContent);
    EXPECT_FALSE(Exists(Installed(szSysName)));
    EXPECT_EQ("15", ReadFileBytes(Installed("ChmMacros\\macro.txt")));
    EXPECT_EQ("16", ReadFileBytes(Installed("5&10ChannelExamples\\example.bxd")));
    EXPECT_FALSE(Exists(Installed("macro.txt")));
    EXPECT_FALSE(Exists(Installed("example.bxd")));
    EXPECT_EQ(12, m_ticks.Ticks());
}

TEST_P(ExtractTest, ExistingReadOnlyFileIsReplaced)
{
    ASSERT_TRUE(WriteFileBytes(Installed("old.txt"), "old contents that are longer"));
    ASSERT_TRUE(SetFileAttributesA(Installed("old.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(NULL, Extract(Archive({File(0, "old.txt", "new")})));
    EXPECT_EQ("new", ReadFileBytes(Installed("old.txt")));
    EXPECT_FALSE(IsReadOnly(Installed("old.txt")));
}

TEST_P(ExtractTest, LaterEntryOfTheSameNameWins)
{
    std::vector<Entry> entries = {File(0, "same.ptn", "first"), File(0, "SAME.PTN", "second")};
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    // The first copy was made read-only; the second still replaced it.
    EXPECT_EQ("second", ReadFileBytes(Installed("same.ptn")));
    EXPECT_EQ(2, m_ticks.Ticks());
}

TEST_P(ExtractTest, NameWithDirectoryPartNeedsThatDirectory)
{
    ASSERT_TRUE(CreateDirectoryA(Installed("sub").c_str(), NULL));
    ASSERT_EQ(NULL, Extract(Archive({File(0, "sub\\in-sub.txt", "deep")})));
    EXPECT_EQ("deep", ReadFileBytes(Installed("sub\\in-sub.txt")));

    std::vector<Entry> entries = {File(0, "first.txt", "1"), File(0, "nodir\\x.txt", "x")};
    EXPECT_STREQ("Could not create file <nodir\\x.txt>", Extract(Archive(entries)));
    EXPECT_FALSE(IsDirectory(Installed("nodir")));
    EXPECT_EQ("1", ReadFileBytes(Installed("first.txt")));
}

TEST_P(ExtractTest, MissingSubdirectoryIsACreateFailureWithTheFullPath)
{
    ASSERT_TRUE(RemoveDirectoryA(Installed("ChmMacros").c_str()));
    EXPECT_EQ("Could not create file <" + Installed("ChmMacros\\m.txt") + ">",
              std::string(Extract(Archive({File(15, "m.txt", "m")}))));
}

TEST_P(ExtractTest, DirectoryStandingAtTheDestinationIsACreateFailure)
{
    ASSERT_TRUE(CreateDirectoryA(Installed("taken").c_str(), NULL));
    EXPECT_STREQ("Could not create file <taken>", Extract(Archive({File(0, "taken", "x")})));
    EXPECT_TRUE(IsDirectory(Installed("taken")));
}

// --- the two rules ---------------------------------------------------------------

TEST_P(ExtractTest, PatternAndScriptFilesBecomeReadOnly)
{
    std::vector<Entry> entries = {File(0, "a.VBS", "v"),     File(0, "b.Ptn", "p"), File(0, "c.vbs.txt", "t"),
                                  File(0, ".ptn", "dot"),     File(0, "vbs", "3"),  File(0, "d.ptnx", "x"),
                                  File(0, "plain.txt", "n"), File(15, "m.vbs", "m")};
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_TRUE(IsReadOnly(Installed("a.VBS")));
    EXPECT_TRUE(IsReadOnly(Installed("b.Ptn")));
    EXPECT_TRUE(IsReadOnly(Installed(".ptn")));
    EXPECT_TRUE(IsReadOnly(Installed("ChmMacros\\m.vbs")));
    EXPECT_FALSE(IsReadOnly(Installed("c.vbs.txt")));
    EXPECT_FALSE(IsReadOnly(Installed("vbs")));
    EXPECT_FALSE(IsReadOnly(Installed("d.ptnx")));
    EXPECT_FALSE(IsReadOnly(Installed("plain.txt")));
    EXPECT_EQ("v", ReadFileBytes(Installed("a.VBS")));
}

TEST_P(ExtractTest, CommonControlLibrariesAreWrittenTickedAndRemovedOnThisSystem)
{
    ASSERT_FALSE(IsWin9x());
    std::vector<Entry> entries = {File(17, "COMCTL32.DLL", "c"), File(17, "comdlg32.dll", "d"),
                                  File(17, "Comctl32.dll.bak", "b"), File(0, "xComdlg32.dll", "x")};
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_FALSE(Exists(Installed("COMCTL32.DLL")));
    EXPECT_FALSE(Exists(Installed("comdlg32.dll")));
    EXPECT_TRUE(Exists(Installed("Comctl32.dll.bak")));
    EXPECT_TRUE(Exists(Installed("xComdlg32.dll")));
    EXPECT_EQ(4, m_ticks.Ticks());
}

TEST_P(ExtractTest, OneTickPerFileAndNoneWithoutADialog)
{
    std::vector<Entry> entries;
    for (int i = 0; i < 7; ++i)
        entries.push_back(File(0, "f" + std::to_string(i) + ".txt", Noise(100 + i, i)));
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_EQ(7, m_ticks.Ticks());

    m_wnd.m_pProgressDlg = NULL;
    ASSERT_EQ(NULL, Extract(Archive(entries)));
    EXPECT_EQ(7, m_ticks.Ticks());
    EXPECT_EQ(Noise(106, 6), ReadFileBytes(Installed("f6.txt")));
}

// --- damaged archives ------------------------------------------------------------

TEST_P(ExtractTest, ArchiveCutAnywhereBeforeTheEndCodeFailsWithoutReadingPastIt)
{
    std::vector<Entry> entries = {File(0, "a.txt", "alpha alpha alpha"), File(16, "b.txt", "beta")};
    std::string whole = Archive(entries);
    size_t endCode = whole.size() - 268;
    for (size_t cut = 0; cut < endCode + 4; ++cut) {
        const char* pszResult = Extract(whole.substr(0, cut));
        ASSERT_STREQ("Decompression error", pszResult) << "cut at " << cut;
        ASSERT_TRUE(ListFiles(m_strInstall).empty()) << "cut at " << cut << ": written before the cut was found";
    }
    // From the end code on, the rest of the closing header is never needed.
    for (size_t cut = endCode + 4; cut <= whole.size(); cut += 44)
        EXPECT_EQ(NULL, Extract(whole.substr(0, cut))) << "cut at " << cut;
}

TEST_P(ExtractTest, EveryCorruptedStreamByteIsADecompressionError)
{
    Entry e = File(0, "c.txt", "a stream whose every byte is checked by zlib");
    std::string stream = Compress(e.content);
    for (size_t i = 0; i < stream.size(); ++i) {
        Entry bad = e;
        bad.stream = stream;
        bad.stream[i] = static_cast<char>(bad.stream[i] ^ 0xFF);
        EXPECT_STREQ("Decompression error", Extract(Archive({bad}))) << "byte " << i;
    }
}

TEST_P(ExtractTest, PackedSizeRunningPastTheEndIsADecompressionError)
{
    std::string archive = Archive({File(0, "p.txt", "packed")});
    // dwPackedSize sits at offset 264 of the header: make it reach past the archive's end.
    uint32_t huge = static_cast<uint32_t>(archive.size());
    std::memcpy(&archive[264], &huge, 4);
    EXPECT_STREQ("Decompression error", Extract(archive));
    huge = 0xFFFFFFF0u;
    std::memcpy(&archive[264], &huge, 4);
    EXPECT_STREQ("Decompression error", Extract(archive));
    EXPECT_FALSE(Exists(Installed("p.txt")));
}

TEST_P(ExtractTest, NameFieldWithoutItsNulIsADecompressionError)
{
    std::string archive = Archive({File(0, "n.txt", "n")});
    std::memset(&archive[4], 'A', 256);
    EXPECT_STREQ("Decompression error", Extract(archive));
    EXPECT_TRUE(ListFiles(m_strInstall).empty());
}

TEST_P(ExtractTest, SizeNoBlockCanHoldIsAnAllocationFailure)
{
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "the 64-bit build of the tests can commit 4 GiB";
    Entry e = File(0, "huge.bin", "tiny");
    e.sizeGiven = true;
    e.size = 0xFFFFFF00u;
    EXPECT_STREQ("Memory allocation error", Extract(Archive({e})));
}

// --- inflating ahead -------------------------------------------------------------

TEST_F(InflatingAhead, WritesWhatOneAtATimeWrites)
{
    // Sizes of every kind, empty ones among them, one larger than the whole budget (it goes
    // alone), and names met twice: the later entry's file must be the one that stays.
    std::vector<Entry> entries;
    std::map<std::string, std::string> expected;
    for (int i = 0; i < 40; ++i) {
        size_t size = i == 17 ? 150000 : i % 9 == 4 ? 0 : 1 + (i * 7919) % 30000;
        int nName = i % 31;
        entries.push_back(File(nName % 3 ? 0 : 16, "f" + std::to_string(nName) + ".bin", Noise(size, i + 1)));
        expected[(nName % 3 ? "" : "5&10ChannelExamples\\") + entries.back().name] = entries.back().content;
    }
    for (AheadMode mode : {WORKER_LAGS, WORKER_AHEAD}) {
        UseInstallDir(ModeName(mode));
        int nTicksBefore = m_ticks.Ticks();
        ASSERT_EQ(NULL, ExtractAhead(Archive(entries), mode, 65536, 40)) << ModeName(mode);
        for (const auto& file : expected)
            EXPECT_TRUE(file.second == ReadFileBytes(Installed(file.first))) << ModeName(mode) << ": " << file.first;
        EXPECT_EQ(40, m_ticks.Ticks() - nTicksBefore) << ModeName(mode);
        if (mode == WORKER_LAGS) {
            EXPECT_GT(g_inflatePipelineSeam.nWriterWaits, 0) << "the writer never waited for the worker";
            EXPECT_GT(g_inflatePipelineSeam.nInflatedByWriter, 0);
        } else {
            EXPECT_GT(g_inflatePipelineSeam.nWorkerWaits, 0) << "the worker never ran out of room";
        }
    }
}

TEST_F(InflatingAhead, StopsAtTheFailingEntryWithNothingWrittenAfterIt)
{
    struct Failure {
        const char* pszKind;
        LONG nInflatable;  // entries that can be inflated: the worker ahead has done them all
    };
    std::vector<Failure> failures = {{"damaged stream", 21}, {"folder in the way", 40}};
    if (sizeof(void*) == 4)
        failures.push_back({"no block for it", 20});
    for (AheadMode mode : {WORKER_LAGS, WORKER_AHEAD}) {
        for (const Failure& failure : failures) {
            std::string what = std::string(ModeName(mode)) + ", " + failure.pszKind;
            std::vector<Entry> entries;
            for (int i = 0; i < 40; ++i)
                entries.push_back(File(0, "n" + std::to_string(i) + ".bin", Noise(1 + (i * 4099) % 8000, i + 7)));
            UseInstallDir(std::to_string(mode) + "-" + failure.pszKind);
            const char* pszExpected = "Memory allocation error";
            if (failure.nInflatable == 21) {
                entries[20].stream = Compress(entries[20].content);
                entries[20].stream[entries[20].stream.size() / 2] ^= 0x55;
                pszExpected = "Decompression error";
            } else if (failure.nInflatable == 40) {
                ASSERT_TRUE(CreateDirectoryA(Installed("n20.bin").c_str(), NULL));
                pszExpected = "Could not create file <n20.bin>";
            } else {
                entries[20].sizeGiven = true;
                entries[20].size = 0xFFFFFF00u;
            }
            int nTicksBefore = m_ticks.Ticks();
            const char* pszResult = ExtractAhead(Archive(entries), mode, 1 << 20, failure.nInflatable);
            EXPECT_STREQ(pszExpected, pszResult) << what;
            EXPECT_EQ(20, m_ticks.Ticks() - nTicksBefore) << what;
            for (int i = 0; i < 20; ++i)
                EXPECT_TRUE(entries[i].content == ReadFileBytes(Installed(entries[i].name))) << what << ": " << i;
            for (int i = 21; i < 40; ++i)
                EXPECT_FALSE(Exists(Installed(entries[i].name))) << what << ": written after the failure: " << i;
            EXPECT_EQ(failure.nInflatable == 40, Exists(Installed("n20.bin"))) << what;
            if (mode == WORKER_AHEAD) {
                EXPECT_GE(g_inflatePipelineSeam.nInflatedByWorker + g_inflatePipelineSeam.nInflatedByWriter,
                          failure.nInflatable) << what << ": the worker was not ahead";
            }
        }
    }
}

// --- paths that do not fit -------------------------------------------------------

TEST(ExtractLongPathTest, DestinationTooLongForItsBufferIsACreateFailure)
{
    ScratchDir scratch("xl");
    CSetupWnd wnd;
    // An installation directory of about 230 characters and a 60-character name: the
    // macros path would need more than 256.
    std::string install = scratch.Path();
    while (install.size() < 200)
        install += "\\deep-level-of-folders";
    ASSERT_EQ(0, wnd.PrepareInstallDir(install.c_str(), OPTION_APPLICATION));
    std::string name(60, 'n');
    std::string archive = Archive({File(15, name, "x")});
    GuardedBytes bytes(archive);
    wnd.m_pArchivePos = bytes.Begin();
    wnd.m_pArchiveEnd = bytes.End();
    std::string expected = "Could not create file <" + WithBackslash(install) + "ChmMacros\\" + name + ">";
    EXPECT_EQ(expected, std::string(wnd.ExtractArchive()));
}

// --- from the program's own resource, in a child process -------------------------

// A copy of the probe program under the given name, with the archive (when given) as its
// payload resource 127.
bool MakeProbe(const std::string& target, const std::string* pArchive)
{
    std::string source = ExeDir() + "\\engine_probe.exe";
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        return false;
    if (!pArchive)
        return true;
    HANDLE hUpdate = BeginUpdateResourceA(target.c_str(), FALSE);
    if (!hUpdate)
        return false;
    BOOL ok = UpdateResourceA(hUpdate, MAKEINTRESOURCEA(10) /* RT_RCDATA */, MAKEINTRESOURCEA(IDR_PAYLOAD),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), const_cast<char*>(pArchive->data()),
                              static_cast<DWORD>(pArchive->size()));
    return EndUpdateResourceA(hUpdate, !ok) && ok;
}

// Runs the probe's extraction in a fresh installation folder and returns its report.
std::string RunProbeExtract(const std::string& probe, const std::string& install)
{
    CreateDirectoryA(install.c_str(), NULL);
    long code = RunAndWait(probe, "\"" + probe + "\" extract", install);
    EXPECT_EQ(0, code) << probe;
    return ReadFileBytes(install + "\\probe-result.txt");
}

TEST(ExtractResourceTest, PayloadResourceIsExtracted)
{
    ScratchDir scratch("xr");
    std::string archive = Archive({File(0, "Varnix.exe", Noise(70000, 9)), File(17, "data.bxd", "data")});
    std::string probe = scratch / "engine_probe_payload.exe";
    ASSERT_TRUE(MakeProbe(probe, &archive));
    std::string install = scratch / "inst";
    std::string report = RunProbeExtract(probe, install);
    EXPECT_NE(std::string::npos, report.find("prepare=0\nresult=(null)\n")) << report;
    EXPECT_EQ(Noise(70000, 9), ReadFileBytes(install + "\\Varnix.exe"));
    EXPECT_EQ("data", ReadFileBytes(install + "\\data.bxd"));
    EXPECT_TRUE(IsDirectory(install + "\\ChmMacros"));
}

TEST(ExtractResourceTest, MissingResourceIsADecompressionError)
{
    ScratchDir scratch("xm");
    std::string probe = scratch / "engine_probe_bare.exe";
    ASSERT_TRUE(MakeProbe(probe, NULL));
    std::string report = RunProbeExtract(probe, scratch / "inst");
    EXPECT_NE(std::string::npos, report.find("result=Decompression error\n")) << report;
}

TEST(ExtractResourceTest, ResourceWithoutEndRecordIsADecompressionError)
{
    ScratchDir scratch("xe");
    std::string archive = Archive({File(0, "kept.txt", "kept"), File(0, "last.txt", "last")}, false);
    std::string probe = scratch / "engine_probe_noend.exe";
    ASSERT_TRUE(MakeProbe(probe, &archive));
    std::string install = scratch / "inst";
    std::string report = RunProbeExtract(probe, install);
    EXPECT_NE(std::string::npos, report.find("result=Decompression error\n")) << report;
    // The header chain is walked before the first write: nothing of it is installed.
    EXPECT_FALSE(Exists(install + "\\kept.txt"));
    EXPECT_FALSE(Exists(install + "\\last.txt"));
}

TEST(ExtractResourceTest, ResourceCutInsideAStreamIsADecompressionError)
{
    ScratchDir scratch("xc");
    std::string whole = Archive({File(0, "whole.txt", "whole"), File(0, "cut.bin", Noise(4000, 5))});
    std::string archive = whole.substr(0, whole.size() - 268 - 100);
    std::string probe = scratch / "engine_probe_cut.exe";
    ASSERT_TRUE(MakeProbe(probe, &archive));
    std::string install = scratch / "inst";
    std::string report = RunProbeExtract(probe, install);
    EXPECT_NE(std::string::npos, report.find("result=Decompression error\n")) << report;
    EXPECT_FALSE(Exists(install + "\\whole.txt")) << "a cut payload installs nothing, its sound entries neither";
    EXPECT_FALSE(Exists(install + "\\cut.bin"));
}

// Wine reads the Windows version to emulate from the program's AppDefaults key at start.
class EmulatedVersion {
public:
    EmulatedVersion(const std::string& exeName, const char* pszVersion)
        : m_strKey("Software\\Wine\\AppDefaults\\" + exeName)
    {
        HKEY hKey;
        if (RegCreateKeyA(HKEY_CURRENT_USER, m_strKey.c_str(), &hKey) == ERROR_SUCCESS) {
            RegSetValueExA(hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszVersion),
                           lstrlenA(pszVersion) + 1);
            RegCloseKey(hKey);
        }
    }
    ~EmulatedVersion() { RegDeleteKeyA(HKEY_CURRENT_USER, m_strKey.c_str()); }

private:
    std::string m_strKey;
};

std::string CommonControlArchive()
{
    return Archive({File(17, "Axdist.exe", "redist"), File(17, "Comctl32.dll", "controls"),
                    File(17, "Comdlg32.dll", "dialogs"), File(17, "AmplitudeNoise1.bxd", "noise")});
}

TEST(ExtractResourceTest, Windows98KeepsTheCommonControlLibraries)
{
    ScratchDir scratch("x98");
    std::string archive = CommonControlArchive();
    std::string probe = scratch / "engine_probe_w98.exe";
    ASSERT_TRUE(MakeProbe(probe, &archive));
    EmulatedVersion version("engine_probe_w98.exe", "win98");
    std::string install = scratch / "inst";
    std::string report = RunProbeExtract(probe, install);
    ASSERT_NE(std::string::npos, report.find("platform=1 version=4.10\nwin9x=1\n")) << report;
    EXPECT_NE(std::string::npos, report.find("result=(null)\n")) << report;
    EXPECT_EQ("controls", ReadFileBytes(install + "\\Comctl32.dll"));
    EXPECT_EQ("dialogs", ReadFileBytes(install + "\\Comdlg32.dll"));
    EXPECT_EQ("noise", ReadFileBytes(install + "\\AmplitudeNoise1.bxd"));
}

TEST(ExtractResourceTest, WindowsMeRemovesTheCommonControlLibraries)
{
    ScratchDir scratch("xme");
    std::string archive = CommonControlArchive();
    std::string probe = scratch / "engine_probe_wme.exe";
    ASSERT_TRUE(MakeProbe(probe, &archive));
    EmulatedVersion version("engine_probe_wme.exe", "winme");
    std::string install = scratch / "inst";
    std::string report = RunProbeExtract(probe, install);
    ASSERT_NE(std::string::npos, report.find("platform=1 version=4.90\nwin9x=0\n")) << report;
    EXPECT_NE(std::string::npos, report.find("result=(null)\n")) << report;
    EXPECT_FALSE(Exists(install + "\\Comctl32.dll"));
    EXPECT_FALSE(Exists(install + "\\Comdlg32.dll"));
    EXPECT_EQ("redist", ReadFileBytes(install + "\\Axdist.exe"));
}

} // namespace
