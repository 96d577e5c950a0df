// The manual copy against the real file system: a medium folder with Docs built here, the
// command line handed in, and once the program's own command line in a child process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/SetupWnd.h"
#include "engine/Engine.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "engine/SetupDirectory.h"
#include "engine_support.h"
#include "ui/SetupMessages.h"

using namespace enginetest;

namespace {

// The manual copy of a setup program started with pszCommandLine.
const char* CopyManualsStartedAs(CSetupWnd& wnd, const char* pszCommandLine)
{
    ResolveProcessSetupDirectory(pszCommandLine);
    return wnd.CopyManuals();
}

const char MESSAGE_PREFIX[] = "Error installing documentation file <";

class ManualsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strMedium = m_scratch / "Medium";
        ASSERT_TRUE(CreateDirectoryA(m_strMedium.c_str(), NULL));
        m_strInstall = m_scratch / "Inst";
        ASSERT_EQ(0, m_wnd.PrepareInstallDir(m_strInstall.c_str(), OPTION_MANUALS));
        m_wnd.m_pProgressDlg = m_ticks.Dialog();
    }
    void TearDown() override { m_wnd.m_pProgressDlg = NULL; }

    void MakeDocs() { ASSERT_TRUE(CreateDirectoryA((m_strMedium + "\\Docs").c_str(), NULL)); }
    void PutDoc(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(WriteFileBytes(m_strMedium + "\\Docs\\" + name, bytes));
    }
    // The command line of a setup program started from the medium, quoted as Windows does.
    std::string CommandLine() const { return "\"" + m_strMedium + "\\Setup.exe\" -autorun"; }
    std::string Target(const std::string& name) const { return m_strInstall + "\\Docs\\" + name; }

    ScratchDir m_scratch{"m"};
    CSetupWnd m_wnd;
    TickCounter m_ticks;
    std::string m_strMedium;
    std::string m_strInstall;
};

TEST_F(ManualsTest, EveryFileIsCopiedWholeAndSubfoldersAreSkipped)
{
    MakeDocs();
    std::string exact = Noise(3200, 1), multi = Noise(3 * 3200 + 17, 2), twoBlocks = Noise(6400, 3);
    PutDoc("Index.pdf", multi);
    PutDoc("Exact.pdf", exact);
    PutDoc("TwoBlocks.pdf", twoBlocks);
    PutDoc("Empty.pdf", "");
    PutDoc("Small.txt", "small");
    ASSERT_TRUE(CreateDirectoryA((m_strMedium + "\\Docs\\Sub").c_str(), NULL));
    PutDoc("Sub\\Inner.pdf", "inner");

    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, CommandLine().c_str()));
    EXPECT_EQ(multi, ReadFileBytes(Target("Index.pdf")));
    EXPECT_EQ(exact, ReadFileBytes(Target("Exact.pdf")));
    EXPECT_EQ(twoBlocks, ReadFileBytes(Target("TwoBlocks.pdf")));
    EXPECT_EQ("", ReadFileBytes(Target("Empty.pdf")));
    EXPECT_EQ("small", ReadFileBytes(Target("Small.txt")));
    EXPECT_FALSE(Exists(Target("Sub")));
    EXPECT_FALSE(Exists(Target("Inner.pdf")));
    EXPECT_EQ(5, m_ticks.Ticks());
}

TEST_F(ManualsTest, UnquotedCommandLineNamesTheSameMedium)
{
    MakeDocs();
    PutDoc("A.pdf", "a");
    std::string line = m_strMedium + "\\Setup.exe -restart";
    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, line.c_str()));
    EXPECT_EQ("a", ReadFileBytes(Target("A.pdf")));
}

TEST_F(ManualsTest, ExistingTargetIsOverwritten)
{
    MakeDocs();
    PutDoc("Index.pdf", "new");
    ASSERT_TRUE(WriteFileBytes(Target("Index.pdf"), "an older and longer manual"));
    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, CommandLine().c_str()));
    EXPECT_EQ("new", ReadFileBytes(Target("Index.pdf")));
}

TEST_F(ManualsTest, MissingDocsFolderCannotStartTheSearch)
{
    EXPECT_EQ(std::string(MESSAGE_PREFIX) + "FindFirstFile>", std::string(CopyManualsStartedAs(m_wnd, CommandLine().c_str())));
    EXPECT_EQ(0, m_ticks.Ticks());
}

TEST_F(ManualsTest, DocsWithoutFilesCopiesNothing)
{
    MakeDocs();
    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, CommandLine().c_str()));
    ASSERT_TRUE(CreateDirectoryA((m_strMedium + "\\Docs\\OnlyAFolder").c_str(), NULL));
    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, CommandLine().c_str()));
    EXPECT_TRUE(ListFiles(m_strInstall + "\\Docs").empty());
    EXPECT_EQ(0, m_ticks.Ticks());
}

