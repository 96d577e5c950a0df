// The arithmetic of the setup window's backdrop: the 256 gradient bands, their colours,
// the title font size search and where the titles and the splash picture go. Everything
// is derived from the client size at paint time. Pure arithmetic, shared by the painter
// and the host tests.
#pragma once

#include <cstdint>

const int BACKDROP_BANDS = 256;

// Title font sizes in tenths of a point: start and step of the size search.
const int TITLE_FONT_START_TENTHS = 100;
const int TITLE_FONT_STEP_TENTHS = 10;

struct BandEdges {
    int top;     // first row of the band
    int bottom;  // first row below the band (equal to top for a band of no height)
};

// Rows of band i (0..255) in a client area nHeight rows high. The band height is held as
// a 32-bit float; both edges are truncated toward zero, so the bands tile 0..nHeight.
BandEdges BackdropBandEdges(int i, int nHeight);

struct BandColour {
    int red, green, blue;
};

// Colour of band i: dark grey at the top, turning towards cyan down the screen.
BandColour BackdropBandColour(int i);

// The same as a Windows COLORREF value: red | green << 8 | blue << 16.
uint32_t BackdropBandColorRef(int i);

// The height of the title font at sizeTenths tenths of a point, for a screen of
// nLogPixelsY pixels per inch: negative, asking for the character height without
// internal leading. At 96 pixels per inch 10, 11 and 12 points give -13, -14 and -16.
int TitleFontHeight(int nLogPixelsY, int nSizeTenths);

// The largest size whose height TitleFontHeight can compute without overflow.
int TitleFontMaxTenths(int nLogPixelsY);

// The search for the title font size. The second title line is measured at 10 points,
// then one point larger at a time, until it is strictly wider than four fifths of the
// client width. The search also stops when a font cannot be made, when the measured
// width stops growing, or at nMaxTenths; the size last measured is then kept.
//
// measure(nSizeTenths, &nWidth) makes the font of that size, measures the line and
// returns false when the font cannot be made. Returns the size in use at the end, or 0
// when not even the first font could be made.
template <typename Measure>
int SearchTitleFontSize(int nClientWidth, int nMaxTenths, Measure measure)
{
    const int nThreshold = (4 * nClientWidth) / 5;
    int nSize = TITLE_FONT_START_TENTHS;
    int nWidth = 0;
    if (nSize > nMaxTenths || !measure(nSize, &nWidth))
        return 0;
    while (nWidth <= nThreshold && nSize <= nMaxTenths - TITLE_FONT_STEP_TENTHS) {
        int nNextSize = nSize + TITLE_FONT_STEP_TENTHS;
        int nNextWidth = 0;
        if (!measure(nNextSize, &nNextWidth))
            break;
        nSize = nNextSize;
        if (nNextWidth <= nWidth)
            break;
        nWidth = nNextWidth;
    }
    return nSize;
}

// Where the titles and the picture go, from the client size and the extent of "i" in
// the title font.
struct BackdropLayout {
    int nShadowOffset;  // d: one third of the "i" width
    int nLineHeight;    // L: five quarters of the "i" height
    int nTopMargin;     // T: one sixteenth of the client height
    int nPictureSide;   // S: the square below the titles; no picture when <= 0
    int nPictureX, nPictureY;
    int nTitleX;        // centre of both title lines (black copy)
    int nTitle1Y, nTitle2Y;
    int nWhiteX;        // the white copy sits d up and to the left
    int nWhite1Y, nWhite2Y;
};

BackdropLayout ComputeBackdropLayout(int nClientWidth, int nClientHeight, int cxLetterI, int cyLetterI);

// Where a minimised window draws its icon (integer division truncating toward zero).
struct IconOrigin {
    int x, y;
};
IconOrigin MinimisedIconOrigin(int nClientWidth, int nClientHeight, int cxIcon, int cyIcon);
