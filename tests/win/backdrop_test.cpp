// The backdrop as it appears on the 24-bit screen. The built Setup.exe is started and its
// window checked as the program makes it (styles, place, the Cancel of its first page);
// the test reads the screen back: the band colours row by row, the splash picture in its
// square, the white titles over their black shadows. Windows of the test's own paint the
// cases the program cannot show: the font size of a narrow window, the picture left out
// of a window too low for it, the minimised case, and the GDI objects each paint creates
// and gives back. Screenshots go to <build>/win/screenshots.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "res/resource.h"
#include "ui/Backdrop.h"
#include "ui/BackdropLayout.h"
#include "uidriver/UiDriver.h"

namespace {

// Lets the windows of this thread paint and Wine put the result on the screen.
void Pump(DWORD dwMs)
{
    DWORD dwStart = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - dwStart < dwMs);
}

void Repaint(HWND hWnd)
{
    InvalidateRect(hWnd, NULL, FALSE);
    UpdateWindow(hWnd);
}

// The screen, read once: 32-bit pixels, top row first.
class ScreenImage {
public:
    ScreenImage()
    {
        m_cx = GetSystemMetrics(SM_CXSCREEN);
        m_cy = GetSystemMetrics(SM_CYSCREEN);
        CClientDC screen(NULL);
        CDC memory;
        memory.CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_cx;
        info.bmiHeader.biHeight = -m_cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pBits = NULL;
        CBitmap dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pBits, NULL, 0));
        if (dib.IsNull() || !pBits)
            return;
        {
            CSelectObject selected(memory, dib);
            BitBlt(memory, 0, 0, m_cx, m_cy, screen, 0, 0, SRCCOPY);
        }
        GdiFlush();
        const DWORD* pPixels = static_cast<const DWORD*>(pBits);
        m_pixels.assign(pPixels, pPixels + static_cast<size_t>(m_cx) * m_cy);
    }

    bool Valid() const { return !m_pixels.empty(); }
    bool operator==(const ScreenImage& other) const { return m_pixels == other.m_pixels; }
    // As a COLORREF: red in the low byte.
    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_cx || y >= m_cy)
            return CLR_INVALID;
        DWORD bgr = m_pixels[static_cast<size_t>(y) * m_cx + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

private:
    int m_cx = 0, m_cy = 0;
    std::vector<DWORD> m_pixels;
};

