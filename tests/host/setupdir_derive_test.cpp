// The text steps of the setup directory's derivation from the command line, and the
// bounded append of a file name to it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/SetupDirectory.h"

TEST(SetupDirectory, QuotedProgramPathLosesFileNameAndQuote)
{
    EXPECT_STREQ("D:\\Disk1", DeriveSetupDirectory("\"D:\\Disk1\\Setup.exe\""));
    EXPECT_STREQ("D:\\Disk1", DeriveSetupDirectory("\"D:\\Disk1\\Setup.exe\" -autorun"));
}

TEST(SetupDirectory, UnquotedProgramPathLosesFileName)
{
    EXPECT_STREQ("D:\\Disk1", DeriveSetupDirectory("D:\\Disk1\\Setup.exe"));
    EXPECT_STREQ("D:\\Disk1", DeriveSetupDirectory("D:\\Disk1\\Setup.exe -restart"));
}

TEST(SetupDirectory, ProgramAtADriveRootLeavesTheDrive)
{
    EXPECT_STREQ("D:", DeriveSetupDirectory("D:\\Setup.exe"));
    EXPECT_STREQ("D:", DeriveSetupDirectory("\"D:\\Setup.exe\""));
}

TEST(SetupDirectory, CutFallsAtTheLastBackslashOfTheArgumentsToo)
{
    EXPECT_STREQ("D:\\Disk1\\Setup.exe\" C:\\Temp",
                 DeriveSetupDirectory("\"D:\\Disk1\\Setup.exe\" C:\\Temp\\log.txt"));
}

TEST(SetupDirectory, CommandLineWithoutBackslashIsTakenWhole)
{
    EXPECT_STREQ("Setup.exe -autorun", DeriveSetupDirectory("Setup.exe -autorun"));
    EXPECT_STREQ("Setup.exe\"", DeriveSetupDirectory("\"Setup.exe\"")) << "only the leading quote goes";
    EXPECT_STREQ("", DeriveSetupDirectory(""));
}

TEST(SetupDirectory, OnlyALeadingQuoteIsDropped)
{
    EXPECT_STREQ("D:\\My \"Disk\"", DeriveSetupDirectory("D:\\My \"Disk\"\\Setup.exe"));
    EXPECT_STREQ("", DeriveSetupDirectory("\"\\Setup.exe")) << "nothing is left before the backslash";
    EXPECT_STREQ("", DeriveSetupDirectory("\\Setup.exe"));
}

TEST(SetupDirectory, LongCommandLinesAreCutWithoutLimit)
{
    std::string dir = "C:\\" + std::string(400, 'd');
    std::string line = "\"" + dir + "\\Setup.exe\"";
    EXPECT_EQ(dir, std::string(DeriveSetupDirectory(line.c_str())));
}

TEST(SetupDirectory, AppendFitsUpToTheLastCharacterOfTheBuffer)
{
    char szPath[SETUP_DIR_PATH_SIZE];
    const char* pszFile = "\\Docs\\Index.pdf";
    size_t cchFile = std::strlen(pszFile);
    std::string fits(SETUP_DIR_PATH_SIZE - 1 - cchFile, 'a');
    ASSERT_TRUE(AppendToSetupDirectory(fits.c_str(), pszFile, szPath, sizeof szPath));
    EXPECT_EQ(fits + pszFile, std::string(szPath));
    EXPECT_EQ(SETUP_DIR_PATH_SIZE - 1, std::strlen(szPath));

    std::string tooLong(SETUP_DIR_PATH_SIZE - cchFile, 'a');
    std::memset(szPath, 'x', sizeof szPath);
    EXPECT_FALSE(AppendToSetupDirectory(tooLong.c_str(), pszFile, szPath, sizeof szPath));
    EXPECT_STREQ("", szPath) << "a path that does not fit leaves the buffer empty";
}

TEST(SetupDirectory, AppendJoinsDirectoryAndFile)
{
    char szPath[SETUP_DIR_PATH_SIZE];
    ASSERT_TRUE(AppendToSetupDirectory("D:\\Disk1", "\\AcroRead\\Setup.exe", szPath, sizeof szPath));
    EXPECT_STREQ("D:\\Disk1\\AcroRead\\Setup.exe", szPath);
    EXPECT_FALSE(AppendToSetupDirectory("D:", "x", szPath, 0)) << "an empty buffer takes nothing";
}
