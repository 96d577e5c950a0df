// Installation directory preparation against the real file system: levels created and
// entered, the derived paths, and the paths that are refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/SetupWnd.h"
#include "engine/Engine.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "engine_support.h"
#include "ui/SetupMessages.h"

using namespace enginetest;

namespace {

const char SENTINEL[] = "untouched";

class InstallDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (char* psz : {m_wnd.m_szDocsDir, m_wnd.m_szMacrosDir, m_wnd.m_szExamplesDir})
            std::strcpy(psz, SENTINEL);
    }
    // The members other steps rely on, for a successful call with this full path.
    void ExpectDerivedFrom(const std::string& full)
    {
        EXPECT_EQ(full + "varnix.exe", std::string(m_wnd.m_strAppExe));
        EXPECT_EQ(full + "Docs\\index.pdf", std::string(m_wnd.m_strManualPdf));
        EXPECT_EQ("Rundll32.exe BraxDel.dll,Remove \"" + full + "\"", std::string(m_wnd.m_strUninstallCmd));
        EXPECT_EQ(full + "ChmMacros\\", std::string(m_wnd.m_szMacrosDir));
        EXPECT_EQ(full + "5&10ChannelExamples\\", std::string(m_wnd.m_szExamplesDir));
        EXPECT_TRUE(IsDirectory(full + "ChmMacros"));
        EXPECT_TRUE(IsDirectory(full + "5&10ChannelExamples"));
        EXPECT_EQ(full, WithBackslash(CurrentDir()));
    }
    void ExpectNothingSet()
    {
        EXPECT_STREQ(SENTINEL, m_wnd.m_szMacrosDir);
        EXPECT_STREQ(SENTINEL, m_wnd.m_szExamplesDir);
        EXPECT_STREQ(SENTINEL, m_wnd.m_szDocsDir);
    }

    ScratchDir m_scratch{"d"};
    CSetupWnd m_wnd;
};

TEST_F(InstallDirTest, NewPathIsCreatedLevelByLevel)
{
    std::string path = m_scratch / "Level1\\Level 2\\Pelorin";
    ASSERT_EQ(0, m_wnd.PrepareInstallDir(path.c_str(), OPTION_APPLICATION));
    EXPECT_TRUE(IsDirectory(path));
    ExpectDerivedFrom(path + "\\");
    // Without the manuals option there is no Docs folder and the member stays as it was.
    EXPECT_FALSE(Exists(path + "\\Docs"));
    EXPECT_STREQ(SENTINEL, m_wnd.m_szDocsDir);
}

TEST_F(InstallDirTest, ExistingPathIsUsedAsItIs)
{
    std::string path = m_scratch / "There";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((path + "\\ChmMacros").c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(path + "\\ChmMacros\\old.txt", "old"));
    ASSERT_EQ(0, m_wnd.PrepareInstallDir((path + "\\").c_str(), OPTION_APPLICATION | OPTION_MANUALS));
    ExpectDerivedFrom(path + "\\");
    EXPECT_EQ(path + "\\Docs\\", std::string(m_wnd.m_szDocsDir));
    EXPECT_TRUE(IsDirectory(path + "\\Docs"));
    EXPECT_EQ("old", ReadFileBytes(path + "\\ChmMacros\\old.txt"));
}

TEST_F(InstallDirTest, ManualsAloneCreateDocs)
{
    std::string path = m_scratch / "Manuals";
    ASSERT_EQ(0, m_wnd.PrepareInstallDir(path.c_str(), OPTION_MANUALS));
    EXPECT_TRUE(IsDirectory(path + "\\Docs"));
    EXPECT_EQ(path + "\\Docs\\", std::string(m_wnd.m_szDocsDir));
}

TEST_F(InstallDirTest, RelativePathIsResolvedAgainstTheCurrentDirectory)
{
    ASSERT_TRUE(SetCurrentDirectoryA(m_scratch.Path().c_str()));
    ASSERT_EQ(0, m_wnd.PrepareInstallDir("rel\\..\\Rel2\\inner", OPTION_APPLICATION));
    std::string full = m_scratch / "Rel2\\inner\\";
    ExpectDerivedFrom(full);
    EXPECT_FALSE(Exists(m_scratch / "rel"));
}

TEST_F(InstallDirTest, DriveRootEndsTheWalkAtOnce)
{
    // The root of the test prefix's drive C:. What this creates there is removed again,
    // unless it was there before.
    const char* const apszMade[] = {"C:\\ChmMacros", "C:\\5&10ChannelExamples", "C:\\Docs"};
    bool abExisted[3];
    for (int i = 0; i < 3; ++i)
        abExisted[i] = Exists(apszMade[i]);
    int result = m_wnd.PrepareInstallDir("C:\\", OPTION_APPLICATION | OPTION_MANUALS);
    std::string cwd = CurrentDir();
    bool abMade[3];
    for (int i = 0; i < 3; ++i) {
        abMade[i] = IsDirectory(apszMade[i]);
        if (!abExisted[i])
            RemoveDirectoryA(apszMade[i]);
    }
    ASSERT_EQ(0, result);
    EXPECT_EQ("C:\\", cwd);
    EXPECT_EQ("C:\\varnix.exe", std::string(m_wnd.m_strAppExe));
    EXPECT_EQ("C:\\ChmMacros\\", std::string(m_wnd.m_szMacrosDir));
    EXPECT_EQ("C:\\Docs\\", std::string(m_wnd.m_szDocsDir));
    EXPECT_EQ("Rundll32.exe BraxDel.dll,Remove \"C:\\\"", std::string(m_wnd.m_strUninstallCmd));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(abMade[i]) << apszMade[i];
}