// Whether this system refuses to open a read-only file for writing. Wine run by the
// superuser does not: the file's Unix permissions do not stop root.
bool ReadOnlyIsEnforced(const std::string& scratch)
{
    std::string probe = scratch + "\\read-only-probe";
    WriteFileBytes(probe, "x");
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    bool enforced = h == INVALID_HANDLE_VALUE;
    if (!enforced)
        CloseHandle(h);
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(probe.c_str());
    return enforced;
}

TEST_F(ManualsTest, ReadOnlyTargetFailsNamingTheTarget)
{
    if (!ReadOnlyIsEnforced(m_scratch.Path()))
        GTEST_SKIP() << "read-only files are writable here (Wine run as root)";
    MakeDocs();
    PutDoc("Locked.pdf", "new");
    ASSERT_TRUE(WriteFileBytes(Target("Locked.pdf"), "old"));
    ASSERT_TRUE(SetFileAttributesA(Target("Locked.pdf").c_str(), FILE_ATTRIBUTE_READONLY));
    const char* pszResult = CopyManualsStartedAs(m_wnd, CommandLine().c_str());
    EXPECT_EQ(MESSAGE_PREFIX + Target("Locked.pdf") + ">", std::string(pszResult ? pszResult : "(null)"));
    EXPECT_EQ("old", ReadFileBytes(Target("Locked.pdf")));
    EXPECT_EQ(0, m_ticks.Ticks());
}

