// The payload tool as a vendor runs it: the built program, started with a command line,
// judged by its exit status, its messages and the files it leaves.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/PayloadReader.h"
#include "PayloadWriter.h"
#include "InstallListWriter.h"
#include "PayloadStream.h"
#include "uninstall/InstallList.h"
#include "PeResource.h"
#include "PeResourceEditor.h"
#include "tests/fuzz/SyntheticPe.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int nExit;
    std::string output;  // stdout and stderr together
};

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char ch : text)
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

ToolRun RunCommand(const std::string& command)
{
    ToolRun run{-1, ""};
    FILE* pPipe = popen((command + " 2>&1").c_str(), "r");
    if (!pPipe)
        return run;
    char buffer[4096];
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof buffer, pPipe)) > 0)
        run.output.append(buffer, nRead);
    int nStatus = pclose(pPipe);
    run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return run;
}

ToolRun RunTool(const std::vector<std::string>& args)
{
    std::string command = ShellQuote(PAYLOAD_TOOL);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    return RunCommand(command);
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Deterministic bytes that compress somewhat, like a program would.
std::string SampleBytes(size_t nLength, unsigned nSeed)
{
    std::string bytes(nLength, '\0');
    uint32_t state = nSeed * 2654435761u + 1;
    for (size_t i = 0; i < nLength; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = (i / 64) % 3 == 0 ? static_cast<char>(state >> 24) : static_cast<char>('A' + (i % 26));
    }
    return bytes;
}

class PayloadToolTest : public ::testing::Test {
protected:
    fs::path m_dir;

    void SetUp() override
    {
        m_dir = fs::path(PAYLOAD_TEST_SCRATCH) /
                ("tool-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                 std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(m_dir);
    }

    std::string P(const std::string& relative) const { return (m_dir / relative).string(); }

    // A manifest over files of the shipped kinds: codes 0, 10, 13, 14, 15, 16, 17, an
    // empty file that is not the first.
    std::string WriteSampleManifest()
    {
        WriteFile(m_dir / "in/Varnix.exe", SampleBytes(300000, 1));
        WriteFile(m_dir / "in/Varnix.hlp", SampleBytes(90000, 2));
        WriteFile(m_dir / "in/BraxDel.dll", SampleBytes(40000, 3));
        WriteFile(m_dir / "in/macro.ptn", "macro text");
        WriteFile(m_dir / "in/example.bxd", SampleBytes(7000, 4));
        WriteFile(m_dir / "in/empty.txt", "");
        WriteFile(m_dir / "in/ten.txt", "code ten");
        WriteFile(m_dir / "sample.manifest", "# code\tsource\tname\n"
                                             "0\tin/Varnix.exe\tVarnix.exe\n"
                                             "14\tin/Varnix.hlp\tVarnix.hlp\n"
                                             "system\tin/BraxDel.dll\tBraxDel.dll\n"
                                             "15\tin/macro.ptn\tmacro.ptn\n"
                                             "16\tin/example.bxd\tExample1.bxd\n"
                                             "17\tin/empty.txt\tempty.txt\n"
                                             "0x0A\tin/ten.txt\tTen.txt\n");
        return P("sample.manifest");
    }
};

}  // namespace

TEST_F(PayloadToolTest, EveryCommandIsKnownAndAWrongCallIsAUsageError)
{
    EXPECT_EQ(0, RunTool({"--help"}).nExit);
    // Each command exists: called without its arguments it asks for them, exit 2, instead
    // of calling itself unknown.
    for (const char* pszCommand : {"build", "list", "verify", "extract", "setup", "uninstaller", "winget"}) {
        ToolRun run = RunTool({pszCommand});
        EXPECT_EQ(2, run.nExit) << pszCommand;
        EXPECT_EQ(std::string::npos, run.output.find("unknown command")) << pszCommand << ": " << run.output;
    }
    EXPECT_EQ(2, RunTool({}).nExit);
    EXPECT_EQ(2, RunTool({"build", "--bogus"}).nExit);
    EXPECT_EQ(2, RunTool({"build", "--manifest", "x", "--level", "10", "-o", "y"}).nExit);
    EXPECT_EQ(2, RunTool({"frobnicate"}).nExit);
    EXPECT_EQ(2, RunTool({"build", "--folder", "x", "-o", "y", "--codepage", "65001"}).nExit);
}

TEST_F(PayloadToolTest, RoundTripThroughAManifest)
{
    std::string manifest = WriteSampleManifest();
    ToolRun build = RunTool({"build", "--manifest", manifest, "--output", P("a.bin")});
    ASSERT_EQ(0, build.nExit) << build.output;
    EXPECT_NE(std::string::npos, build.output.find("7 entries")) << build.output;

    ToolRun verify = RunTool({"verify", P("a.bin")});
    EXPECT_EQ(0, verify.nExit) << verify.output;

    ToolRun list = RunTool({"list", P("a.bin")});
    ASSERT_EQ(0, list.nExit) << list.output;
    EXPECT_NE(std::string::npos, list.output.find("        13  BraxDel.dll")) << list.output;
    EXPECT_TRUE(std::regex_search(list.output, std::regex("\\n +0  Varnix\\.exe +300000 +[1-9][0-9]*\\n")))
        << list.output;

    ToolRun extract = RunTool({"extract", P("a.bin"), P("out"), "--manifest", P("out.manifest")});
    ASSERT_EQ(0, extract.nExit) << extract.output;
    EXPECT_EQ(ReadFile(m_dir / "in/Varnix.exe"), ReadFile(m_dir / "out/Varnix.exe"));
    EXPECT_EQ(ReadFile(m_dir / "in/Varnix.hlp"), ReadFile(m_dir / "out/Varnix.hlp"));
    EXPECT_EQ(ReadFile(m_dir / "in/BraxDel.dll"), ReadFile(m_dir / "out/System/BraxDel.dll"));
    EXPECT_EQ("macro text", ReadFile(m_dir / "out/ChmMacros/macro.ptn"));
    EXPECT_EQ(ReadFile(m_dir / "in/example.bxd"), ReadFile(m_dir / "out/5&10ChannelExamples/Example1.bxd"));
    EXPECT_TRUE(fs::is_regular_file(m_dir / "out/empty.txt"));
    EXPECT_EQ(0u, fs::file_size(m_dir / "out/empty.txt"));
    EXPECT_EQ("code ten", ReadFile(m_dir / "out/Ten.txt"));

    // The manifest written by extract keeps the codes, so it builds the same bytes.
    ToolRun rebuild = RunTool({"build", "-m", P("out.manifest"), "-o", P("b.bin")});
    ASSERT_EQ(0, rebuild.nExit) << rebuild.output;
    EXPECT_EQ(ReadFile(m_dir / "a.bin"), ReadFile(m_dir / "b.bin"));
}

// The uninstaller's list as the tool writes it, read back by the uninstaller's reader: every
// file where the installation puts it (the system directory's left out: the uninstaller
// removes only itself there) with its code, size and CRC-32, then the manuals.
TEST_F(PayloadToolTest, InstallListReadsBackAsTheUninstallerReadsIt)
{
    auto source = [](uint32_t dwCode, const char* pszName, const std::string& bytes) {
        PayloadSource file{dwCode, pszName, pszName, pszName, nullptr};
        file.pContents = std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
        return file;
    };
    std::vector<PayloadSource> sources = {source(0, "Varnix.exe", "abc"), source(13, "BraxDel.dll", "lib"),
                                          source(15, "m.ptn", std::string(70000, 'x')), source(0, "Empty.txt", "")};
    WriteFile(m_dir / "Docs/Index.pdf", "123456789");
    AnsiCodePage codePage;
    std::string list, error;
    ASSERT_TRUE(codePage.Load(1252, error)) << error;
    ASSERT_TRUE(BuildInstallList(sources, (m_dir / "Docs").string(), codePage, list, error)) << error;

    struct Expected {
        bool bManual;
        uint32_t nCode, nSize, nCrc;
        const char* pszName;
    };
    // CRC-32 of "abc", of 70,000 "x" (zlib's crc32), of "", of "123456789" (the check value).
    const Expected expected[] = {{false, 0, 3, 0x352441C2, "Varnix.exe"},
                                 {false, 15, 70000, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(
                                                                          std::string(70000, 'x').data()), 70000)),
                                  "m.ptn"},
                                 {false, 0, 0, 0, "Empty.txt"},
                                 {true, 0, 9, 0xCBF43926, "Index.pdf"}};
    CInstallListReader reader(list.data(), list.size());
    InstallListEntry entry;
    for (const Expected& want : expected) {
        ASSERT_TRUE(reader.Next(entry)) << list;
        EXPECT_EQ(want.bManual, entry.bManual) << want.pszName;
        EXPECT_EQ(want.nCode, entry.nCode) << want.pszName;
        EXPECT_EQ(want.nSize, entry.nSize) << want.pszName;
        EXPECT_EQ(want.nCrc, entry.nCrc) << want.pszName;
        EXPECT_EQ(want.pszName, std::string(entry.pName, entry.nNameLength));
    }
    EXPECT_FALSE(reader.Next(entry)) << list;
    EXPECT_FALSE(reader.Failed());
}

