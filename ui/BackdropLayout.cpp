#include "BackdropLayout.h"

#include <climits>

BandEdges BackdropBandEdges(int i, int nHeight)
{
    // H / 256 and its products with i up to 256 are exact in a float for any real screen
    // height, so the edges are the exact floor of i * H / 256.
    const float fBandHeight = static_cast<float>(nHeight) / static_cast<float>(BACKDROP_BANDS);
    BandEdges edges;
    edges.top = static_cast<int>(static_cast<float>(i) * fBandHeight);
    edges.bottom = static_cast<int>(static_cast<float>(i + 1) * fBandHeight);
    return edges;
}

BandColour BackdropBandColour(int i)
{
    BandColour colour;
    colour.red = 63 - i / 4;
    colour.green = 63 + i / 2;
    colour.blue = 63 + i / 2;
    return colour;
}

uint32_t BackdropBandColorRef(int i)
{
    BandColour colour = BackdropBandColour(i);
    return static_cast<uint32_t>(colour.red) | static_cast<uint32_t>(colour.green) << 8 |
           static_cast<uint32_t>(colour.blue) << 16;
}

int TitleFontHeight(int nLogPixelsY, int nSizeTenths)
{
    return -(nLogPixelsY * nSizeTenths / 720);
}

int TitleFontMaxTenths(int nLogPixelsY)
{
    return nLogPixelsY > 0 ? INT_MAX / nLogPixelsY : INT_MAX;
}

BackdropLayout ComputeBackdropLayout(int nClientWidth, int nClientHeight, int cxLetterI, int cyLetterI)
{
    BackdropLayout layout;
    layout.nShadowOffset = cxLetterI / 3;
    layout.nLineHeight = (5 * cyLetterI) / 4;
    layout.nTopMargin = nClientHeight / 16;
    layout.nPictureSide = nClientHeight - 2 * (layout.nTopMargin + layout.nLineHeight);
    layout.nPictureX = (nClientWidth - layout.nPictureSide) / 2;
    layout.nPictureY = layout.nTopMargin + 2 * layout.nLineHeight;
    layout.nTitleX = nClientWidth / 2;
    layout.nTitle1Y = layout.nTopMargin;
    layout.nTitle2Y = layout.nTopMargin + layout.nLineHeight;
    layout.nWhiteX = layout.nTitleX - layout.nShadowOffset;
    layout.nWhite1Y = layout.nTitle1Y - layout.nShadowOffset;
    layout.nWhite2Y = layout.nTitle2Y - layout.nShadowOffset;
    return layout;
}

IconOrigin MinimisedIconOrigin(int nClientWidth, int nClientHeight, int cxIcon, int cyIcon)
{
    IconOrigin origin;
    origin.x = (nClientWidth - cxIcon + 1) / 2;
    origin.y = (nClientHeight - cyIcon + 1) / 2;
    return origin;
}
