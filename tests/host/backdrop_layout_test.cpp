// The backdrop's arithmetic: band edges and colours, the title font size search and
// the layout of titles and picture.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ui/BackdropLayout.h"

TEST(BackdropBands, HeightSixHundred)
{
    const int H = 600;
    const BandEdges expected[] = {{0, 2}, {2, 4}, {4, 7}, {7, 9}, {9, 11}};
    for (int i = 0; i < 5; ++i) {
        BandEdges edges = BackdropBandEdges(i, H);
        EXPECT_EQ(expected[i].top, edges.top) << "band " << i;
        EXPECT_EQ(expected[i].bottom, edges.bottom) << "band " << i;
    }
    EXPECT_EQ(599, BackdropBandEdges(255, H).bottom - 1) << "the last band ends at row 599";
    EXPECT_EQ(597, BackdropBandEdges(255, H).top);
}

TEST(BackdropBands, TileTheClientAreaWithoutGaps)
{
    for (int H : {1, 100, 255, 256, 257, 600, 764, 768, 1024, 1200, 2160, 4320}) {
        EXPECT_EQ(0, BackdropBandEdges(0, H).top) << H;
        EXPECT_EQ(H, BackdropBandEdges(255, H).bottom) << H;
        for (int i = 0; i < 255; ++i) {
            ASSERT_EQ(BackdropBandEdges(i, H).bottom, BackdropBandEdges(i + 1, H).top) << H << " band " << i;
            ASSERT_EQ(static_cast<long long>(i) * H / 256, BackdropBandEdges(i, H).top) << H << " band " << i;
        }
    }
}

TEST(BackdropBands, LowWindowHasBandsOfNoHeight)
{
    int nEmpty = 0;
    for (int i = 0; i < 256; ++i) {
        BandEdges edges = BackdropBandEdges(i, 100);
        EXPECT_LE(edges.top, edges.bottom);
        nEmpty += edges.top == edges.bottom;
    }
    EXPECT_EQ(156, nEmpty) << "100 rows for 256 bands";
}

TEST(BackdropBands, Colours)
{
    auto rgb = [](int r, int g, int b) { return static_cast<uint32_t>(r | g << 8 | b << 16); };
    EXPECT_EQ(rgb(63, 63, 63), BackdropBandColorRef(0));
    EXPECT_EQ(rgb(63, 63, 63), BackdropBandColorRef(1));
    EXPECT_EQ(rgb(63, 64, 64), BackdropBandColorRef(2));
    EXPECT_EQ(rgb(63, 64, 64), BackdropBandColorRef(3));
    EXPECT_EQ(rgb(62, 65, 65), BackdropBandColorRef(4));
    EXPECT_EQ(rgb(31, 127, 127), BackdropBandColorRef(128));
    EXPECT_EQ(rgb(0, 190, 190), BackdropBandColorRef(255));
    BandColour last = BackdropBandColour(255);
    EXPECT_EQ(0, last.red);
    EXPECT_EQ(190, last.green);
    EXPECT_EQ(190, last.blue);
}

TEST(BackdropTitleFont, HeightsAtNinetySixDpi)
{
    EXPECT_EQ(-13, TitleFontHeight(96, 100));
    EXPECT_EQ(-14, TitleFontHeight(96, 110));
    EXPECT_EQ(-16, TitleFontHeight(96, 120));
    EXPECT_EQ(-16, TitleFontHeight(120, 100));
    EXPECT_GT(0, TitleFontHeight(96, TitleFontMaxTenths(96))) << "the largest size still computes";
}

namespace {

// Widths of the second title line as a font would give them: proportional to the size.
struct LinearFont {
    int nPixelsPerPoint;
    std::vector<int> tried;
    bool operator()(int nSizeTenths, int* pWidth)
    {
        tried.push_back(nSizeTenths);
        *pWidth = nSizeTenths / 10 * nPixelsPerPoint;
        return true;
    }
};

} // namespace

TEST(BackdropTitleFont, FirstSizeStrictlyWiderThanFourFifths)
{
    // W = 1000: threshold 800. 16 pixels per point: 50 points give exactly 800 (not
    // wider), 51 points 816.
    LinearFont font{16, {}};
    EXPECT_EQ(510, SearchTitleFontSize(1000, TitleFontMaxTenths(96), std::ref(font)));
    ASSERT_EQ(42u, font.tried.size()) << "10 to 51 points, one font per point";
    EXPECT_EQ(100, font.tried.front());
    EXPECT_EQ(510, font.tried.back());
}

TEST(BackdropTitleFont, ThresholdUsesIntegerDivision)
{
    // W = 1024: (4 * 1024) / 5 = 819. 819 is not wider; 820 is.
    int nCalls = 0;
    auto measure = [&](int nSizeTenths, int* pWidth) {
        ++nCalls;
        *pWidth = nSizeTenths == 100 ? 819 : 820;
        return true;
    };
    EXPECT_EQ(110, SearchTitleFontSize(1024, 100000, measure));
    EXPECT_EQ(2, nCalls);
}