TEST_F(InstallDirTest, MissingDriveFailsBeforeCreatingAnything)
{
    char path[] = "?:\\Pelorin";
    DWORD used = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'M' && path[0] == '?'; --letter)
        if (!(used & (1u << (letter - 'A'))))
            path[0] = letter;
    ASSERT_NE('?', path[0]);
    std::string before = CurrentDir();
    EXPECT_EQ(1, m_wnd.PrepareInstallDir(path, OPTION_APPLICATION | OPTION_MANUALS));
    EXPECT_EQ(before, CurrentDir());
    ExpectNothingSet();
    // The strings are derived before the walk.
    EXPECT_EQ(std::string(path) + "\\varnix.exe", std::string(m_wnd.m_strAppExe));
}

TEST_F(InstallDirTest, FileInTheWayStopsTheWalkAtTheLevelBefore)
{
    ASSERT_TRUE(WriteFileBytes(m_scratch / "blocker", "a file, not a folder"));
    std::string path = m_scratch / "blocker\\below";
    EXPECT_EQ(1, m_wnd.PrepareInstallDir(path.c_str(), OPTION_APPLICATION | OPTION_MANUALS));
    EXPECT_EQ(m_scratch.Path(), CurrentDir());
    EXPECT_EQ("a file, not a folder", ReadFileBytes(m_scratch / "blocker"));
    ExpectNothingSet();
    EXPECT_FALSE(Exists(m_scratch / "ChmMacros"));
}

TEST_F(InstallDirTest, UncPathIsRefused)
{
    EXPECT_EQ(1, m_wnd.PrepareInstallDir("\\\\nohost\\share\\Pelorin", OPTION_APPLICATION));
    ExpectNothingSet();
}

// A full path of exactly nLength characters below the scratch folder, without a trailing
// backslash.
std::string PathOfLength(const ScratchDir& scratch, size_t nLength)
{
    std::string path = scratch.Path();
    while (path.size() + 1 + 50 < nLength)
        path += "\\" + std::string(49, 'L');
    path += "\\" + std::string(nLength - path.size() - 1, 'E');
    return path;
}

TEST_F(InstallDirTest, LongestPathThatFitsIsAccepted)
{
    // 234 characters plus the backslash: every derived path still fits 256.
    std::string path = PathOfLength(m_scratch, 234);
    ASSERT_EQ(234u, path.size());
    ASSERT_EQ(0, m_wnd.PrepareInstallDir(path.c_str(), OPTION_APPLICATION | OPTION_MANUALS));
    ExpectDerivedFrom(path + "\\");
    EXPECT_EQ(255u, std::strlen(m_wnd.m_szExamplesDir));
}

TEST_F(InstallDirTest, PathTooLongForTheDerivedPathsIsRefusedBeforeAnythingIsCreated)
{
    std::string before = CurrentDir();
    for (size_t nLength : {235u, 236u, 255u, 300u}) {
        std::string path = PathOfLength(m_scratch, nLength);
        EXPECT_EQ(1, m_wnd.PrepareInstallDir(path.c_str(), OPTION_APPLICATION | OPTION_MANUALS)) << nLength;
        // With a trailing backslash given, 236 characters are still too many.
        if (nLength == 235u) {
            EXPECT_EQ(1, m_wnd.PrepareInstallDir((path + "\\").c_str(), OPTION_APPLICATION));
        }
    }
    EXPECT_EQ(before, CurrentDir());
    EXPECT_TRUE(ListFiles(m_scratch.Path()).empty());
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((m_scratch / "*").c_str(), &fd);
    int entries = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do
            ++entries;
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(2, entries) << "only . and .. in the scratch folder";
    ExpectNothingSet();
}

TEST_F(InstallDirTest, DirectoryExistsSeesFilesAndFolders)
{
    ASSERT_TRUE(WriteFileBytes(m_scratch / "file.txt", "x"));
    EXPECT_TRUE(m_wnd.DirectoryExists(m_scratch.Path().c_str()));
    EXPECT_TRUE(m_wnd.DirectoryExists((m_scratch / "file.txt").c_str()));
    EXPECT_FALSE(m_wnd.DirectoryExists((m_scratch / "nothing").c_str()));
    EXPECT_FALSE(m_wnd.DirectoryExists((m_scratch / "nothing\\below").c_str()));
}

} // namespace