TEST_F(PayloadToolTest, RoundTripThroughAFolder)
{
    WriteFile(m_dir / "vendor/App.exe", SampleBytes(50000, 5));
    WriteFile(m_dir / "vendor/Readme.txt", "read me");
    WriteFile(m_dir / "vendor/System/BraxDel.dll", SampleBytes(9000, 6));
    WriteFile(m_dir / "vendor/5&10ChannelExamples/Noise.bxd", SampleBytes(2000, 7));
    ToolRun build = RunTool({"build", "--folder", P("vendor"), "-o", P("v.bin")});
    ASSERT_EQ(0, build.nExit) << build.output;
    ToolRun list = RunTool({"list", P("v.bin")});
    EXPECT_NE(std::string::npos, list.output.find("         0  App.exe")) << list.output;
    EXPECT_LT(list.output.find("App.exe"), list.output.find("Readme.txt")) << "the largest file first";
    ASSERT_EQ(0, RunTool({"extract", P("v.bin"), P("back")}).nExit);
    for (const char* pszFile : {"App.exe", "Readme.txt", "System/BraxDel.dll", "5&10ChannelExamples/Noise.bxd"})
        EXPECT_EQ(ReadFile(m_dir / "vendor" / pszFile), ReadFile(m_dir / "back" / pszFile)) << pszFile;
    ASSERT_EQ(0, RunTool({"build", "--folder", P("back"), "-o", P("w.bin")}).nExit);
    EXPECT_EQ(ReadFile(m_dir / "v.bin"), ReadFile(m_dir / "w.bin"));
}

TEST_F(PayloadToolTest, OutputIsTheSameWhateverTheNumberOfJobs)
{
    std::string manifest = WriteSampleManifest();
    std::string reference;
    for (const char* pszJobs : {"1", "2", "3", "7"}) {
        std::string out = P(std::string("j") + pszJobs + ".bin");
        ToolRun run = RunTool({"build", "-m", manifest, "-o", out, "-j", pszJobs});
        ASSERT_EQ(0, run.nExit) << run.output;
        std::string bytes = ReadFile(out);
        if (reference.empty())
            reference = bytes;
        EXPECT_TRUE(bytes == reference) << "-j " << pszJobs << " differs";
    }
    ASSERT_EQ(0, RunTool({"build", "-m", manifest, "-o", P("l1.bin"), "--level=1"}).nExit);
    EXPECT_NE(reference, ReadFile(m_dir / "l1.bin")) << "the level does change the streams";
    EXPECT_EQ(0, RunTool({"verify", P("l1.bin")}).nExit);
}

