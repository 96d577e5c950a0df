#include "Backdrop.h"

#include "../framework/WinApp.h"
#include "../res/resource.h"
#include "BackdropLayout.h"

const char* const g_pszTitle1 = "Corvane Corporation";
const char* const g_pszTitle2 = "Pelorin Installation Program";

namespace {

const char TITLE_FONT_FACE[] = "Times New Roman";

void PaintMinimised(HWND hWnd, HDC hdc, HICON hIcon, int nWidth, int nHeight)
{
    SendMessageA(hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    IconOrigin origin = MinimisedIconOrigin(nWidth, nHeight, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(hdc, origin.x, origin.y, hIcon);
}

void PaintGradient(HDC hdc, int nWidth, int nHeight)
{
    for (int i = 0; i < BACKDROP_BANDS; ++i) {
        BandEdges edges = BackdropBandEdges(i, nHeight);
        // The bands reach one column past the right edge of the client area.
        RECT rcBand = {0, edges.top, nWidth + 1, edges.bottom};
        CBrush brush;
        brush.CreateSolidBrush(static_cast<COLORREF>(BackdropBandColorRef(i)));
        FillRect(hdc, &rcBand, brush);
    }
}

// The splash picture stretched over the square below the titles. Skipped when there is
// no room for it or it cannot be loaded.
void PaintSplash(HDC hdc, const BackdropLayout& layout)
{
    if (layout.nPictureSide <= 0)
        return;
    CBitmap bitmap;
    BITMAP info;
    if (!bitmap.LoadBitmap(AfxGetInstanceHandle(), IDB_SPLASH) || !bitmap.GetBitmap(&info))
        return;
    CDC memory;
    if (!memory.CreateCompatibleDC(hdc))
        return;
    CSelectObject selected(memory, bitmap);
    StretchBlt(hdc, layout.nPictureX, layout.nPictureY, layout.nPictureSide, layout.nPictureSide, memory, 0, 0,
               info.bmWidth, info.bmHeight, SRCCOPY);
}

void PaintTitles(HDC hdc, const BackdropLayout& layout)
{
    const int nLength1 = lstrlenA(g_pszTitle1);
    const int nLength2 = lstrlenA(g_pszTitle2);
    SetTextColor(hdc, RGB(0, 0, 0));
    TextOutA(hdc, layout.nTitleX, layout.nTitle1Y, g_pszTitle1, nLength1);
    TextOutA(hdc, layout.nTitleX, layout.nTitle2Y, g_pszTitle2, nLength2);
    SetTextColor(hdc, RGB(255, 255, 255));
    TextOutA(hdc, layout.nWhiteX, layout.nWhite1Y, g_pszTitle1, nLength1);
    TextOutA(hdc, layout.nWhiteX, layout.nWhite2Y, g_pszTitle2, nLength2);
}

} // namespace

int ScreenLogPixelsY()
{
    CClientDC screen(NULL);
    return screen.IsNull() ? 96 : GetDeviceCaps(screen, LOGPIXELSY);
}

CFont CreateTitleFont(int nLogPixelsY, int nSizeTenths)
{
    LOGFONTA logFont;
    ZeroMemory(&logFont, sizeof logFont);
    logFont.lfHeight = TitleFontHeight(nLogPixelsY, nSizeTenths);
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, TITLE_FONT_FACE, LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&logFont);
    return font;
}

CTitleFont::CTitleFont(HDC hdc, int nClientWidth)
    : m_hDC(hdc), m_nLogPixelsY(ScreenLogPixelsY()), m_hOriginalFont(NULL), m_nSizeTenths(0)
{
    m_nSizeTenths = SearchTitleFontSize(nClientWidth, TitleFontMaxTenths(m_nLogPixelsY),
                                        [this](int nSizeTenths, int* pWidth) { return SelectSize(nSizeTenths, pWidth); });
}

CTitleFont::~CTitleFont()
{
    // The DC's own font goes back in before m_font deletes the title font.
    if (m_hOriginalFont)
        SelectObject(m_hDC, m_hOriginalFont);
}

bool CTitleFont::SelectSize(int nSizeTenths, int* pWidth)
{
    CFont font = CreateTitleFont(m_nLogPixelsY, nSizeTenths);
    if (font.IsNull())
        return false;
    HGDIOBJ hPrevious = SelectObject(m_hDC, font);
    if (!hPrevious || hPrevious == HGDI_ERROR)
        return false;
    if (!m_hOriginalFont)
        m_hOriginalFont = hPrevious;
    // The font selected before is out of the DC now and may go.
    m_font = static_cast<CFont&&>(font);
    SIZE size = {0, 0};
    GetTextExtentPointA(m_hDC, g_pszTitle2, lstrlenA(g_pszTitle2), &size);
    *pWidth = size.cx;
    return true;
}

void PaintBackdrop(HWND hWnd, HICON hIcon)
{
    CPaintDC dc(hWnd);
    RECT rcClient;
    GetClientRect(hWnd, &rcClient);
    const int nWidth = rcClient.right;
    const int nHeight = rcClient.bottom;

    if (IsIconic(hWnd)) {
        PaintMinimised(hWnd, dc, hIcon, nWidth, nHeight);
        return;
    }

    CTitleFont titleFont(dc, nWidth);
    PaintGradient(dc, nWidth, nHeight);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER);

    SIZE letterI = {0, 0};
    GetTextExtentPointA(dc, "i", 1, &letterI);
    BackdropLayout layout = ComputeBackdropLayout(nWidth, nHeight, letterI.cx, letterI.cy);
    PaintSplash(dc, layout);
    PaintTitles(dc, layout);
}