std::string Rgb(COLORREF colour)
{
    char sz[32];
    wsprintfA(sz, "RGB(%d, %d, %d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return sz;
}

COLORREF BandColour(int i)
{
    return static_cast<COLORREF>(BackdropBandColorRef(i));
}

// The band that covers client row y.
int BandOfRow(int y, int nHeight)
{
    for (int i = 0; i < BACKDROP_BANDS; ++i) {
        BandEdges edges = BackdropBandEdges(i, nHeight);
        if (y >= edges.top && y < edges.bottom)
            return i;
    }
    return -1;
}

void Screenshot(const char* pszName, HWND hWnd = NULL)
{
    std::string dir = uidriver::ModuleDirectory() + "..\\screenshots\\";
    CreateDirectoryA(dir.c_str(), NULL);
    EXPECT_TRUE(uidriver::SaveScreenshot(dir + pszName, hWnd)) << pszName;
}

// What the backdrop of a client area should look like, worked out with a font of the
// size the painter chooses.
struct Expected {
    int nWidth, nHeight;
    int nSizeTenths;
    SIZE letterI;
    SIZE title1, title2;
    BackdropLayout layout;
};

Expected ExpectedBackdrop(HWND hWnd)
{
    Expected e = {};
    RECT rc;
    GetClientRect(hWnd, &rc);
    e.nWidth = rc.right;
    e.nHeight = rc.bottom;
    // Measured on the screen, where every window of the test paints: the window may be
    // another process's.
    CClientDC dc(NULL);
    CTitleFont font(dc, e.nWidth);
    e.nSizeTenths = font.SizeTenths();
    GetTextExtentPointA(dc, "i", 1, &e.letterI);
    GetTextExtentPointA(dc, g_pszTitle1, lstrlenA(g_pszTitle1), &e.title1);
    GetTextExtentPointA(dc, g_pszTitle2, lstrlenA(g_pszTitle2), &e.title2);
    e.layout = ComputeBackdropLayout(e.nWidth, e.nHeight, e.letterI.cx, e.letterI.cy);
    return e;
}

// Width of the second title line in the title font of one size, measured independently
// of the painter's search.
int TitleWidthAt(int nSizeTenths)
{
    CClientDC dc(NULL);
    CFont font = CreateTitleFont(ScreenLogPixelsY(), nSizeTenths);
    CSelectObject selected(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPointA(dc, g_pszTitle2, lstrlenA(g_pszTitle2), &size);
    return size.cx;
}

// Pure white and pure black pixels of one title line, in client coordinates.
struct Ink {
    int nCount = 0;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    void Add(int x, int y)
    {
        ++nCount;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

void FindInk(const ScreenImage& screen, POINT origin, int nWidth, int yFrom, int yTo, Ink* pWhite, Ink* pBlack)
{
    for (int y = std::max(0, yFrom); y < yTo; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            COLORREF c = screen.At(origin.x + x, origin.y + y);
            if (c == RGB(255, 255, 255))
                pWhite->Add(x, y);
            else if (c == RGB(0, 0, 0))
                pBlack->Add(x, y);
        }
    }
}

// --- The setup program's window ---------------------------------------------------------

const DWORD PROGRAM_MS = 30000;

// Waits until two readings of the screen 100 ms apart are the same.
bool WaitScreenSettled(DWORD dwTimeoutMs)
{
    ScreenImage previous;
    DWORD dwStart = GetTickCount();
    do {
        Sleep(100);
        ScreenImage now;
        if (now.Valid() && now == previous)
            return true;
        previous = now;
    } while (GetTickCount() - dwStart < dwTimeoutMs);
    return false;
}

// Setup.exe beside this test, started as a user starts it and left at its welcome page,
// for the tests of its window. The page stands in the middle of the backdrop: it is moved
// off the screen, and the program paints what it uncovers. A test that finds the program
// gone starts it again; the last one cancels it.
class SetupProgram : public ::testing::Test {
protected:
    static void TearDownTestSuite() { s_process = uidriver::Process(); }

    // The setup window with the whole backdrop on the screen; NULL when there is none.
    static HWND Window()
    {
        if (s_hWnd && IsWindow(s_hWnd) && IsWindow(s_hWelcome))
            return s_hWnd;
        s_process = uidriver::Launch(uidriver::ModuleDirectory() + "Setup.exe", "");
        s_hWnd = uidriver::WaitForWindow("Pelorin Setup", PROGRAM_MS, s_process.Id());
        s_hWelcome = uidriver::WaitForWindow("Welcome...", PROGRAM_MS, s_process.Id(), "#32770");
        EXPECT_TRUE(s_hWnd != NULL) << "no window titled \"Pelorin Setup\"";
        EXPECT_TRUE(s_hWelcome != NULL) << "no welcome page";
        if (!s_hWnd || !s_hWelcome)
            return NULL;
        SetWindowPos(s_hWelcome, NULL, -2 * GetSystemMetrics(SM_CXSCREEN), 0, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RedrawWindow(s_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(uidriver::WaitIdle(s_hWnd));
        EXPECT_TRUE(WaitScreenSettled(5000)) << "the screen kept changing";
        return s_hWnd;
    }

    static uidriver::Process s_process;
    static HWND s_hWnd;
    static HWND s_hWelcome;
};

uidriver::Process SetupProgram::s_process;
HWND SetupProgram::s_hWnd = NULL;
HWND SetupProgram::s_hWelcome = NULL;

// --- Windows of the test's own ------------------------------------------------------------

// A backdrop window of any size, topmost, that also notes the icon-background erase of
// the minimised case.
class BackdropWindow : public CWnd {
public:
    BackdropWindow(int x, int y, int cx, int cy, bool bClassIcon = true)
    {
        m_hIcon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_SETUP));
        const char* pszClass = RegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursorA(NULL, IDC_ARROW), NULL,
                                                bClassIcon ? m_hIcon : NULL);
        CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, pszClass, "Backdrop test", WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS,
                 x, y, cx, cy, NULL, 0);
        UpdateWindow();
        Pump(400);
    }
    ~BackdropWindow() override
    {
        DestroyWindow();
        Pump(100);
    }

    HICON m_hIcon;
    int m_nIconErases = 0;
    int m_nPaints = 0;
    HDC m_hEraseDC = NULL;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (message == WM_PAINT) {
            ++m_nPaints;
            PaintBackdrop(m_hWnd, m_hIcon);
            *pResult = 0;
            return TRUE;
        }
        if (message == WM_ICONERASEBKGND) {
            ++m_nIconErases;
            m_hEraseDC = reinterpret_cast<HDC>(wParam);
        }
        return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    }
};