TEST_F(PayloadToolTest, RefusesWhatTheSetupProgramCouldNotInstall)
{
    WriteFile(m_dir / "full.txt", "content");
    WriteFile(m_dir / "empty.txt", "");
    // A stub for setup and for uninstaller alike: it has the installation list's resource.
    std::vector<uint8_t> stub = MakeSyntheticPe({{10, 1, 0x409, {'#'}}});
    WriteFile(m_dir / "Stub.exe", std::string(stub.begin(), stub.end()));
    struct Case {
        std::string manifest;
        std::string expected;  // in the message, with the entry's line
        bool bNameRule = true;  // the uninstaller reads no file before it refuses a name
    };
    std::string longName(256, 'L');
    const Case cases[] = {
        {"0\tempty.txt\tEmpty.txt\n0\tfull.txt\tFull.txt\n", "m:1: \"Empty.txt\": the first entry is empty", false},
        {"0\tfull.txt\t" + longName + "\n", "m:1: \"" + longName + "\": the stored name is longer than 255 bytes"},
        {"0\tfull.txt\tok.txt\n0\tfull.txt\t\n", "m:2: \"\": the stored name is empty"},
        {"0\tfull.txt\tC:x.dll\n", "m:1: \"C:x.dll\": the stored name carries a drive letter"},
        // No folders are created, so a name with a directory part cannot be installed.
        {"0\tfull.txt\tok.txt\n15\tfull.txt\tsub\\x.ptn\n", "m:2: \"sub\\x.ptn\": the stored name holds a backslash or slash"},
        {"0\tfull.txt\tsub/x.txt\n", "m:1: \"sub/x.txt\": the stored name holds a backslash or slash"},
        {"0\tfull.txt\t\\Windows\\x.dll\n", "m:1: \"\\Windows\\x.dll\": the stored name holds a backslash"},
        {"13\tfull.txt\t..\\x.dll\n", "m:1: \"..\\x.dll\": the stored name holds a backslash"},
        // Too long even under a drive root: C:\5&10ChannelExamples\ leaves 232 characters.
        {"16\tfull.txt\t" + std::string(233, 'e') + "\n",
         "m:1: \"" + std::string(233, 'e') + "\": the stored name is 233 characters long: even under a drive root"},
        {"0\tfull.txt\tCON\n", "m:1: \"CON\": the stored name names a Windows device"},
        {"0\tfull.txt\tok.txt\n15\tfull.txt\tLPT\xB2.x\n", "m:2: \"LPT\\xB2.x\": the stored name names a Windows device"},
        {"0\tfull.txt\tb.\n", "m:1: \"b.\": the stored name ends with a dot"},
        {"13\tfull.txt\tComdlg32.DLL\n", "m:1: \"Comdlg32.DLL\": the stored name is a common-control library"},
        {"0\tfull.txt\tbad\x81.txt\n", "m:1: \"bad\\x81.txt\": the stored name holds the byte 0x81, which Windows-1252 "
                                      "leaves undefined"},
        {"0\tmissing.txt\tx.txt\n", "m:1: \"x.txt\": cannot open", false},
        {"0xFFFFFFFF\tfull.txt\tx.txt\n", "m:1: \"0xFFFFFFFF\" is not a destination code"},
    };
    // Every command that takes files refuses the same ones with the same words.
    for (const Case& c : cases) {
        WriteFile(m_dir / "m", c.manifest);
        for (std::string command : {"build", "setup --stub Stub.exe", "uninstaller --uninstaller Stub.exe"}) {
            if (!c.bNameRule && command[0] == 'u')
                continue;
            ToolRun run = RunCommand("cd " + ShellQuote(m_dir.string()) + " && " + ShellQuote(PAYLOAD_TOOL) + " " +
                                     command + " -m m -o out.bin");
            EXPECT_EQ(1, run.nExit) << command << ": " << c.manifest;
            EXPECT_NE(std::string::npos, run.output.find(c.expected)) << command << ": " << run.output;
            EXPECT_FALSE(fs::exists(m_dir / "out.bin")) << command << " wrote something for " << c.manifest;
            fs::remove(m_dir / "out.bin");
        }
    }
}

TEST_F(PayloadToolTest, WarnsAboutANameTooLongForTheDefaultDirectory)
{
    // C:\Pelorin\ leaves 244 characters for a name, C:\Pelorin\ChmMacros\ 234.
    std::string tooLong(245, 'n'), fits(234, 'm');
    WriteFile(m_dir / "full.txt", "content");
    WriteFile(m_dir / "m", "0\tfull.txt\t" + tooLong + "\n15\tfull.txt\t" + fits + "\n");
    ToolRun build = RunTool({"build", "-m", P("m"), "-o", P("long.bin")});
    ASSERT_EQ(0, build.nExit) << build.output;
    EXPECT_NE(std::string::npos, build.output.find("warning: " + P("m") + ":1: \"" + tooLong +
                                                   "\": the stored name is 245 characters long: under the default "
                                                   "installation directory the path C:\\Pelorin\\<name> would run to "
                                                   "256 characters"))
        << build.output;
    EXPECT_EQ(std::string::npos, build.output.find(":2:")) << "234 characters fit C:\\Pelorin\\ChmMacros\\";

    ToolRun verify = RunTool({"verify", P("long.bin")});
    EXPECT_EQ(0, verify.nExit) << verify.output;
    EXPECT_NE(std::string::npos, verify.output.find("warning: entry 0 \"" + tooLong + "\" (offset 0x0): the name is 245"))
        << verify.output;
    EXPECT_EQ(std::string::npos, verify.output.find("entry 1")) << verify.output;
}

TEST_F(PayloadToolTest, FolderNamesAreConvertedToTheAnsiCodePage)
{
    WriteFile(m_dir / "vendor/Caf\xC3\xA9.txt", SampleBytes(3000, 8));
    WriteFile(m_dir / "vendor/ChmMacros/macro.ptn", "macro");
    ASSERT_EQ(0, RunTool({"build", "--folder", P("vendor"), "-o", P("cafe.bin")}).nExit);
    std::string archive = ReadFile(m_dir / "cafe.bin");
    PayloadReader reader(archive.data(), archive.size());
    PayloadEntry entry;
    ASSERT_EQ(PAYLOAD_READ_ENTRY, reader.Next(entry));
    EXPECT_STREQ("Caf\xE9.txt", entry.header.szName) << "stored in Windows-1252";

    // Unpacked under its UTF-8 name, and packed again into the same archive.
    ToolRun extract = RunTool({"extract", P("cafe.bin"), P("back")});
    ASSERT_EQ(0, extract.nExit) << extract.output;
    EXPECT_EQ(SampleBytes(3000, 8), ReadFile(m_dir / "back/Caf\xC3\xA9.txt"));
    ASSERT_EQ(0, RunTool({"build", "--folder", P("back"), "-o", P("again.bin")}).nExit);
    EXPECT_EQ(archive, ReadFile(m_dir / "again.bin"));

    // A C with an acute accent is not in Windows-1252; it is in Windows-1250 (0xC6).
    WriteFile(m_dir / "vendor/\xC4\x86wiczenie.txt", "exercise");
    ToolRun refused = RunTool({"build", "--folder", P("vendor"), "-o", P("refused.bin")});
    EXPECT_EQ(1, refused.nExit);
    EXPECT_NE(std::string::npos,
              refused.output.find(P("vendor/\xC4\x86wiczenie.txt") + ": the file name holds U+0106"))
        << refused.output;
    EXPECT_FALSE(fs::exists(m_dir / "refused.bin"));
    ToolRun central = RunTool({"build", "--folder", P("vendor"), "-o", P("1250.bin"), "--codepage", "1250"});
    ASSERT_EQ(0, central.nExit) << central.output;
    ToolRun list = RunTool({"list", P("1250.bin")});
    EXPECT_NE(std::string::npos, list.output.find("  \\xC6wiczenie.txt  ")) << list.output;
    EXPECT_NE(std::string::npos, list.output.find("  Caf\\xE9.txt  ")) << list.output;
}

