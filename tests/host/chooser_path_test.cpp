// The directory chooser's path steps: start, up, descend, drive, root test, entries,
// and the 256-character limit of its buffers.
#include <gtest/gtest.h>

#include <string>

#include "ui/ChooserPath.h"

namespace {

std::string Start(const std::string& path)
{
    char sz[CHOOSER_TEXT_SIZE];
    EXPECT_TRUE(BuildStartPattern(path.c_str(), sz, sizeof sz)) << path;
    return sz;
}

std::string Up(const std::string& edit)
{
    char sz[CHOOSER_TEXT_SIZE];
    EXPECT_TRUE(BuildUpPattern(edit.c_str(), sz, sizeof sz)) << edit;
    return sz;
}

std::string Down(const std::string& edit, const std::string& entry)
{
    char sz[CHOOSER_TEXT_SIZE];
    EXPECT_TRUE(BuildDescendPattern(edit.c_str(), entry.c_str(), sz, sizeof sz)) << edit << " " << entry;
    return sz;
}

} // namespace

TEST(ChooserStartPattern, AddsBackslashAndStar)
{
    EXPECT_EQ("C:\\Pelorin\\*", Start("C:\\Pelorin"));
    EXPECT_EQ("C:\\Pelorin\\*", Start("C:\\Pelorin\\"));
    EXPECT_EQ("\\*", Start("")) << "an empty path starts at the root of the current drive";
    EXPECT_EQ("C:\\*", Start("C:"));
    EXPECT_EQ("D:\\Apps\\\\*", Start("D:\\Apps\\\\")) << "only a missing backslash is added";
}

TEST(ChooserUpPattern, ExamplesOfTheChooser)
{
    EXPECT_EQ("C:\\Pelorin\\*", Up("C:\\Pelorin\\Data\\"));
    EXPECT_EQ("C:\\*", Up("C:\\Pelorin\\"));
    EXPECT_EQ("C:*", Up("C:\\"));
    EXPECT_EQ("\\*", Up("Temp"));
    EXPECT_EQ("C:\\Temp\\*", Up("C:\\Temp\\a")) << "a one-letter last component typed without a backslash";
}

TEST(ChooserUpPattern, EdgeTexts)
{
    EXPECT_EQ("\\*", Up("")) << "an empty edit field goes to the root of the current drive";
    EXPECT_EQ("\\*", Up("\\"));
    EXPECT_EQ("C:*", Up("C:")) << "a text ending in a colon loses nothing";
    EXPECT_EQ("C:*", Up("C:Temp"));
    EXPECT_EQ("C:\\Temp\\*", Up("C:\\Temp\\\\")) << "only one trailing backslash is removed";
    EXPECT_EQ("\\\\server\\share\\*", Up("\\\\server\\share\\dir"));
}

TEST(ChooserDescendPattern, BuildsFromTheEditText)
{
    EXPECT_EQ("C:\\Pelorin\\Data\\*", Down("C:\\Pelorin\\", "[Data]"));
    EXPECT_EQ("C:\\Temp\\Sub\\*", Down("C:\\Temp", "[Sub]")) << "a typed path without a trailing backslash";
    EXPECT_EQ("\\Sub\\*", Down("", "[Sub]"));
    EXPECT_EQ("C:\\My Dir [1]\\*", Down("C:\\", "[My Dir [1]]")) << "only the outer brackets are removed";
    EXPECT_EQ("C:\\\\*", Down("C:\\", "[]"));
}

TEST(ChooserDescendPattern, RefusesAnEntryWithoutBrackets)
{
    char sz[CHOOSER_TEXT_SIZE] = "previous";
    EXPECT_FALSE(BuildDescendPattern("C:\\", "x", sz, sizeof sz));
    EXPECT_STREQ("", sz);
    EXPECT_FALSE(BuildDescendPattern("C:\\", "", sz, sizeof sz));
}

TEST(ChooserDrivePattern, ThirdCharacterOfTheEntry)
{
    char sz[CHOOSER_TEXT_SIZE];
    ASSERT_TRUE(BuildDrivePattern("[-d-]", sz, sizeof sz));
    EXPECT_STREQ("d:*", sz);
    ASSERT_TRUE(BuildDrivePattern("[-z-]", sz, sizeof sz));
    EXPECT_STREQ("z:*", sz);
    EXPECT_FALSE(BuildDrivePattern("[-", sz, sizeof sz));
    EXPECT_FALSE(BuildDrivePattern("", sz, sizeof sz));
}