POINT ClientOrigin(HWND hWnd)
{
    POINT origin = {0, 0};
    ClientToScreen(hWnd, &origin);
    return origin;
}

// Checks that every row of column x shows the colour of its band, from yFrom to yTo.
void ExpectBandsInColumn(const ScreenImage& screen, POINT origin, int x, int yFrom, int yTo, int nHeight)
{
    int nWrong = 0;
    for (int y = yFrom; y < yTo; ++y) {
        COLORREF expected = BandColour(BandOfRow(y, nHeight));
        COLORREF actual = screen.At(origin.x + x, origin.y + y);
        if (actual != expected && ++nWrong <= 5)
            ADD_FAILURE() << "column " << x << " row " << y << ": " << Rgb(actual) << ", band "
                          << BandOfRow(y, nHeight) << " is " << Rgb(expected);
    }
    EXPECT_EQ(0, nWrong) << "rows with the wrong colour in column " << x;
}

// --- The setup window ------------------------------------------------------------------------

TEST_F(SetupProgram, WindowIsADisabledTopmostPopupCoveringTheScreen)
{
    HWND hWnd = Window();
    ASSERT_TRUE(hWnd != NULL);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_MAXIMIZE),
              GetWindowLongA(hWnd, GWL_STYLE));
    EXPECT_EQ(static_cast<LONG>(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE), GetWindowLongA(hWnd, GWL_EXSTYLE));
    EXPECT_FALSE(IsWindowEnabled(hWnd));
    // Maximised, its sunken edge lies just off the screen and the client area is the screen.
    RECT rcClient;
    GetClientRect(hWnd, &rcClient);
    POINT origin = ClientOrigin(hWnd);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(0, origin.y);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rcClient.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), rcClient.bottom);
    Screenshot("backdrop-setup-window.png");
}

TEST_F(SetupProgram, BandsShowTheirColoursOnEveryRow)
{
    HWND hWnd = Window();
    ASSERT_TRUE(hWnd != NULL);
    Expected e = ExpectedBackdrop(hWnd);
    ScreenImage screen;
    ASSERT_TRUE(screen.Valid());
    POINT origin = ClientOrigin(hWnd);
    const BackdropLayout& l = e.layout;

    // Columns left and right of the titles and the picture carry the bare gradient.
    const int nTitleLeft = e.nWidth / 2 - l.nShadowOffset - e.title2.cx / 2;
    ASSERT_GT(nTitleLeft, 8) << "the titles leave the left edge free";
    ASSERT_GT(l.nPictureX, 8);
    for (int x : {0, 4, e.nWidth - 5, e.nWidth - 1})
        ExpectBandsInColumn(screen, origin, x, 0, e.nHeight, e.nHeight);

    // The rows the bands of the checks fall on.
    BandEdges top = BackdropBandEdges(0, e.nHeight);
    BandEdges middle = BackdropBandEdges(128, e.nHeight);
    BandEdges bottom = BackdropBandEdges(255, e.nHeight);
    EXPECT_EQ(RGB(63, 63, 63), screen.At(origin.x + 4, origin.y + top.top));
    EXPECT_EQ(RGB(63, 63, 63), screen.At(origin.x + 4, origin.y + top.bottom - 1));
    EXPECT_EQ(RGB(31, 127, 127), screen.At(origin.x + 4, origin.y + middle.top));
    EXPECT_EQ(RGB(31, 127, 127), screen.At(origin.x + 4, origin.y + middle.bottom - 1));
    EXPECT_EQ(RGB(0, 190, 190), screen.At(origin.x + 4, origin.y + bottom.top));
    EXPECT_EQ(RGB(0, 190, 190), screen.At(origin.x + 4, origin.y + e.nHeight - 1));
    EXPECT_EQ(RGB(0, 190, 190), uidriver::ScreenPixel(origin.x + e.nWidth - 1, origin.y + e.nHeight - 1))
        << "the UI driver reads the same screen";
    EXPECT_NE(BandColour(127), screen.At(origin.x + 4, origin.y + middle.top)) << "band 128 starts where computed";
    EXPECT_EQ(BandColour(127), screen.At(origin.x + 4, origin.y + middle.top - 1));

    // Whole rows of the bottom margin, under the picture, are gradient from edge to edge.
    for (int y = l.nPictureY + l.nPictureSide; y < e.nHeight; y += 7) {
        for (int x = 0; x < e.nWidth; ++x) {
            ASSERT_EQ(BandColour(BandOfRow(y, e.nHeight)), screen.At(origin.x + x, origin.y + y))
                << "row " << y << " column " << x;
        }
    }
}