TEST_F(PayloadToolTest, AShortStreamAndBytesAfterTheEndAreInstalledAsTheSetupProgramWould)
{
    std::string text = "forty bytes that the stream really holds";
    std::vector<uint8_t> stream;
    std::string error;
    ASSERT_TRUE(DeflatePayloadStream(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 9, stream, error));
    std::vector<uint8_t> archive;
    // Declared 100 bytes: uncompress with room for 100 gives the 40 and succeeds.
    AppendPayloadEntry(archive, 0, "Short.txt", 9, 100, stream.data(), static_cast<uint32_t>(stream.size()));
    AppendPayloadEntry(archive, DEST_MACROS, "Whole.ptn", 9, static_cast<uint32_t>(text.size()), stream.data(),
                       static_cast<uint32_t>(stream.size()));
    AppendPayloadEndRecord(archive);
    std::string bytes(archive.begin(), archive.end());
    WriteFile(m_dir / "lax.bin", bytes + "trailing garbage");

    ToolRun verify = RunTool({"verify", P("lax.bin")});
    EXPECT_EQ(0, verify.nExit) << verify.output;
    EXPECT_NE(std::string::npos, verify.output.find("warning: entry 0 \"Short.txt\" (offset 0x0): the stream inflates to "
                                                    "40 bytes, fewer than its size 100"))
        << verify.output;
    EXPECT_NE(std::string::npos, verify.output.find("warning: 16 bytes follow the end record")) << verify.output;
    EXPECT_EQ(std::string::npos, verify.output.find("problem")) << verify.output;

    ToolRun extract = RunTool({"extract", P("lax.bin"), P("out")});
    ASSERT_EQ(0, extract.nExit) << extract.output;
    EXPECT_EQ(text, ReadFile(m_dir / "out/Short.txt")) << "exactly the inflated bytes";
    EXPECT_EQ(text, ReadFile(m_dir / "out/ChmMacros/Whole.ptn"));
}

TEST_F(PayloadToolTest, VerifyFindsEveryDamage)
{
    std::string manifest = WriteSampleManifest();
    ASSERT_EQ(0, RunTool({"build", "-m", manifest, "-o", P("good.bin")}).nExit);
    std::string good = ReadFile(m_dir / "good.bin");

    struct Case {
        std::string name;
        std::string bytes;
        std::string expected;
    };
    std::string corrupt = good;
    corrupt[PAYLOAD_HEADER_SIZE + 100] ^= 0x20;
    std::string wrongSize = good;  // one byte less than the stream holds
    wrongSize[PAYLOAD_OFFSET_SIZE] = static_cast<char>(wrongSize[PAYLOAD_OFFSET_SIZE] - 1);
    std::string emptyFirst = good;
    std::memset(&emptyFirst[PAYLOAD_OFFSET_SIZE], 0, 4);
    std::string badName = good;
    badName[PAYLOAD_OFFSET_NAME] = '\\';
    const Case cases[] = {
        {"no-end", good.substr(0, good.size() - PAYLOAD_HEADER_SIZE), "without an end record"},
        {"cut-stream", good.substr(0, PAYLOAD_HEADER_SIZE + 50), "runs"},
        {"cut-header", good.substr(0, 100), "is cut off"},
        {"corrupt", corrupt, "entry 0 \"Varnix.exe\" (offset 0x0): the stream does not inflate"},
        {"wrong-size", wrongSize, "inflates to more bytes than its size"},
        {"empty-first", emptyFirst, "the first entry is empty"},
        {"bad-name", badName, "holds a backslash or slash"},
    };
    for (const Case& c : cases) {
        WriteFile(m_dir / c.name, c.bytes);
        ToolRun run = RunTool({"verify", P(c.name)});
        EXPECT_EQ(1, run.nExit) << c.name;
        EXPECT_NE(std::string::npos, run.output.find(c.expected)) << c.name << ":\n" << run.output;
        ToolRun extract = RunTool({"extract", P(c.name), P("x-" + c.name)});
        EXPECT_EQ(1, extract.nExit) << c.name;
        EXPECT_FALSE(fs::exists(m_dir / ("x-" + c.name))) << "a damaged archive is not unpacked: " << c.name;
    }
}

TEST_F(PayloadToolTest, ExtractNeverWritesOutsideItsFolder)
{
    // An archive made by hand, as a hostile one would be: the tool itself refuses to build it.
    std::vector<uint8_t> archive;
    std::vector<uint8_t> stream;
    std::string error;
    ASSERT_TRUE(DeflatePayloadStream(reinterpret_cast<const uint8_t*>("evil"), 4, 9, stream, error));
    for (const char* pszName : {"ok.txt", "..\\escaped.txt"})
        AppendPayloadEntry(archive, 0, pszName, std::strlen(pszName), 4, stream.data(),
                           static_cast<uint32_t>(stream.size()));
    AppendPayloadEndRecord(archive);
    WriteFile(m_dir / "evil.bin", std::string(archive.begin(), archive.end()));
    ToolRun run = RunTool({"extract", P("evil.bin"), P("target/inner")});
    EXPECT_EQ(1, run.nExit);
    EXPECT_NE(std::string::npos, run.output.find("entry 1 \"..\\escaped.txt\"")) << run.output;
    EXPECT_FALSE(fs::exists(m_dir / "target/escaped.txt"));
    EXPECT_FALSE(fs::exists(m_dir / "target/inner/ok.txt")) << "refused before anything is written";

    // A symbolic link planted in the target folder is not followed.
    archive.clear();
    AppendPayloadEntry(archive, 0, "ok.txt", 6, 4, stream.data(), static_cast<uint32_t>(stream.size()));
    AppendPayloadEntry(archive, DEST_SYSTEM, "planted.txt", 11, 4, stream.data(), static_cast<uint32_t>(stream.size()));
    AppendPayloadEndRecord(archive);
    WriteFile(m_dir / "link.bin", std::string(archive.begin(), archive.end()));
    fs::create_directories(m_dir / "elsewhere");
    fs::create_directories(m_dir / "target2");
    fs::create_directory_symlink(m_dir / "elsewhere", m_dir / "target2/System");
    run = RunTool({"extract", P("link.bin"), P("target2")});
    EXPECT_EQ(1, run.nExit) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("symbolic link")) << run.output;
    EXPECT_FALSE(fs::exists(m_dir / "elsewhere/planted.txt"));
}

