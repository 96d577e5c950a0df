#include "ProgressTimeline.h"

namespace {

const double SECONDS_PER_MS = 0.001;
const double PERCENT_PER_SECOND = 3.3333333333333335;  // 100 % in 30 s
const double PERCENT_END = 100.0;
const double SLIDES_PER_PERCENT = 0.04;                 // one slide per 25 %

// The 32-bit build computes on the x87 unit, which keeps intermediate results in
// extended precision. Storing a value rounds it to double, so that the hand-over test
// at exactly 30 000 ms (percent exactly 100.0) and the slide boundaries at multiples of
// 7 500 ms come out as in plain double arithmetic.
double AsDouble(double dValue)
{
    volatile double dStored = dValue;
    return dStored;
}

} // namespace

uint32_t ProgressElapsedMs(uint32_t dwStartTick, uint32_t dwNowTick)
{
    return dwNowTick - dwStartTick;
}

double ProgressPercent(uint32_t dwElapsedMs)
{
    double dSeconds = AsDouble(static_cast<double>(dwElapsedMs) * SECONDS_PER_MS);
    return AsDouble(dSeconds * PERCENT_PER_SECOND);
}

ProgressPosition ComputeProgressPosition(uint32_t dwStartTick, uint32_t dwNowTick, bool bInstallDone)
{
    ProgressPosition pos;
    pos.dPercent = ProgressPercent(ProgressElapsedMs(dwStartTick, dwNowTick));
    pos.bHandOver = pos.dPercent > PERCENT_END && bInstallDone;
    if (pos.bHandOver)
        pos.dPercent = PERCENT_END;
    pos.nSlide = static_cast<int>(AsDouble(pos.dPercent * SLIDES_PER_PERCENT));
    if (pos.nSlide >= PROGRESS_SLIDE_COUNT)
        pos.nSlide = PROGRESS_SLIDE_COUNT - 1;
    pos.nBarPos = static_cast<int>(pos.dPercent);
    return pos;
}