TEST_F(ManualsTest, TargetThatCannotBeOpenedFailsNamingTheTarget)
{
    MakeDocs();
    PutDoc("Held.pdf", "new");
    PutDoc("Folder.pdf", "new");
    // One target held open without write sharing, one a folder: neither opens for writing.
    ASSERT_TRUE(WriteFileBytes(Target("Held.pdf"), "old"));
    HANDLE hHeld = CreateFileA(Target("Held.pdf").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    ASSERT_TRUE(CreateDirectoryA(Target("Folder.pdf").c_str(), NULL));
    const char* pszResult = CopyManualsStartedAs(m_wnd, CommandLine().c_str());
    std::string result = pszResult ? pszResult : "(null)";
    CloseHandle(hHeld);
    // The search order decides which of the two is met first.
    EXPECT_TRUE(result == MESSAGE_PREFIX + Target("Held.pdf") + ">" || result == MESSAGE_PREFIX + Target("Folder.pdf") + ">")
        << result;
    EXPECT_EQ("old", ReadFileBytes(Target("Held.pdf")));
    EXPECT_EQ(0, m_ticks.Ticks());
}

TEST_F(ManualsTest, UnreadableSourceFailsNamingTheSource)
{
    MakeDocs();
    PutDoc("Busy.pdf", "busy");
    std::string source = m_strMedium + "\\Docs\\Busy.pdf";
    // Held open without sharing, the file cannot be opened for reading.
    HANDLE hHeld = CreateFileA(source.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    const char* pszResult = CopyManualsStartedAs(m_wnd, CommandLine().c_str());
    std::string result = pszResult ? pszResult : "(null)";
    CloseHandle(hHeld);
    EXPECT_EQ(MESSAGE_PREFIX + source + ">", result);
    EXPECT_FALSE(Exists(Target("Busy.pdf")));
}

TEST_F(ManualsTest, CommandLineWithoutBackslashIsTakenWhole)
{
    // The whole line, made a full path against the current directory, is the setup directory.
    ASSERT_TRUE(CreateDirectoryA((m_scratch / "whole-line").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((m_scratch / "whole-line\\Docs").c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(m_scratch / "whole-line\\Docs\\W.pdf", "w"));
    ASSERT_TRUE(SetCurrentDirectoryA(m_scratch.Path().c_str()));
    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, "whole-line"));
    EXPECT_EQ("w", ReadFileBytes(Target("W.pdf")));
    // A leading quote goes as well.
    ASSERT_EQ(NULL, CopyManualsStartedAs(m_wnd, "\"whole-line"));
    // Setup.exe with its switch, and no backslash: no such folder, no search.
    EXPECT_EQ(std::string(MESSAGE_PREFIX) + "FindFirstFile>", std::string(CopyManualsStartedAs(m_wnd, "Setup.exe -autorun")));
}

TEST_F(ManualsTest, SetupProgramInADriveRootUsesThatDrivesCurrentDirectory)
{
    MakeDocs();
    PutDoc("Root.pdf", "root");
    // "C:\Setup.exe" leaves "C:", which names the current directory of drive C: here the
    // medium folder.
    ASSERT_EQ('C', m_strMedium[0]);
    ASSERT_TRUE(SetCurrentDirectoryA(m_strMedium.c_str()));
    const char* pszResult = CopyManualsStartedAs(m_wnd, "\"C:\\Setup.exe\" -autorun");
    EXPECT_EQ(NULL, pszResult) << pszResult;
    EXPECT_EQ("root", ReadFileBytes(Target("Root.pdf")));
}

TEST_F(ManualsTest, SetupDirectoryTooDeepForThePatternCannotStartTheSearch)
{
    // 247 characters fit the 256-character buffer, but not with "\Docs\*.*" after them.
    for (size_t nLength : {247u, 256u, 400u}) {
        std::string dir = m_scratch.Path();
        while (dir.size() < nLength)
            dir += "\\" + std::string(std::min<size_t>(40, nLength - dir.size() - 1), 'd');
        ASSERT_EQ(nLength, dir.size());
        std::string line = "\"" + dir + "\\Setup.exe\"";
        EXPECT_EQ(std::string(MESSAGE_PREFIX) + "FindFirstFile>", std::string(CopyManualsStartedAs(m_wnd, line.c_str())))
            << nLength;
    }
}

TEST_F(ManualsTest, TargetPathTooLongFailsNamingIt)
{
    MakeDocs();
    std::string name = std::string(40, 'n') + ".pdf";
    PutDoc(name, "x");
    // A target folder of 230 characters (as the installation's Docs folder may be) leaves
    // no room for this name in a 256-character path.
    std::string docs = m_scratch.Path();
    while (docs.size() < 229)
        docs += "\\" + std::string(std::min<size_t>(40, 229 - docs.size() - 1), 't');
    docs += "\\";
    ASSERT_EQ(230u, docs.size());
    lstrcpynA(m_wnd.m_szDocsDir, docs.c_str(), sizeof m_wnd.m_szDocsDir);
    EXPECT_EQ(MESSAGE_PREFIX + docs + name + ">", std::string(CopyManualsStartedAs(m_wnd, CommandLine().c_str())));
    EXPECT_EQ(0, m_ticks.Ticks());
}

// The longest message the engine makes: the deepest medium the search can start in and a
// name of 255 characters, which no path buffer holds. It comes out whole, bracket and all.
TEST_F(ManualsTest, LongestMessageComesOutWhole)
{
    // 246 characters: "\Docs\*.*" after them fills the 256-character buffer.
    std::string medium = m_scratch.Path();
    while (medium.size() < 246) {
        medium += "\\" + std::string(std::min<size_t>(40, 246 - medium.size() - 1), 'd');
        ASSERT_TRUE(CreateDirectoryA(medium.c_str(), NULL));
    }
    const std::string docs = medium + "\\Docs\\", name(255, 'n');
    // Paths this long only through the wide functions' \\?\ form.
    const std::string longFile = "\\\\?\\" + docs + name;
    const std::wstring wideFile(longFile.begin(), longFile.end());
    ASSERT_TRUE(CreateDirectoryW(wideFile.substr(0, wideFile.size() - name.size()).c_str(), NULL));
    HANDLE hFile = CreateFileW(wideFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    CloseHandle(hFile);
    const char* pszResult = CopyManualsStartedAs(m_wnd, ("\"" + medium + "\\Setup.exe\"").c_str());
    const std::string result = pszResult ? pszResult : "(null)";
    DeleteFileW(wideFile.c_str());
    EXPECT_EQ(MESSAGE_PREFIX + docs + name + ">", result);
    EXPECT_EQ(545u, result.size());
}

TEST(ManualsCommandLineTest, ProgramFindsDocsBesideItself)
{
    ScratchDir scratch("mc");
    std::string medium = scratch / "CD";
    ASSERT_TRUE(CreateDirectoryA(medium.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((medium + "\\Docs").c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(medium + "\\Docs\\Index.pdf", Noise(10000, 7)));
    ASSERT_TRUE(WriteFileBytes(medium + "\\Docs\\Guide.pdf", "guide"));
    std::string probe = medium + "\\engine_probe.exe";
    ASSERT_TRUE(CopyFileA((ExeDir() + "\\engine_probe.exe").c_str(), probe.c_str(), FALSE));
    std::string work = scratch / "work";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), NULL));

    ASSERT_EQ(0, RunAndWait(probe, "\"" + probe + "\" manuals", work));
    std::string report = ReadFileBytes(work + "\\probe-result.txt");
    EXPECT_NE(std::string::npos, report.find("prepare=0\nresult=(null)\n")) << report;
    EXPECT_EQ(Noise(10000, 7), ReadFileBytes(work + "\\target\\Docs\\Index.pdf"));
    EXPECT_EQ("guide", ReadFileBytes(work + "\\target\\Docs\\Guide.pdf"));
}

} // namespace