TEST_F(PayloadToolTest, ListsAndVerifiesThePayloadInsideAnExecutable)
{
    std::string manifest = WriteSampleManifest();
    ASSERT_EQ(0, RunTool({"build", "-m", manifest, "-o", P("a.bin")}).nExit);
    std::string archive = ReadFile(m_dir / "a.bin");
    std::string archiveListing = RunTool({"list", P("a.bin")}).output;

    std::vector<uint8_t> image = MakeSyntheticPe({{10, 127, 0x409, std::vector<uint8_t>(archive.begin(), archive.end())},
                                                  {10, 1, 0x409, {'x'}}});
    WriteFile(m_dir / "synthetic.exe", std::string(image.begin(), image.end()));
    ToolRun list = RunTool({"list", P("synthetic.exe")});
    ASSERT_EQ(0, list.nExit) << list.output;
    EXPECT_NE(std::string::npos, list.output.find("(resource 127 of the executable)"));
    EXPECT_EQ(archiveListing.substr(0, archiveListing.rfind("bytes")), list.output.substr(0, list.output.rfind("bytes")));

    std::vector<uint8_t> noPayload = MakeSyntheticPe({{10, 1, 0x409, {'x'}}});
    WriteFile(m_dir / "nopayload.exe", std::string(noPayload.begin(), noPayload.end()));
    ToolRun missing = RunTool({"list", P("nopayload.exe")});
    EXPECT_EQ(1, missing.nExit);
    EXPECT_NE(std::string::npos, missing.output.find("without a payload: the image has no resource 127")) << missing.output;
}

TEST_F(PayloadToolTest, ListsThePayloadOfAProgramLinkedByTheCrossTools)
{
    std::string windres = PAYLOAD_MINGW_WINDRES, gcc = PAYLOAD_MINGW_GCC;
    if (windres.empty() || gcc.empty())
        GTEST_SKIP() << "the mingw-w64 cross tools are not installed";
    std::string manifest = WriteSampleManifest();
    ASSERT_EQ(0, RunTool({"build", "-m", manifest, "-o", P("a.bin")}).nExit);
    WriteFile(m_dir / "payload.rc", "LANGUAGE 9, 1\n127 RCDATA \"" + P("a.bin") + "\"\n1 RCDATA { \"other\" }\n");
    WriteFile(m_dir / "main.c", "int main(void) { return 0; }\n");
    ToolRun compile = RunCommand("cd " + ShellQuote(m_dir.string()) + " && " + ShellQuote(windres) +
                                 " payload.rc -O coff -o payload.o && " + ShellQuote(gcc) +
                                 " -s main.c payload.o -o Setup.exe");
    ASSERT_EQ(0, compile.nExit) << compile.output;

    ToolRun list = RunTool({"list", P("Setup.exe")});
    ASSERT_EQ(0, list.nExit) << list.output;
    std::string archiveListing = RunTool({"list", P("a.bin")}).output;
    EXPECT_EQ(archiveListing.substr(0, archiveListing.rfind("bytes")), list.output.substr(0, list.output.rfind("bytes")));
    ToolRun verify = RunTool({"verify", P("Setup.exe")});
    EXPECT_EQ(0, verify.nExit) << verify.output;
    ASSERT_EQ(0, RunTool({"extract", P("Setup.exe"), P("unpacked")}).nExit);
    EXPECT_EQ(ReadFile(m_dir / "in/Varnix.exe"), ReadFile(m_dir / "unpacked/Varnix.exe"));
}

// --- Writing the payload into a stub ------------------------------------------------