TEST_F(SetupProgram, PictureFillsItsSquare)
{
    HWND hWnd = Window();
    ASSERT_TRUE(hWnd != NULL);
    Expected e = ExpectedBackdrop(hWnd);
    const BackdropLayout& l = e.layout;
    ASSERT_GT(l.nPictureSide, 100);
    EXPECT_EQ(e.nHeight - l.nTopMargin, l.nPictureY + l.nPictureSide) << "bottom margin equals the top margin";
    ScreenImage screen;
    ASSERT_TRUE(screen.Valid());
    POINT origin = ClientOrigin(hWnd);

    // The bitmap stretched the same way into memory, to compare with the screen.
    CClientDC dc(NULL);
    CBitmap splash;
    ASSERT_TRUE(splash.LoadBitmap(GetModuleHandleA(NULL), IDB_SPLASH));
    BITMAP info;
    ASSERT_TRUE(splash.GetBitmap(&info));
    EXPECT_EQ(500, info.bmWidth);
    EXPECT_EQ(500, info.bmHeight);
    CDC source, target;
    source.CreateCompatibleDC(dc);
    target.CreateCompatibleDC(dc);
    CBitmap stretched;
    stretched.Attach(CreateCompatibleBitmap(dc, l.nPictureSide, l.nPictureSide));
    {
        CSelectObject sourceSelected(source, splash);
        CSelectObject targetSelected(target, stretched);
        StretchBlt(target, 0, 0, l.nPictureSide, l.nPictureSide, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        int nCompared = 0, nDifferent = 0;
        for (int y = 0; y < l.nPictureSide; y += 3) {
            for (int x = 0; x < l.nPictureSide; x += 3) {
                ++nCompared;
                COLORREF expected = GetPixel(target, x, y);
                COLORREF actual = screen.At(origin.x + l.nPictureX + x, origin.y + l.nPictureY + y);
                if (expected != actual && ++nDifferent <= 5)
                    ADD_FAILURE() << "picture pixel " << x << "," << y << ": " << Rgb(actual) << " instead of "
                                  << Rgb(expected);
            }
        }
        EXPECT_EQ(0, nDifferent) << "of " << nCompared << " picture pixels";
    }

    // Its corners are the picture's, not the gradient; just outside, the gradient goes on.
    const int x0 = l.nPictureX, y0 = l.nPictureY, x1 = l.nPictureX + l.nPictureSide - 1, y1 = y0 + l.nPictureSide - 1;
    for (POINT corner : {POINT{x0, y0}, POINT{x1, y0}, POINT{x0, y1}, POINT{x1, y1}}) {
        EXPECT_NE(BandColour(BandOfRow(corner.y, e.nHeight)), screen.At(origin.x + corner.x, origin.y + corner.y))
            << "corner " << corner.x << "," << corner.y;
    }
    for (int y = y0; y <= y1; y += 11) {
        EXPECT_EQ(BandColour(BandOfRow(y, e.nHeight)), screen.At(origin.x + x0 - 1, origin.y + y)) << "row " << y;
        EXPECT_EQ(BandColour(BandOfRow(y, e.nHeight)), screen.At(origin.x + x1 + 1, origin.y + y)) << "row " << y;
    }
    for (int x = x0; x <= x1; x += 11) {
        EXPECT_EQ(BandColour(BandOfRow(y0 - 1, e.nHeight)), screen.At(origin.x + x, origin.y + y0 - 1)) << "col " << x;
        EXPECT_EQ(BandColour(BandOfRow(y1 + 1, e.nHeight)), screen.At(origin.x + x, origin.y + y1 + 1)) << "col " << x;
    }
}

// White and black ink of one title line: the white copy sits d up and to the left of
// its shadow, both centred on the client area.
void ExpectShadowedTitle(const ScreenImage& screen, POINT origin, const Expected& e, int yBlack, SIZE extent,
                         const char* pszLine)
{
    const int d = e.layout.nShadowOffset;
    Ink white, black;
    FindInk(screen, origin, e.nWidth, yBlack - d, yBlack + e.letterI.cy, &white, &black);
    SCOPED_TRACE(pszLine);
    ASSERT_GT(white.nCount, 100);
    ASSERT_GT(black.nCount, 20) << "the shadow shows beside the white letters";
    EXPECT_EQ(d, black.right - white.right);
    EXPECT_EQ(d, black.bottom - white.bottom);
    EXPECT_LE(white.left, black.left);
    EXPECT_LE(white.top, black.top);
    // Inside the text cells the painter asked for, centred on x = W / 2 (black) and
    // W / 2 - d (white), from the line's top down.
    const int nWhiteCentre = e.nWidth / 2 - d;
    EXPECT_GE(white.left, nWhiteCentre - extent.cx / 2 - 2);
    EXPECT_LE(white.right, nWhiteCentre + extent.cx / 2 + 2);
    EXPECT_NEAR(nWhiteCentre, (white.left + white.right) / 2, 4);
    EXPECT_GE(white.top, yBlack - d);
    EXPECT_LT(black.bottom, yBlack + extent.cy);
    EXPECT_GT(white.right - white.left, extent.cx * 8 / 10) << "the ink spans most of the measured line";
}

TEST_F(SetupProgram, TitlesStandWhereTheLayoutPutsThem)
{
    HWND hWnd = Window();
    ASSERT_TRUE(hWnd != NULL);
    Expected e = ExpectedBackdrop(hWnd);
    ScreenImage screen;
    ASSERT_TRUE(screen.Valid());
    POINT origin = ClientOrigin(hWnd);
    const BackdropLayout& l = e.layout;
    ASSERT_GT(l.nShadowOffset, 0) << "a title font large enough for a visible shadow";

    ExpectShadowedTitle(screen, origin, e, l.nTitle1Y, e.title1, "first line");
    ExpectShadowedTitle(screen, origin, e, l.nTitle2Y, e.title2, "second line");

    // Above the white text, and between the lines and the picture, only the gradient.
    for (int y = 0; y < l.nWhite1Y; ++y)
        ASSERT_EQ(BandColour(BandOfRow(y, e.nHeight)), screen.At(origin.x + e.nWidth / 2, origin.y + y)) << y;
    for (int y = l.nTitle2Y + e.letterI.cy; y < l.nPictureY; ++y)
        ASSERT_EQ(BandColour(BandOfRow(y, e.nHeight)), screen.At(origin.x + l.nPictureX - 1, origin.y + y)) << y;
}

TEST_F(SetupProgram, TitleFontIsTheFirstSizeWiderThanFourFifths)
{
    HWND hWnd = Window();
    ASSERT_TRUE(hWnd != NULL);
    Expected e = ExpectedBackdrop(hWnd);
    const int nThreshold = 4 * e.nWidth / 5;
    ASSERT_GT(e.nSizeTenths, 100) << "a full screen needs more than 10 points";
    EXPECT_EQ(0, e.nSizeTenths % 10) << "whole points";
    EXPECT_GT(TitleWidthAt(e.nSizeTenths), nThreshold);
    EXPECT_LE(TitleWidthAt(e.nSizeTenths - 10), nThreshold);
    EXPECT_EQ(e.title2.cx, TitleWidthAt(e.nSizeTenths));
    std::printf("client %dx%d: title font %d.%d points, \"i\" %ldx%ld, d=%d L=%d T=%d S=%d, picture at %d,%d\n",
                e.nWidth, e.nHeight, e.nSizeTenths / 10, e.nSizeTenths % 10, e.letterI.cx, e.letterI.cy,
                e.layout.nShadowOffset, e.layout.nLineHeight, e.layout.nTopMargin, e.layout.nPictureSide,
                e.layout.nPictureX, e.layout.nPictureY);
}

// The last of the program's tests: its first page's Cancel ends it.
TEST_F(SetupProgram, CancelOnTheWelcomePageEndsItWithExitCodeZero)
{
    ASSERT_TRUE(Window() != NULL);
    ASSERT_TRUE(uidriver::Click(s_hWelcome, IDCANCEL));
    EXPECT_EQ(0u, s_process.WaitExit(PROGRAM_MS));
    EXPECT_FALSE(IsWindow(s_hWnd)) << "the setup window goes with the program";
}

// --- Other sizes: the program's window always covers the screen ----------------------------------------------------------------------------

// Rows clear of both title lines: above the white copy of the first and below the black
// copy of the second.
void ExpectBandsOutsideTitles(const ScreenImage& screen, POINT origin, int x, const Expected& e)
{
    const BackdropLayout& l = e.layout;
    ExpectBandsInColumn(screen, origin, x, 0, l.nWhite1Y, e.nHeight);
    ExpectBandsInColumn(screen, origin, x, l.nTitle2Y + e.letterI.cy, std::min(l.nPictureY, e.nHeight), e.nHeight);
}

TEST(Backdrop, NarrowWindowKeepsTenPoints)
{
    BackdropWindow window(40, 60, 150, 420);
    ASSERT_TRUE(window.m_hWnd != NULL);
    Expected e = ExpectedBackdrop(window.m_hWnd);
    ASSERT_GT(TitleWidthAt(100), 4 * 150 / 5) << "10 points is already too wide";
    EXPECT_EQ(100, e.nSizeTenths);

    ScreenImage screen;
    ASSERT_TRUE(screen.Valid());
    POINT origin = ClientOrigin(window.m_hWnd);
    const BackdropLayout& l = e.layout;
    ASSERT_GT(l.nPictureSide, 0);
    ExpectBandsOutsideTitles(screen, origin, 0, e);
    ExpectBandsOutsideTitles(screen, origin, e.nWidth - 1, e);
    // The picture starts exactly where the 10-point line height puts it: the row above
    // it is gradient from edge to edge, and nearly every row of the square is not.
    for (int x = 0; x < e.nWidth; ++x) {
        ASSERT_EQ(BandColour(BandOfRow(l.nPictureY - 1, e.nHeight)), screen.At(origin.x + x, origin.y + l.nPictureY - 1))
            << "column " << x;
    }
    int nPictureRows = 0;
    for (int y = l.nPictureY; y < l.nPictureY + l.nPictureSide; ++y) {
        bool bGradientRow = true;
        for (int x = l.nPictureX; x < l.nPictureX + l.nPictureSide && bGradientRow; ++x)
            bGradientRow = screen.At(origin.x + x, origin.y + y) == BandColour(BandOfRow(y, e.nHeight));
        nPictureRows += !bGradientRow;
    }
    EXPECT_GT(nPictureRows, l.nPictureSide * 9 / 10) << "the square shows the picture";
    Ink white, black;
    FindInk(screen, origin, e.nWidth, l.nWhite2Y, l.nTitle2Y + e.letterI.cy, &white, &black);
    EXPECT_GT(white.nCount, 20) << "the second line shows, clipped to the window";
    Screenshot("backdrop-narrow-window.png", window.m_hWnd);
}

TEST(Backdrop, WindowTooLowForThePictureSkipsIt)
{
    const int nWidth = 600;
    BackdropWindow probe(40, 60, nWidth, 300);
    Expected sized = ExpectedBackdrop(probe.m_hWnd);
    // A height at which the square would have a negative side of a few pixels while the
    // bottom margin, where a mirrored picture would land, stays clear of the titles.
    int nHeight = 0;
    for (int h = 3 * sized.layout.nLineHeight; h > 0 && !nHeight; --h) {
        BackdropLayout l = ComputeBackdropLayout(nWidth, h, sized.letterI.cx, sized.letterI.cy);
        if (l.nPictureSide <= -4 && l.nTitle2Y + sized.letterI.cy <= h - l.nTopMargin)
            nHeight = h;
    }
    ASSERT_GT(nHeight, 0) << "no such height for this font";
    BackdropWindow window(40, 400, nWidth, nHeight);
    Expected e = ExpectedBackdrop(window.m_hWnd);
    ASSERT_LE(e.layout.nPictureSide, -4);

    const long nCreatedBefore = CGdiCounts::nCreated, nAliveBefore = CGdiCounts::nAlive;
    Repaint(window.m_hWnd);
    EXPECT_GT(CGdiCounts::nCreated, nCreatedBefore) << "the paint creates its objects through the wrappers";
    EXPECT_EQ(nAliveBefore, CGdiCounts::nAlive) << "and deletes every one";

    Pump(300);
    ScreenImage screen;
    POINT origin = ClientOrigin(window.m_hWnd);
    for (int y = e.layout.nTitle2Y + e.letterI.cy; y < e.nHeight; ++y) {
        for (int x = 0; x < e.nWidth; ++x) {
            ASSERT_EQ(BandColour(BandOfRow(y, e.nHeight)), screen.At(origin.x + x, origin.y + y))
                << "row " << y << " column " << x << " below the titles";
        }
    }
    Screenshot("backdrop-too-low.png", window.m_hWnd);
}

// --- GDI objects ------------------------------------------------------------------------------

// Counted by the wrappers in the process that paints: a window of the test's own, of the
// screen's size as the program's. How many objects a paint needs is its own affair.
TEST(Backdrop, EveryPaintGivesBackWhatItCreates)
{
    BackdropWindow window(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ASSERT_TRUE(window.m_hWnd != NULL);
    Expected e = ExpectedBackdrop(window.m_hWnd);
    ASSERT_GT(e.layout.nPictureSide, 0) << "a paint with the picture";

    const long nCreatedBefore = CGdiCounts::nCreated, nAliveBefore = CGdiCounts::nAlive;
    const DWORD dwGdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const int nPaints = 10;
    for (int i = 0; i < nPaints; ++i)
        Repaint(window.m_hWnd);
    const DWORD dwGdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);

    EXPECT_GT(CGdiCounts::nCreated, nCreatedBefore) << "the paints create their objects through the wrappers";
    EXPECT_EQ(nAliveBefore, CGdiCounts::nAlive) << "and delete every one";
    if (dwGdiBefore != 0)
        EXPECT_EQ(dwGdiBefore, dwGdiAfter) << "the system's count of this process's GDI objects";
    else
        std::printf("GetGuiResources reports no GDI objects here; the wrappers' count stands alone\n");

    // Still the same picture after the repaints.
    Pump(300);
    ScreenImage screen;
    POINT origin = ClientOrigin(window.m_hWnd);
    ExpectBandsInColumn(screen, origin, 0, 0, e.nHeight, e.nHeight);
}

// The program's window is never minimised: a window of the test's own shows the case.
TEST(Backdrop, MinimisedWindowErasesTheIconBackgroundAndDrawsOnlyTheIcon)
{
    BackdropWindow window(100, 100, 300, 200, false);
    ShowWindow(window.m_hWnd, SW_MINIMIZE);
    Pump(300);
    ASSERT_TRUE(IsIconic(window.m_hWnd));

    window.m_nIconErases = 0;
    window.m_nPaints = 0;
    const long nAliveBefore = CGdiCounts::nAlive;
    Repaint(window.m_hWnd);
    if (window.m_nPaints == 0) {
        // The system does not paint iconic windows here; the handler is what is tested.
        SendMessageA(window.m_hWnd, WM_PAINT, 0, 0);
    }
    EXPECT_GE(window.m_nPaints, 1);
    EXPECT_EQ(window.m_nPaints, window.m_nIconErases) << "each paint of the icon erases its background first";
    EXPECT_TRUE(window.m_hEraseDC != NULL) << "with the paint DC";
    EXPECT_EQ(nAliveBefore, CGdiCounts::nAlive) << "what the icon's paint created it deleted";

    ShowWindow(window.m_hWnd, SW_RESTORE);
    Pump(300);
    window.m_nIconErases = 0;
    Repaint(window.m_hWnd);
    EXPECT_EQ(0, window.m_nIconErases) << "a restored window paints the backdrop";
}

} // namespace
