// The progress dialog's timeline: bar position, slide and hand-over against elapsed time.
#include <gtest/gtest.h>

#include <cstdint>

#include "ui/ProgressTimeline.h"

namespace {

const uint32_t START = 5000;

ProgressPosition At(uint32_t dwElapsedMs, bool bInstallDone = false)
{
    return ComputeProgressPosition(START, START + dwElapsedMs, bInstallDone);
}

} // namespace

TEST(ProgressTimeline, PercentIsElapsedOverThreeHundredMilliseconds)
{
    EXPECT_EQ(0.0, ProgressPercent(0));
    EXPECT_EQ(1.0, ProgressPercent(300));
    EXPECT_EQ(25.0, ProgressPercent(7500));
    EXPECT_EQ(50.0, ProgressPercent(15000));
    EXPECT_EQ(100.0, ProgressPercent(30000));
    EXPECT_LT(ProgressPercent(299), 1.0);
    EXPECT_GT(ProgressPercent(30001), 100.0);
}

TEST(ProgressTimeline, FirstSlideBoundaryFallsAtSevenAndAHalfSeconds)
{
    ProgressPosition before = At(7499);
    EXPECT_EQ(0, before.nSlide);
    EXPECT_EQ(24, before.nBarPos);
    EXPECT_NEAR(24.99666, before.dPercent, 0.00001);
    ProgressPosition at = At(7500);
    EXPECT_EQ(1, at.nSlide);
    EXPECT_EQ(25, at.nBarPos);
}

TEST(ProgressTimeline, EverySlideBoundaryFallsAtAMultipleOfSevenAndAHalfSeconds)
{
    const uint32_t boundaries[] = {7500, 15000, 22500};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, At(boundaries[i] - 1).nSlide) << boundaries[i] - 1;
        EXPECT_EQ(i + 1, At(boundaries[i]).nSlide) << boundaries[i];
        EXPECT_EQ(static_cast<int>(boundaries[i] / 300 - 1), At(boundaries[i] - 1).nBarPos);
        EXPECT_EQ(static_cast<int>(boundaries[i] / 300), At(boundaries[i]).nBarPos);
    }
}

TEST(ProgressTimeline, BarMovesOnePercentEveryThreeHundredMilliseconds)
{
    for (uint32_t ms = 0; ms <= 30000; ms += 150)
        EXPECT_EQ(static_cast<int>(ms / 300), At(ms).nBarPos) << ms;
    EXPECT_EQ(0, At(299).nBarPos);
    EXPECT_EQ(1, At(300).nBarPos);
    EXPECT_EQ(99, At(29999).nBarPos);
}

TEST(ProgressTimeline, JustBeforeThirtySecondsIsTheLastSlideWithoutHandOver)
{
    ProgressPosition pos = At(29999, true);
    EXPECT_EQ(3, pos.nSlide);
    EXPECT_EQ(99, pos.nBarPos);
    EXPECT_FALSE(pos.bHandOver);
}

TEST(ProgressTimeline, ExactlyThirtySecondsIsAFullBarButNoHandOver)
{
    ProgressPosition pos = At(30000, true);
    EXPECT_EQ(100.0, pos.dPercent) << "percent is exactly 100.0, which is not greater";
    EXPECT_FALSE(pos.bHandOver);
    EXPECT_EQ(100, pos.nBarPos);
    EXPECT_EQ(3, pos.nSlide) << "slide 4 is held at the last one";
}

TEST(ProgressTimeline, OneMillisecondPastThirtySecondsHandsOverOnceTheWorkIsDone)
{
    ProgressPosition done = At(30001, true);
    EXPECT_TRUE(done.bHandOver);
    EXPECT_EQ(100.0, done.dPercent);
    EXPECT_EQ(100, done.nBarPos);
    EXPECT_EQ(3, done.nSlide);

    ProgressPosition working = At(30001, false);
    EXPECT_FALSE(working.bHandOver);
    EXPECT_GT(working.dPercent, 100.0);
    EXPECT_EQ(100, working.nBarPos);
    EXPECT_EQ(3, working.nSlide);
}

TEST(ProgressTimeline, FortyFiveSecondJobRunsPastAHundredUntilTheWorkIsDone)
{
    // The work ends at 45 s: until then the bar goes on above 100 on the last slide.
    ProgressPosition at40 = At(40000, false);
    EXPECT_FALSE(at40.bHandOver);
    EXPECT_EQ(133, at40.nBarPos);
    EXPECT_EQ(3, at40.nSlide);
    ProgressPosition at45 = At(45000, false);
    EXPECT_FALSE(at45.bHandOver);
    EXPECT_EQ(150, at45.nBarPos) << "a value above 100 is sent unchanged while the work goes on";
    EXPECT_EQ(3, at45.nSlide);
    // The first tick after the work is done hands over with a full bar.
    ProgressPosition after = At(45100, true);
    EXPECT_TRUE(after.bHandOver);
    EXPECT_EQ(100, after.nBarPos);
    EXPECT_EQ(3, after.nSlide);
}

TEST(ProgressTimeline, FiveSecondJobStillShowsEverySlideAndHandsOverAfterThirtySeconds)
{
    int nLastSlide = -1;
    int nSlidesSeen = 0;
    for (uint32_t ms = 0; ms <= 30000; ms += 100) {
        ProgressPosition pos = At(ms, ms >= 5000);
        EXPECT_FALSE(pos.bHandOver) << ms;
        if (pos.nSlide != nLastSlide) {
            EXPECT_EQ(nLastSlide + 1, pos.nSlide) << ms;
            nLastSlide = pos.nSlide;
            ++nSlidesSeen;
        }
    }
    EXPECT_EQ(4, nSlidesSeen);
    EXPECT_TRUE(At(30100, true).bHandOver);
}

TEST(ProgressTimeline, ElapsedTimeIsRightAcrossTheTickCounterWrap)
{
    const uint32_t start = 0xFFFFF000u;  // 4 096 ms before the wrap
    EXPECT_EQ(4096u + 3404u, ProgressElapsedMs(start, 3404u));
    ProgressPosition pos = ComputeProgressPosition(start, 3404u, false);  // 7 500 ms elapsed
    EXPECT_EQ(25.0, pos.dPercent);
    EXPECT_EQ(1, pos.nSlide);
    ProgressPosition late = ComputeProgressPosition(start, start + 30001u, true);
    EXPECT_TRUE(late.bHandOver);
    ProgressPosition exact = ComputeProgressPosition(start, start + 30000u, true);
    EXPECT_FALSE(exact.bHandOver);
}

TEST(ProgressTimeline, HugeElapsedTimeStaysOnTheLastSlide)
{
    ProgressPosition pos = ComputeProgressPosition(1, 0, false);  // 2^32 - 1 ms
    EXPECT_EQ(3, pos.nSlide);
    EXPECT_EQ(14316557, pos.nBarPos);
    EXPECT_FALSE(pos.bHandOver);
}