namespace {

// A Setup.exe stub as the project links one, from the cross tools: a program with the
// setup program's version resource and manifest (res/SetupInfo.rc), an ordinary
// resource, a named one, and (when given) an old payload as resource 127. Stripped
// unless told otherwise; the linker puts the base relocations after the resources.
ToolRun LinkStub(const fs::path& dir, const std::string& gcc, const std::string& oldPayload, bool bStrip = true)
{
    std::string rc = "LANGUAGE 9, 1\n1 RCDATA { \"other\" }\nLOOKS RCDATA { \"named\" }\n";
    if (!oldPayload.empty()) {
        WriteFile(dir / "old.bin", oldPayload);
        rc += "127 RCDATA \"" + (dir / "old.bin").string() + "\"\n";
    }
    WriteFile(dir / "stub.rc", rc);
    WriteFile(dir / "main.c", "int main(void) { return 0; }\n");
    // The resource compiler of the same target: .../x86_64-w64-mingw32-gcc -> ...-windres.
    std::string windres = ShellQuote(gcc.substr(0, gcc.rfind("-gcc")) + "-windres");
    std::string res = std::string(PAYLOAD_SOURCE_DIR) + "/res";
    return RunCommand("cd " + ShellQuote(dir.string()) + " && " + windres + " stub.rc -O coff -o stub.o && " + windres +
                      " -I " + ShellQuote(res) + " " + ShellQuote(res + "/SetupInfo.rc") + " -O coff -o info.o && " +
                      ShellQuote(gcc) + (bStrip ? " -s" : "") + " main.c stub.o info.o -o Stub.exe");
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string Resource(const std::string& image, uint32_t dwType, uint32_t dwId)
{
    PeResourceSpan span;
    std::string error;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(image.data());
    if (!FindPeResource(p, image.size(), dwType, dwId, span, error))
        return "(" + error + ")";
    return image.substr(span.nOffset, span.nSize);
}

uint32_t Field32(const std::string& image, size_t nOffset)
{
    uint32_t n = 0;
    std::memcpy(&n, image.data() + nOffset, 4);
    return n;
}

}  // namespace

TEST_F(PayloadToolTest, SetupWritesThePayloadIntoAStubAndReplacesAnOldOneWithoutTrace)
{
    std::string windres = PAYLOAD_MINGW_WINDRES;
    if (windres.empty() || std::string(PAYLOAD_MINGW_GCC).empty())
        GTEST_SKIP() << "the mingw-w64 cross tools are not installed";
    std::string manifest = WriteSampleManifest();
    ASSERT_EQ(0, RunTool({"build", "-m", manifest, "-o", P("a.bin")}).nExit);
    std::string archive = ReadFile(m_dir / "a.bin");
    std::string oldPayload = SampleBytes(150000, 99);

    // The product is PE32; the 64-bit test builds of the setup program are PE32+.
    for (const std::string& gcc : std::vector<std::string>{PAYLOAD_MINGW_GCC, PAYLOAD_MINGW64_GCC}) {
        if (gcc.empty())
            continue;
        SCOPED_TRACE(gcc);
        fs::path dir = m_dir / fs::path(gcc).filename();
        ToolRun link = LinkStub(dir, gcc, oldPayload);
        ASSERT_EQ(0, link.nExit) << link.output;
        std::string stub = ReadFile(dir / "Stub.exe");

        ToolRun setup = RunTool({"setup", "--stub", (dir / "Stub.exe").string(), "--manifest", manifest, "--output",
                                 (dir / "Setup.exe").string()});
        ASSERT_EQ(0, setup.nExit) << setup.output;
        EXPECT_NE(std::string::npos, setup.output.find("replaced the payload the stub carried (150000 bytes)"))
            << setup.output;
        std::string image = ReadFile(dir / "Setup.exe");

        // The payload is the archive build makes of the same files, byte for byte, and
        // nothing of the old one is left anywhere in the file.
        EXPECT_EQ(archive, Resource(image, PE_RT_RCDATA, 127));
        EXPECT_NE(std::string::npos, stub.find(oldPayload.substr(70000, 256)));
        EXPECT_EQ(std::string::npos, image.find(oldPayload.substr(70000, 256)));

        // Beside the payload, the CRC-32 of its bytes (zlib's, little-endian), which the
        // setup program checks before it writes anything.
        uLong nCrc = crc32(0, reinterpret_cast<const Bytef*>(archive.data()), static_cast<uInt>(archive.size()));
        EXPECT_EQ(std::string({char(nCrc), char(nCrc >> 8), char(nCrc >> 16), char(nCrc >> 24)}),
                  Resource(image, PE_RT_RCDATA, 126));

        // Every other resource as the resource compiler made it: its key, language, code
        // page and bytes. The version resource the tool writes by default is the one
        // windres makes of res/SetupInfo.rc.
        PeResourceEditor before, after;
        std::string error;
        ASSERT_TRUE(before.Load(Bytes(stub), error)) << error;
        ASSERT_TRUE(after.Load(Bytes(image), error)) << error;
        ASSERT_EQ(1u, after.Remove(PE_RT_RCDATA, 126));
        ASSERT_EQ(before.Count(), after.Count());
        EXPECT_EQ(Resource(stub, PE_RT_VERSION, 1), Resource(image, PE_RT_VERSION, 1));
        size_t nCompared = 0;
        for (size_t t = 0; t < before.Types().size(); ++t) {
            const auto& typeBefore = before.Types()[t];
            const auto& typeAfter = after.Types()[t];
            ASSERT_EQ(typeBefore.key.dwId, typeAfter.key.dwId);
            ASSERT_EQ(typeBefore.names.size(), typeAfter.names.size());
            for (size_t n = 0; n < typeBefore.names.size(); ++n) {
                EXPECT_EQ(typeBefore.names[n].key.name, typeAfter.names[n].key.name);
                EXPECT_EQ(typeBefore.names[n].key.dwId, typeAfter.names[n].key.dwId);
                for (size_t l = 0; l < typeBefore.names[n].languages.size(); ++l) {
                    const auto& leafBefore = typeBefore.names[n].languages[l];
                    const auto& leafAfter = typeAfter.names[n].languages[l];
                    EXPECT_EQ(leafBefore.language.dwId, leafAfter.language.dwId);
                    EXPECT_EQ(leafBefore.dwCodePage, leafAfter.dwCodePage);
                    if (typeBefore.key.dwId == PE_RT_RCDATA && typeBefore.names[n].key.dwId == 127)
                        continue;
                    EXPECT_EQ(leafBefore.data, leafAfter.data);
                    ++nCompared;
                }
            }
        }
        EXPECT_EQ(before.Count() - 1, nCompared);
        EXPECT_EQ(u"LOOKS", before.Types()[0].names[0].key.name) << "the named resource was there to compare";

        // The headers agree with the new layout: the checksum, and an image size that
        // ends with the last section (the relocations, moved behind the grown resources).
        size_t nPe = Field32(image, 0x3C), nOptional = nPe + 24;
        EXPECT_EQ(ComputePeChecksum(Bytes(image), nOptional + 64), Field32(image, nOptional + 64));
        size_t nSections = static_cast<uint8_t>(image[nPe + 6]);
        size_t nLast = nOptional + static_cast<uint8_t>(image[nPe + 20]) + (nSections - 1) * 40;
        EXPECT_EQ(".reloc", image.substr(nLast, 6));
        EXPECT_EQ(Field32(image, nLast + 20) + Field32(image, nLast + 16), image.size());
        EXPECT_EQ((Field32(image, nLast + 12) + Field32(image, nLast + 8) + 0xFFF) & ~0xFFFu,
                  Field32(image, nOptional + 56));
        ToolRun objdump = RunCommand(ShellQuote(gcc.substr(0, gcc.rfind("-gcc")) + "-objdump") + " -p " +
                                     ShellQuote((dir / "Setup.exe").string()));
        EXPECT_NE(std::string::npos, objdump.output.find("Base Relocation Directory [.reloc]")) << objdump.output;

        // A stub that already carries a payload gets it replaced: writing the same files
        // again gives the same file, not one with two payloads.
        ToolRun again = RunTool({"setup", "--stub", (dir / "Setup.exe").string(), "--manifest", manifest, "--output",
                                 (dir / "Again.exe").string()});
        ASSERT_EQ(0, again.nExit) << again.output;
        EXPECT_EQ(image, ReadFile(dir / "Again.exe"));

        // verify finds one byte of the payload changed in the file; without the record
        // (which --no-payload-check drops from a stub that carried one) nothing is checked.
        std::string flipped = image;
        size_t nAt = flipped.find(archive.substr(archive.size() / 2, 64));
        ASSERT_NE(std::string::npos, nAt);
        flipped[nAt] ^= 0x01;
        WriteFile(dir / "Flipped.exe", flipped);
        ToolRun verify = RunTool({"verify", (dir / "Flipped.exe").string()});
        EXPECT_NE(0, verify.nExit);
        EXPECT_NE(std::string::npos, verify.output.find("does not match the CRC-32 recorded beside it")) << verify.output;
        EXPECT_EQ(0, RunTool({"verify", (dir / "Setup.exe").string()}).nExit);
        ToolRun unchecked = RunTool({"setup", "--stub", (dir / "Setup.exe").string(), "--manifest", manifest,
                                     "--no-payload-check", "--output", (dir / "Unchecked.exe").string()});
        ASSERT_EQ(0, unchecked.nExit) << unchecked.output;
        PeResourceEditor unmarked;
        ASSERT_TRUE(unmarked.Load(Bytes(ReadFile(dir / "Unchecked.exe")), error)) << error;
        EXPECT_EQ(nullptr, unmarked.Find(PE_RT_RCDATA, 126, PE_LANG_ENGLISH_US));
    }
}

TEST_F(PayloadToolTest, SetupRefusesAStubItCannotRewriteSoundly)
{
    std::string gcc = PAYLOAD_MINGW_GCC;
    if (std::string(PAYLOAD_MINGW_WINDRES).empty() || gcc.empty())
        GTEST_SKIP() << "the mingw-w64 cross tools are not installed";
    std::string manifest = WriteSampleManifest();

    ASSERT_EQ(0, LinkStub(m_dir / "unstripped", gcc, "", false).nExit);
    ToolRun run = RunTool({"setup", "--stub", P("unstripped/Stub.exe"), "-m", manifest, "-o", P("a.exe")});
    EXPECT_EQ(1, run.nExit) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("symbol table")) << run.output;

