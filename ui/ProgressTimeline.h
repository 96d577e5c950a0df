// The progress dialog's timeline: where the bar and the slideshow stand after a given
// time, and when the dialog hands over to the completion. Plain arithmetic, shared by
// the dialog and the host tests.
#pragma once

#include <cstdint>

// Number of slides in the slideshow.
const int PROGRESS_SLIDE_COUNT = 4;

struct ProgressPosition {
    double dPercent;  // elapsed / 300 ms, held at 100.0 once the dialog hands over
    int nSlide;       // 0 to PROGRESS_SLIDE_COUNT - 1
    int nBarPos;      // dPercent truncated; above 100 while the work goes on past 30 s
    bool bHandOver;   // more than 30 s have passed and the work is done
};

// Milliseconds from dwStartTick to dwNowTick, right across the wrap of the tick counter.
uint32_t ProgressElapsedMs(uint32_t dwStartTick, uint32_t dwNowTick);

// Percent of the 30-second run: elapsed x 0.001 x 3.3333333333333335, in double precision.
double ProgressPercent(uint32_t dwElapsedMs);

// Where the dialog stands dwNowTick after dwStartTick; bInstallDone is the setup window's flag.
ProgressPosition ComputeProgressPosition(uint32_t dwStartTick, uint32_t dwNowTick, bool bInstallDone);