TEST(ChooserRootTest, ColonSecondAndStarFourth)
{
    EXPECT_TRUE(IsDriveRootPattern("C:\\*"));
    EXPECT_TRUE(IsDriveRootPattern("z:\\*"));
    EXPECT_FALSE(IsDriveRootPattern("C:\\Pelorin\\*"));
    EXPECT_FALSE(IsDriveRootPattern("C:*"));
    EXPECT_FALSE(IsDriveRootPattern("C:"));
    EXPECT_FALSE(IsDriveRootPattern("C"));
    EXPECT_FALSE(IsDriveRootPattern(""));
    EXPECT_FALSE(IsDriveRootPattern("\\\\*"));
}

TEST(ChooserDirectoryEntry, BracketsAndTheDotEntries)
{
    char sz[CHOOSER_TEXT_SIZE];
    ASSERT_TRUE(BuildDirectoryEntry("Data", false, sz, sizeof sz));
    EXPECT_STREQ("[Data]", sz);
    ASSERT_TRUE(BuildDirectoryEntry("..", false, sz, sizeof sz));
    EXPECT_STREQ("[..]", sz);
    EXPECT_TRUE(IsParentEntry(sz));
    EXPECT_FALSE(BuildDirectoryEntry("..", true, sz, sizeof sz)) << "no way up from the root of a drive";
    EXPECT_FALSE(BuildDirectoryEntry(".", false, sz, sizeof sz));
    EXPECT_FALSE(BuildDirectoryEntry(".", true, sz, sizeof sz));
    ASSERT_TRUE(BuildDirectoryEntry("...", true, sz, sizeof sz));
    EXPECT_STREQ("[...]", sz);
    EXPECT_FALSE(IsParentEntry("[...]"));
    EXPECT_FALSE(IsParentEntry(".."));
}

TEST(ChooserEditText, CutAtTheFirstStar)
{
    char sz[] = "C:\\Pelorin\\*";
    CutAtFirstStar(sz);
    EXPECT_STREQ("C:\\Pelorin\\", sz);
    char szTwo[] = "C:\\a*b\\*";
    CutAtFirstStar(szTwo);
    EXPECT_STREQ("C:\\a", szTwo);
    char szNone[] = "C:\\x";
    CutAtFirstStar(szNone);
    EXPECT_STREQ("C:\\x", szNone);
}

TEST(ChooserDriveSelection, LowerCasedFirstCharacterFoundAnywhere)
{
    EXPECT_EQ('c', DriveCharOf("C:\\Pelorin\\*"));
    EXPECT_EQ('d', DriveCharOf("d:\\*"));
    EXPECT_TRUE(DriveEntryMatches("[-c-]", DriveCharOf("C:\\*")));
    EXPECT_TRUE(DriveEntryMatches("[-C-]", 'c')) << "the entry is lower-cased too";
    EXPECT_FALSE(DriveEntryMatches("[-z-]", 'c'));
    EXPECT_FALSE(DriveEntryMatches("[-c-]", DriveCharOf("\\\\server\\share\\*")))
        << "a path that does not begin with a drive letter selects no drive";
}

TEST(ChooserResult, OneTrailingBackslashRemoved)
{
    EXPECT_EQ(10u, LengthWithoutTrailingBackslash("C:\\Pelorin\\"));
    EXPECT_EQ(2u, LengthWithoutTrailingBackslash("C:\\"));
    EXPECT_EQ(12u, LengthWithoutTrailingBackslash("D:\\Apps\\Tool\\"));
    EXPECT_EQ(8u, LengthWithoutTrailingBackslash("D:\\Apps\\\\")) << "D:\\Apps\\ remains";
    EXPECT_EQ(10u, LengthWithoutTrailingBackslash("C:\\Pelorin"));
    EXPECT_EQ(0u, LengthWithoutTrailingBackslash(""));
    EXPECT_EQ(0u, LengthWithoutTrailingBackslash("\\"));
}

// --- The 256-character buffers: a step whose text would not fit is refused -----------

