// Files the system cuts short, the way a full disk cuts them: the engine's writes under a
// limit on the size of any file this process writes (ctest runs this program through
// scripts/run-wine-test.sh --file-size-limit, which also lays out a medium whose manual is
// just over the limit). A file counts as written only once all of it has reached the
// system; anything less is the file's message, never a success.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/SetupWnd.h"
#include "engine/Options.h"
#include "engine/SetupDirectory.h"
#include "engine_support.h"

using namespace enginetest;

namespace {

// The limit in bytes; 0 when this run has none.
size_t FileSizeLimit()
{
    char szKb[16] = "";
    GetEnvironmentVariableA("SETUP_FILE_SIZE_LIMIT_KB", szKb, sizeof szKb);
    return static_cast<size_t>(std::atoi(szKb)) * 1024;
}

class ShortWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (FileSizeLimit() == 0)
            GTEST_SKIP() << "needs a file-size limit: ctest runs it with one";
    }
    ScratchDir m_scratch{"short"};
};

TEST_F(ShortWrite, ExtractionReportsTheFileItCouldNotWriteWhole)
{
    const std::string install = m_scratch / "Inst";
    CSetupWnd wnd;
    ASSERT_EQ(0, wnd.PrepareInstallDir(install.c_str(), OPTION_APPLICATION));
    GuardedBytes bytes(Archive({File(0, "small.txt", "fits"), File(0, "big.bin", Noise(2 * FileSizeLimit(), 3)),
                                File(0, "after.txt", "never written")}));
    wnd.m_pArchivePos = bytes.Begin();
    wnd.m_pArchiveEnd = bytes.End();
    const char* pszResult = wnd.ExtractArchive();
    ASSERT_TRUE(pszResult != NULL) << "a file cut short was reported as written";
    EXPECT_STREQ("Could not write to file <big.bin>", pszResult);
    EXPECT_EQ("fits", ReadFileBytes(install + "\\small.txt"));
    EXPECT_FALSE(Exists(install + "\\after.txt"));
}

// The copy streams through a buffer: every block but the last fits under the limit, and
// the last is written only when the stream is closed, so only the close can tell.
TEST_F(ShortWrite, ManualCopyReportsTheManualWhoseLastBlockWasLost)
{
    const std::string medium = "C:\\ShortWriteMedium";
    const std::string source = medium + "\\Docs\\Big.pdf";
    ASSERT_EQ(FileSizeLimit() + 100, ReadFileBytes(source).size()) << "the medium the test runner lays out";
    const std::string install = m_scratch / "Inst";
    CSetupWnd wnd;
    ASSERT_EQ(0, wnd.PrepareInstallDir(install.c_str(), OPTION_MANUALS));
    ResolveProcessSetupDirectory(("\"" + medium + "\\Setup.exe\"").c_str());
    const char* pszResult = wnd.CopyManuals();
    ASSERT_TRUE(pszResult != NULL) << "a manual cut short was reported as copied: "
                                   << ReadFileBytes(install + "\\Docs\\Big.pdf").size() << " bytes of "
                                   << FileSizeLimit() + 100;
    EXPECT_EQ("Error installing documentation file <" + install + "\\Docs\\Big.pdf>", std::string(pszResult));
}

} // namespace
