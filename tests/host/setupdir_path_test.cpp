// The text steps of the setup directory's derivation from the command line, and the bounded
// path text its files are joined with.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/SetupDirectory.h"
#include "framework/PathText.h"

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

// The bounded path text every part of the program joins its paths with.
TEST(PathText, JoinFitsUpToTheLastCharacterOfTheBufferAndNoFurther)
{
    char szPath[SETUP_DIR_PATH_SIZE];
    size_t cchFile = std::strlen(MEDIUM_MANUAL_INDEX);
    std::string fits(SETUP_DIR_PATH_SIZE - 1 - cchFile, 'a');
    ASSERT_TRUE(JoinPath(szPath, fits.c_str(), MEDIUM_MANUAL_INDEX));
    EXPECT_EQ(fits + MEDIUM_MANUAL_INDEX, std::string(szPath));
    EXPECT_EQ(SETUP_DIR_PATH_SIZE - 1, std::strlen(szPath));

    std::string tooLong(SETUP_DIR_PATH_SIZE - cchFile, 'a');
    std::memcpy(szPath, "kept", 5);
    EXPECT_FALSE(JoinPath(szPath, tooLong.c_str(), MEDIUM_MANUAL_INDEX));
    EXPECT_STREQ("kept", szPath) << "a path that does not fit leaves the buffer as it was";

    // A source that fills a whole fixed buffer without its NUL is not read past it.
    char szUnterminated[8];
    std::memset(szUnterminated, 'u', sizeof szUnterminated);
    EXPECT_FALSE(JoinPath(szPath, sizeof szUnterminated, szUnterminated, ""));
}

TEST(PathText, BackslashIsAppendedOnceAndOnlyWhereItFits)
{
    char szPath[8] = "C:\\Dir";
    ASSERT_TRUE(AppendBackslash(szPath));
    EXPECT_STREQ("C:\\Dir\\", szPath);
    ASSERT_TRUE(AppendBackslash(szPath));
    EXPECT_STREQ("C:\\Dir\\", szPath) << "one backslash, not two";

    char szFull[7] = "C:\\Dir";
    EXPECT_FALSE(AppendBackslash(szFull)) << "no room left for the backslash and the NUL";
    EXPECT_STREQ("C:\\Dir", szFull);
    char szEmpty[4] = "";
    EXPECT_FALSE(AppendBackslash(szEmpty)) << "an empty path names no directory";
}

TEST(PathText, CaseIsIgnoredForAsciiLettersOnly)
{
    EXPECT_TRUE(EqualsIgnoringAsciiCase("COMCTL32.DLL", "Comctl32.dll"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Comctl32.dl", "Comctl32.dll"));
    // 0xC9 and 0xE9 are one letter in two cases in Windows-1252, but not ASCII.
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC9t\xE9", "\xE9t\xE9"));
    EXPECT_TRUE(EndsWithIgnoringAsciiCase("Script.VBS", ".vbs"));
    EXPECT_FALSE(EndsWithIgnoringAsciiCase("vbs", ".vbs"));
}