TEST(ChooserLimits, StartPatternFitsUpTo253Characters)
{
    char sz[CHOOSER_TEXT_SIZE];
    std::string path = "C:\\" + std::string(250, 'p');  // 253 characters
    ASSERT_TRUE(BuildStartPattern(path.c_str(), sz, sizeof sz));
    EXPECT_EQ(255u, std::string(sz).size());
    EXPECT_EQ('*', sz[254]);

    std::string longer = path + "q";  // 254 characters: 256 with "\*"
    EXPECT_FALSE(BuildStartPattern(longer.c_str(), sz, sizeof sz));
    EXPECT_STREQ("", sz) << "nothing half written";
    std::string withBackslash = longer + "\\";  // 255: only "*" to add, 256
    EXPECT_FALSE(BuildStartPattern(withBackslash.c_str(), sz, sizeof sz));
    std::string fits = path + "\\";  // 254 + "*" = 255
    EXPECT_TRUE(BuildStartPattern(fits.c_str(), sz, sizeof sz));
}

TEST(ChooserLimits, DescentThatWouldPassTheBufferIsRefused)
{
    char sz[CHOOSER_TEXT_SIZE];
    std::string edit = "C:\\" + std::string(200, 'e') + "\\";  // 204 characters
    std::string fitting = "[" + std::string(49, 'n') + "]";      // 204 + 49 + 2 = 255
    ASSERT_TRUE(BuildDescendPattern(edit.c_str(), fitting.c_str(), sz, sizeof sz));
    EXPECT_EQ(255u, std::string(sz).size());
    std::string tooLong = "[" + std::string(50, 'n') + "]";      // 256
    EXPECT_FALSE(BuildDescendPattern(edit.c_str(), tooLong.c_str(), sz, sizeof sz));
    EXPECT_STREQ("", sz);

    std::string noBackslash = "C:\\" + std::string(200, 'e');    // 203 + "\" + 49 + "\*" = 255
    EXPECT_TRUE(BuildDescendPattern(noBackslash.c_str(), fitting.c_str(), sz, sizeof sz));
    EXPECT_FALSE(BuildDescendPattern(noBackslash.c_str(), tooLong.c_str(), sz, sizeof sz));
}

TEST(ChooserLimits, UpStepFromAFullEditText)
{
    char sz[CHOOSER_TEXT_SIZE];
    std::string full = "C:\\" + std::string(100, 'a') + "\\" + std::string(151, 'b');  // 255 characters
    ASSERT_EQ(255u, full.size());
    ASSERT_TRUE(BuildUpPattern(full.c_str(), sz, sizeof sz));
    EXPECT_EQ("C:\\" + std::string(100, 'a') + "\\*", sz);

    std::string endsInColon = std::string(254, 'x') + ":";  // nothing removed, "*" makes 256
    EXPECT_FALSE(BuildUpPattern(endsInColon.c_str(), sz, sizeof sz));
    std::string shorter = std::string(253, 'x') + ":";
    EXPECT_TRUE(BuildUpPattern(shorter.c_str(), sz, sizeof sz));
    EXPECT_EQ(255u, std::string(sz).size());
}

TEST(ChooserLimits, DirectoryNamesOf254AndMoreAreNotListed)
{
    char sz[CHOOSER_TEXT_SIZE];
    std::string name253(253, 'd');
    ASSERT_TRUE(BuildDirectoryEntry(name253.c_str(), false, sz, sizeof sz));
    EXPECT_EQ(255u, std::string(sz).size());
    std::string name254(254, 'd');
    EXPECT_FALSE(BuildDirectoryEntry(name254.c_str(), false, sz, sizeof sz));
    std::string name255(255, 'd');
    EXPECT_FALSE(BuildDirectoryEntry(name255.c_str(), false, sz, sizeof sz));
}

TEST(ChooserLimits, TinyBuffersNeverOverflow)
{
    char sz[4] = {'x', 'x', 'x', 'x'};
    EXPECT_FALSE(BuildStartPattern("C:\\a", sz, sizeof sz));
    EXPECT_EQ('\0', sz[0]);
    EXPECT_FALSE(BuildStartPattern("C:", sz, sizeof sz)) << "C:\\* and its terminator need 5";
    ASSERT_TRUE(BuildStartPattern("C", sz, sizeof sz));
    EXPECT_STREQ("C\\*", sz);
    char szNone[1] = {'x'};
    EXPECT_FALSE(BuildUpPattern("C:\\", szNone, 0)) << "a buffer of no size is left alone";
    EXPECT_EQ('x', szNone[0]);
}