    ASSERT_EQ(0, LinkStub(m_dir / "stripped", gcc, "").nExit);
    WriteFile(m_dir / "appended.exe", ReadFile(m_dir / "stripped/Stub.exe") + "appended data");
    run = RunTool({"setup", "--stub", P("appended.exe"), "-m", manifest, "-o", P("b.exe")});
    EXPECT_EQ(1, run.nExit) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("data after its last section")) << run.output;
    EXPECT_FALSE(fs::exists(m_dir / "a.exe") || fs::exists(m_dir / "b.exe"));

    run = RunTool({"setup", "--stub", P("stripped/Stub.exe"), "-m", manifest, "-o", P("c.exe"), "--product-version",
                   "1.2"});
    EXPECT_EQ(2, run.nExit) << run.output;
    run = RunTool({"setup", "--stub", P("stripped/Stub.exe"), "-m", manifest, "-o", P("c.exe"), "--sign", "v.p12"});
    EXPECT_EQ(2, run.nExit) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("--password-file")) << run.output;
}

TEST_F(PayloadToolTest, SetupRefusesAHostileStubWithoutMultiplyingItsTree)
{
    using namespace synthetic_pe;
    // Every type entry shares one name directory, whose entries all share one empty
    // language directory: read naively, 1000 entries become a million.
    const uint32_t nShared = 1000;
    std::vector<uint8_t> shared;
    size_t nRoot = AddDirectory(shared, nShared), nNames = AddDirectory(shared, nShared);
    size_t nEmpty = AddDirectory(shared, 0);
    for (uint32_t i = 0; i < nShared; ++i) {
        SetEntry(shared, nRoot, i, i + 1, SUBDIRECTORY | static_cast<uint32_t>(nNames));
        SetEntry(shared, nNames, i, i + 1, SUBDIRECTORY | static_cast<uint32_t>(nEmpty));
    }
    std::vector<uint8_t> resources = MakeSyntheticResourceSection({{10, 1, 0x409, {'x'}}});
    // Headers that end two bytes into the optional header, where the file ends too.
    std::vector<uint8_t> cut = WrapInSyntheticPe(resources);
    cut.resize(0x40 + 24 + 2);
    PutU16(cut, 0x40 + 6, 0);
    PutU16(cut, 0x40 + 20, 2);
    struct Case {
        const char* pszStub;
        std::vector<uint8_t> image;
        int nExit;
        std::string expected;
    };
    const Case cases[] = {
        {"shared.exe", WrapInSyntheticPe(shared), 1, "a directory is reached twice"},
        {"cut.exe", cut, 1, "the image's data directory is too short"},
        // Two sections behind the resources on the same addresses: laid apart by the
        // rewrite, they would make an image its own check refuses.
        {"overlap.exe", WrapInSyntheticPe(resources, {{0x2000, 0x1000, 0x200}, {0x2000, 0x800, 0x200}}), 1,
         "two of the image's sections overlap in memory"},
        // Larger in memory than a 32-bit process can map in one piece: written, with a warning.
        {"huge.exe", WrapInSyntheticPe(resources, {{0x2000, 0x60000000, 0x200}}), 0, "1536 MiB of memory"},
    };
    ASSERT_EQ(0, RunTool({"build", "-m", WriteSampleManifest(), "-o", P("a.bin")}).nExit);
    for (const Case& c : cases) {
        WriteFile(m_dir / c.pszStub, std::string(c.image.begin(), c.image.end()));
        fs::path output = m_dir / (std::string("out-") + c.pszStub);
        ToolRun run = RunTool({"setup", "--stub", P(c.pszStub), "--archive", P("a.bin"), "-o", output.string()});
        EXPECT_EQ(c.nExit, run.nExit) << c.pszStub << ": " << run.output;
        EXPECT_NE(std::string::npos, run.output.find(c.expected)) << c.pszStub << ": " << run.output;
        EXPECT_EQ(c.nExit == 0, fs::exists(output)) << c.pszStub;
    }
}

