// The framework's portable pieces: the string class and the centring arithmetic.
#include <gtest/gtest.h>

#include <string>

#include "framework/Centering.h"
#include "framework/String.h"

TEST(CString, FormatTakesAnyLengthAndShowsArgumentsLiterally)
{
    CString str;
    std::string longPath(600, 'x');
    str.Format("<%s>", longPath.c_str());
    EXPECT_EQ(602, str.GetLength());
    str.Format("The directory <%s>", "C:\\100%s\\%d");
    EXPECT_STREQ("The directory <C:\\100%s\\%d>", str);
}

TEST(CString, MakeLowerAndFind)
{
    CString str("\"C:\\Media\\SETUP.EXE\" -AutoRun");
    str.MakeLower();
    EXPECT_STREQ("\"c:\\media\\setup.exe\" -autorun", str);
    EXPECT_EQ(21, str.Find("-autorun"));
    EXPECT_EQ(-1, str.Find("-restart"));
}

// The string owns its block: copies do not share it, and text taken from the string
// itself survives the block's growth.
TEST(CString, CopiesAreIndependentAndSelfReferenceSurvivesGrowth)
{
    CString a("abc");
    CString b(a);
    b += "def";
    EXPECT_STREQ("abc", a);
    EXPECT_STREQ("abcdef", b);

    for (int i = 0; i < 6; ++i)
        a += a.GetString();
    EXPECT_EQ(3 * 64, a.GetLength());
    EXPECT_EQ(0, a.Find("abcabc"));
    a = a.GetString() + 189;
    EXPECT_STREQ("abc", a);

    a.Format("<%s|%s>", a.GetString(), std::string(300, 'y').c_str());
    EXPECT_EQ(306, a.GetLength());
    EXPECT_EQ(0, a.Find("<abc|yyy"));

    CString moved(static_cast<CString&&>(b));
    EXPECT_STREQ("abcdef", moved);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_STREQ("", b);
}

TEST(Centering, CentresOverTheOwner)
{
    CenterPoint pt = CenteredOrigin(100, 50, CenterRect{0, 0, 1024, 768}, CenterRect{0, 0, 1024, 738});
    EXPECT_EQ(462, pt.x);
    EXPECT_EQ(359, pt.y);
}

TEST(Centering, StaysInsideTheWorkArea)
{
    // An owner near the bottom-right corner would push the window off the work area.
    CenterPoint pt = CenteredOrigin(300, 200, CenterRect{900, 700, 1000, 760}, CenterRect{0, 0, 1024, 738});
    EXPECT_EQ(724, pt.x);
    EXPECT_EQ(538, pt.y);
    // Larger than the work area: the top-left corner stays visible.
    pt = CenteredOrigin(2000, 1000, CenterRect{0, 0, 1024, 768}, CenterRect{0, 0, 1024, 738});
    EXPECT_EQ(0, pt.x);
    EXPECT_EQ(0, pt.y);
}
