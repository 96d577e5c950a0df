// The setup window's backdrop: a gradient of 256 bands, the two shadowed title lines and
// the splash picture, all derived from the client size at every paint; the icon alone
// when the window is minimised.
#pragma once

#include <windows.h>

#include "../framework/Gdi.h"

extern const char* const g_pszTitle1;
extern const char* const g_pszTitle2;

// The whole WM_PAINT of a backdrop window: BeginPaint, the drawing, EndPaint. Every GDI
// object it creates is deleted before it returns.
void PaintBackdrop(HWND hWnd, HICON hIcon);

// Pixels per inch of the screen, vertically.
int ScreenLogPixelsY();

// The title font of one size (tenths of a point) for a screen of nLogPixelsY pixels per
// inch; null when it cannot be made.
CFont CreateTitleFont(int nLogPixelsY, int nSizeTenths);

// Chooses the title font for a client area nClientWidth wide by measuring the second
// title line in hdc, and leaves it selected there until destruction, when the DC's own
// font is put back and the title font deleted.
class CTitleFont {
public:
    CTitleFont(HDC hdc, int nClientWidth);
    ~CTitleFont();
    CTitleFont(const CTitleFont&) = delete;
    CTitleFont& operator=(const CTitleFont&) = delete;

    // The size chosen, in tenths of a point; 0 when no title font could be made (the
    // DC's own font is used then).
    int SizeTenths() const { return m_nSizeTenths; }

private:
    bool SelectSize(int nSizeTenths, int* pWidth);

    HDC m_hDC;
    int m_nLogPixelsY;
    HGDIOBJ m_hOriginalFont;
    CFont m_font;
    int m_nSizeTenths;
};