TEST_F(PayloadToolTest, WingetManifestReadsBackUnderTheSchemaRules)
{
    std::string gcc = PAYLOAD_MINGW_GCC;
    if (std::string(PAYLOAD_MINGW_WINDRES).empty() || gcc.empty())
        GTEST_SKIP() << "the mingw-w64 cross tools are not installed";
    ASSERT_EQ(0, LinkStub(m_dir / "stub", gcc, "").nExit);
    // Names YAML would read as a truth value, a comment and a mapping, a version as a number.
    ASSERT_EQ(0, RunTool({"setup", "--stub", P("stub/Stub.exe"), "-m", WriteSampleManifest(), "-o", P("Setup.exe"),
                          "--product-version", "2.1.0", "--company", "O'Neil: Tools #1", "--product", "No"})
                     .nExit);
    ToolRun winget = RunTool({"winget", P("Setup.exe"), "--id", "ONeil.No", "--url", "https://example.com/No/Setup.exe",
                              "--output", P("winget")});
    ASSERT_EQ(0, winget.nExit) << winget.output;
    ToolRun check = RunCommand("python3 " + ShellQuote(std::string(PAYLOAD_SOURCE_DIR) + "/tests/host/winget_manifest_check.py") +
                               " " + ShellQuote(P("winget")) + " " + ShellQuote(P("Setup.exe")) +
                               " PackageIdentifier=ONeil.No PackageVersion=2.1.0.0 DisplayVersion=2.1.0.0 PackageName=No "
                               "'Publisher=O'\\''Neil: Tools #1' 'ProductCode=Corvane Corporation - Pelorin'");
    EXPECT_EQ(0, check.nExit) << check.output;

    // What the schemas would refuse is refused before anything is written.
    for (auto bad : {std::vector<std::string>{"--id", "Widget", "--url", "https://example.com/S.exe"},
                     std::vector<std::string>{"--id", "A.B", "--url", "ftp://example.com/S.exe"},
                     std::vector<std::string>{"--id", "A.B/C", "--url", "https://example.com/S.exe"}}) {
        bad.insert(bad.begin(), {"winget", P("Setup.exe"), "--output", P("refused")});
        EXPECT_EQ(1, RunTool(bad).nExit) << bad[4];
        EXPECT_FALSE(fs::exists(m_dir / "refused")) << bad[4];
    }
}

TEST_F(PayloadToolTest, SignedSetupVerifiesAndAChangedPayloadByteBreaksTheSignature)
{
    std::string gcc = PAYLOAD_MINGW_GCC;
    if (std::string(PAYLOAD_MINGW_WINDRES).empty() || gcc.empty())
        GTEST_SKIP() << "the mingw-w64 cross tools are not installed";
    ASSERT_EQ(0, RunCommand("command -v osslsigncode && command -v openssl").nExit)
        << "osslsigncode and openssl are installed by scripts/install-deps.sh";
    std::string manifest = WriteSampleManifest();
    ASSERT_EQ(0, LinkStub(m_dir / "stub", gcc, "").nExit);

    // A vendor's certificate, made here.
    WriteFile(m_dir / "pass.txt", "s3cret pass\n");
    ToolRun openssl = RunCommand(
        "cd " + ShellQuote(m_dir.string()) +
        " && { openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 -subj '/CN=Test Vendor' "
        "-addext extendedKeyUsage=codeSigning && openssl pkcs12 -export -inkey key.pem -in cert.pem -out vendor.p12 "
        "-passout file:pass.txt; }");
    ASSERT_EQ(0, openssl.nExit) << openssl.output;

    ToolRun setup = RunTool({"setup", "--stub", P("stub/Stub.exe"), "-m", manifest, "-o", P("Setup.exe"), "--sign",
                             P("vendor.p12"), "--password-file", P("pass.txt"), "--product-version", "2.1.0",
                             "--company", "Caf\xC3\xA9 \xF0\x9F\x8E\xB5 GmbH"});
    ASSERT_EQ(0, setup.nExit) << setup.output;
    EXPECT_NE(std::string::npos, setup.output.find("signed")) << setup.output;
    ToolRun verify = RunCommand("osslsigncode verify -CAfile " + ShellQuote(P("cert.pem")) + " -in " +
                                ShellQuote(P("Setup.exe")));
    EXPECT_EQ(0, verify.nExit) << verify.output;
    EXPECT_EQ(0, RunTool({"verify", P("Setup.exe")}).nExit) << "the payload reads back from the signed file";

    // One byte of the payload changed: the signature no longer holds.
    std::string image = ReadFile(m_dir / "Setup.exe");
    PeResourceSpan span;
    std::string error;
    ASSERT_TRUE(FindPeResource(reinterpret_cast<const uint8_t*>(image.data()), image.size(), PE_RT_RCDATA, 127, span,
                               error));
    image[span.nOffset + span.nSize / 2] ^= 0x01;
    WriteFile(m_dir / "Changed.exe", image);
    ToolRun changed = RunCommand("osslsigncode verify -CAfile " + ShellQuote(P("cert.pem")) + " -in " +
                                 ShellQuote(P("Changed.exe")));
    EXPECT_NE(0, changed.nExit) << changed.output;

    // The vendor's version is what the version resource says.
    std::string version = Resource(ReadFile(m_dir / "Setup.exe"), PE_RT_VERSION, 1);
    for (std::u16string text : {std::u16string(u"2.1.0.0"), std::u16string(u"Caf\u00E9 \U0001F3B5 GmbH")})
        EXPECT_NE(std::string::npos,
                  version.find(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)));
    EXPECT_NE(std::string::npos, version.find(std::string("\x01\x00\x02\x00\x00\x00\x00\x00", 8)))
        << "the fixed part's file version 2.1.0.0";

    // A signed file used as a stub loses its signature, with a note.
    ToolRun resign = RunTool({"setup", "--stub", P("Setup.exe"), "-m", manifest, "-o", P("Unsigned.exe")});
    ASSERT_EQ(0, resign.nExit) << resign.output;
    EXPECT_NE(std::string::npos, resign.output.find("signature no longer matches and was removed")) << resign.output;
    EXPECT_NE(0, RunCommand("osslsigncode verify -in " + ShellQuote(P("Unsigned.exe"))).nExit);
    EXPECT_EQ(0, RunTool({"verify", P("Unsigned.exe")}).nExit);

    // A wrong password fails, and leaves no Setup.exe behind.
    WriteFile(m_dir / "wrong.txt", "wrong\n");
    ToolRun wrong = RunTool({"setup", "--stub", P("stub/Stub.exe"), "-m", manifest, "-o", P("Wrong.exe"), "--sign",
                             P("vendor.p12"), "--password-file", P("wrong.txt")});
    EXPECT_EQ(1, wrong.nExit) << wrong.output;
    EXPECT_FALSE(fs::exists(m_dir / "Wrong.exe"));
}