TEST(BackdropTitleFont, NarrowWindowKeepsTenPoints)
{
    LinearFont font{16, {}};
    EXPECT_EQ(100, SearchTitleFontSize(150, TitleFontMaxTenths(96), std::ref(font)));
    EXPECT_EQ(1u, font.tried.size());
}

TEST(BackdropTitleFont, StopsWhenAFontCannotBeMade)
{
    auto measure = [](int nSizeTenths, int* pWidth) {
        *pWidth = nSizeTenths;
        return nSizeTenths < 150;
    };
    EXPECT_EQ(140, SearchTitleFontSize(100000, 100000, measure)) << "the last font that was made stays";
    auto none = [](int, int*) { return false; };
    EXPECT_EQ(0, SearchTitleFontSize(1000, 100000, none));
}

TEST(BackdropTitleFont, StopsWhenTheWidthStopsGrowing)
{
    auto measure = [](int nSizeTenths, int* pWidth) {
        *pWidth = nSizeTenths < 300 ? nSizeTenths : 300;
        return true;
    };
    EXPECT_EQ(310, SearchTitleFontSize(100000, 100000, measure));
}

TEST(BackdropTitleFont, StopsAtTheLargestComputableSize)
{
    LinearFont font{1, {}};
    EXPECT_EQ(250, SearchTitleFontSize(1000000, 255, std::ref(font)));
    EXPECT_EQ(250, font.tried.back());
    auto never = [](int, int*) -> bool {
        ADD_FAILURE() << "nothing may be measured above the limit";
        return false;
    };
    EXPECT_EQ(0, SearchTitleFontSize(1000, 99, never));
}

TEST(BackdropLayout, WorkedExample)
{
    BackdropLayout layout = ComputeBackdropLayout(1024, 768, 9, 44);
    EXPECT_EQ(3, layout.nShadowOffset);
    EXPECT_EQ(55, layout.nLineHeight);
    EXPECT_EQ(48, layout.nTopMargin);
    EXPECT_EQ(562, layout.nPictureSide);
    EXPECT_EQ(231, layout.nPictureX);
    EXPECT_EQ(792, layout.nPictureX + layout.nPictureSide - 1);
    EXPECT_EQ(158, layout.nPictureY);
    EXPECT_EQ(719, layout.nPictureY + layout.nPictureSide - 1);
    EXPECT_EQ(512, layout.nTitleX);
    EXPECT_EQ(48, layout.nTitle1Y);
    EXPECT_EQ(103, layout.nTitle2Y);
    EXPECT_EQ(509, layout.nWhiteX);
    EXPECT_EQ(45, layout.nWhite1Y);
    EXPECT_EQ(100, layout.nWhite2Y);
    EXPECT_EQ(768 - 48, layout.nPictureY + layout.nPictureSide) << "bottom margin equals the top margin";
}

TEST(BackdropLayout, NarrowLetterGivesNoShadowOffset)
{
    BackdropLayout layout = ComputeBackdropLayout(300, 200, 2, 16);
    EXPECT_EQ(0, layout.nShadowOffset);
    EXPECT_EQ(layout.nTitleX, layout.nWhiteX);
    EXPECT_EQ(layout.nTitle1Y, layout.nWhite1Y);
    EXPECT_EQ(20, layout.nLineHeight);
    EXPECT_EQ(12, layout.nTopMargin);
    EXPECT_EQ(200 - 2 * (12 + 20), layout.nPictureSide);
}

TEST(BackdropLayout, LowWindowLeavesNoSquare)
{
    BackdropLayout layout = ComputeBackdropLayout(800, 50, 3, 20);
    EXPECT_GE(0, layout.nPictureSide);
    BackdropLayout odd = ComputeBackdropLayout(1023, 767, 8, 43);
    EXPECT_EQ(47, odd.nTopMargin);
    EXPECT_EQ(53, odd.nLineHeight);
    EXPECT_EQ(767 - 2 * (47 + 53), odd.nPictureSide);
    EXPECT_EQ((1023 - odd.nPictureSide) / 2, odd.nPictureX);
    EXPECT_EQ(511, odd.nTitleX);
    EXPECT_EQ(2, odd.nShadowOffset);
}

TEST(BackdropIcon, CentredWithTruncatingDivision)
{
    IconOrigin origin = MinimisedIconOrigin(160, 28, 32, 32);
    EXPECT_EQ(64, origin.x);
    EXPECT_EQ(-1, origin.y) << "(28 - 32 + 1) / 2 truncates toward zero";
    origin = MinimisedIconOrigin(33, 33, 32, 32);
    EXPECT_EQ(1, origin.x);
    EXPECT_EQ(1, origin.y);
}
