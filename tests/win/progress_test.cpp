// The progress dialog against a clock the test sets: slides, captions and bar at chosen
// times, the tick counter's wrap, the hand-over to a real setup window (posted once,
// never at exactly 30 seconds), ticks sent as the engine sends them, keys that change
// nothing, and the slide bitmaps' lifetime. Also prints what one tick costs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/IsWin9x.h"
#include "app/Options.h"
#include "app/SetupMessages.h"
#include "app/SetupWnd.h"
#include "res/resource.h"
#include "ui/ProgressDlg.h"
#include "uidriver/UiDriver.h"

namespace {

DWORD g_dwFakeNow = 0;

DWORD WINAPI FakeTickCount()
{
    return g_dwFakeNow;
}

const char* const TEMPLATE_CAPTION = "Try the new Corvane 'Getting Started Wizard' to quickly get up and running.";
const char* const SLIDE_CAPTIONS[PROGRESS_SLIDE_COUNT] = {
    "Pelorin measures Total Jitter to 10-16 BER and quantifies Random and Deterministic Jitter.",
    "Pelorin measures Total Noise to 10-16 BER and quantifies Random and Deterministic Noise.",
    "Pelorin measures Data Dependent Jitter for repeating patterns.",
    "CORVANE has other Signal Integrity solutions for optical and electrical applications.",
};

// The pixels of a bitmap as 32-bit rows, with its size in front.
std::vector<DWORD> BitmapPixels(HBITMAP hBitmap)
{
    BITMAP bm = {};
    if (!hBitmap || !GetObjectA(hBitmap, sizeof bm, &bm))
        return {};
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = bm.bmWidth;
    bmi.bmiHeader.biHeight = bm.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(2 + static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    pixels[0] = static_cast<DWORD>(bm.bmWidth);
    pixels[1] = static_cast<DWORD>(bm.bmHeight);
    HDC hdc = GetDC(NULL);
    int nLines = GetDIBits(hdc, hBitmap, 0, static_cast<UINT>(bm.bmHeight), &pixels[2], &bmi, DIB_RGB_COLORS);
    ReleaseDC(NULL, hdc);
    return nLines == bm.bmHeight ? pixels : std::vector<DWORD>();
}

std::vector<DWORD> ResourcePixels(UINT nBitmapId)
{
    HBITMAP hBitmap = LoadBitmapA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(nBitmapId));
    std::vector<DWORD> pixels = BitmapPixels(hBitmap);
    DeleteObject(hBitmap);
    return pixels;
}

std::string ScreenshotPath(const char* pszName)
{
    std::string dir = uidriver::ModuleDirectory() + "..\\screenshots";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir + "\\" + pszName + ".png";
}

// Every PBM_SETPOS the bar receives, as sent (the control itself keeps at most 100).
WNDPROC g_pfnBarProc = NULL;
std::vector<WPARAM> g_barPositionsSent;

LRESULT CALLBACK RecordingBarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS)
        g_barPositionsSent.push_back(wParam);
    return CallWindowProcA(g_pfnBarProc, hWnd, message, wParam, lParam);
}

class ProgressDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControls(); }

    void SetUp() override
    {
        g_pfnGetTickCount = FakeTickCount;
        m_pSetupWnd = new CSetupWnd;
        // Hidden: the setup window's own painting is not what these tests look at.
        const char* pszClass = CWnd::RegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursorA(NULL, IDC_ARROW), NULL, NULL);
        ASSERT_TRUE(m_pSetupWnd->CreateEx(0, pszClass, "progress test setup window", WS_POPUP, 0, 0, 100, 100, NULL, 0));
    }

    void TearDown() override
    {
        DestroyDialog();
        delete m_pSetupWnd;
        g_pfnGetTickCount = GetTickCount;
    }

    void CreateDialogAt(DWORD dwStart)
    {
        m_dwStart = dwStart;
        g_dwFakeNow = dwStart;
        m_pDialog = new CProgressDlg(m_pSetupWnd);
        ASSERT_TRUE(m_pDialog->Create(IDD_PROGRESS));
        m_hDialog = m_pDialog->m_hWnd;
        g_barPositionsSent.clear();
        g_pfnBarProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            GetDlgItem(m_hDialog, IDC_PROGRESS_BAR), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBarProc)));
    }

    // As the owner does it: destroy the window, delete the object.
    void DestroyDialog()
    {
        if (!m_pDialog)
            return;
        m_pDialog->DestroyWindow();
        delete m_pDialog;
        m_pDialog = NULL;
    }

    // One tick at dwElapsed after the start, sent as the engine sends it.
    void TickAt(DWORD dwElapsed, WPARAM wParam = TIMER_PROGRESS)
    {
        g_dwFakeNow = m_dwStart + dwElapsed;
        SendMessageA(m_hDialog, WM_TIMER, wParam, 0);
    }

    // Runs the message loop for dwMs, as the setup's loop does between the engine's
    // steps. The hand-over message is counted instead of being handled, and the
    // progress timer's messages are counted as they pass.
    void Pump(DWORD dwMs)
    {
        DWORD dwStart = GetTickCount();
        MSG msg;
        while (GetTickCount() - dwStart < dwMs) {
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_SETUP_FINISHED) {
                    if (msg.hwnd == m_pSetupWnd->m_hWnd && msg.wParam == 0 && msg.lParam == 0)
                        ++m_nFinishedMessages;
                    else
                        ++m_nStrayMessages;
                    continue;
                }
                if (msg.message == WM_TIMER && msg.hwnd == m_hDialog && msg.wParam == TIMER_PROGRESS)
                    ++m_nTimerMessages;
                if (m_hDialog && IsWindow(m_hDialog) && IsDialogMessageA(m_hDialog, &msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(10);
        }
    }

    int Bar() const { return static_cast<int>(SendDlgItemMessageA(m_hDialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0)); }
    std::string Caption() const { return uidriver::ControlText(m_hDialog, IDC_TEXT); }
    HBITMAP Picture() const
    {
        return reinterpret_cast<HBITMAP>(SendDlgItemMessageA(m_hDialog, IDC_SLIDE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    WPARAM LastBarPositionSent() const { return g_barPositionsSent.empty() ? ~WPARAM(0) : g_barPositionsSent.back(); }

    // Paints at once rather than through the message loop, where the dialog's timer
    // could tick first.
    void Screenshot(const char* pszName)
    {
        RedrawWindow(m_hDialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(uidriver::SaveScreenshot(ScreenshotPath(pszName), m_hDialog)) << pszName;
    }

    CSetupWnd* m_pSetupWnd = NULL;
    CProgressDlg* m_pDialog = NULL;
    HWND m_hDialog = NULL;
    DWORD m_dwStart = 0;
    int m_nFinishedMessages = 0;
    int m_nStrayMessages = 0;
    int m_nTimerMessages = 0;
};

TEST(SlideTable, PairsEachSlideBitmapWithItsCaption)
{
    const UINT bitmaps[] = {130, 131, 132, 133};
    const UINT strings[] = {8, 9, 10, 11};
    for (int i = 0; i < PROGRESS_SLIDE_COUNT; ++i) {
        EXPECT_EQ(bitmaps[i], g_aSlides[i].nBitmapId) << i;
        EXPECT_EQ(strings[i], g_aSlides[i].nStringId) << i;
    }
}

// The 32-bit build computes on the x87 unit with extended precision: the timeline must
// still give plain double results at its edges.
TEST(Timeline32Bit, EdgesComeOutAsInDoublePrecision)
{
    EXPECT_EQ(100.0, ProgressPercent(30000));
    EXPECT_FALSE(ComputeProgressPosition(0, 30000, true).bHandOver);
    EXPECT_TRUE(ComputeProgressPosition(0, 30001, true).bHandOver);
    EXPECT_EQ(1, ComputeProgressPosition(0, 7500, false).nSlide);
    EXPECT_EQ(0, ComputeProgressPosition(0, 7499, false).nSlide);
    EXPECT_EQ(2, ComputeProgressPosition(0, 15000, false).nSlide);
    EXPECT_EQ(3, ComputeProgressPosition(0, 22500, false).nSlide);
    EXPECT_EQ(2, ComputeProgressPosition(0, 22499, false).nSlide);
}

TEST_F(ProgressDialog, OpensWithTheTemplatesPictureAndTextUntilTheFirstTick)
{
    CreateDialogAt(1000);
    Screenshot("progress_opened");
    EXPECT_TRUE(IsWindowVisible(m_hDialog)) << "the template is visible";
    EXPECT_EQ(TEMPLATE_CAPTION, Caption());
    EXPECT_TRUE(ResourcePixels(IDB_SPLASH) == BitmapPixels(Picture())) << "bitmap 129 from the template";
    EXPECT_EQ(0, m_pDialog->m_nSlide);
    EXPECT_EQ(1000u, m_pDialog->m_dwStartTick);
}

TEST_F(ProgressDialog, ShowsEachSlideCaptionAndBarAtItsTime)
{
    struct Step {
        DWORD dwElapsed;
        int nSlide;
        int nBar;
    };
    const Step steps[] = {
        {0, 0, 0},        {299, 0, 0},      {300, 0, 1},      {7499, 0, 24},    {7500, 1, 25},
        {14999, 1, 49},   {15000, 2, 50},   {22499, 2, 74},   {22500, 3, 75},   {29999, 3, 99},
        {30000, 3, 100},
    };
    std::vector<DWORD> slidePixels[PROGRESS_SLIDE_COUNT];
    for (int i = 0; i < PROGRESS_SLIDE_COUNT; ++i)
        slidePixels[i] = ResourcePixels(g_aSlides[i].nBitmapId);
    ASSERT_NE(slidePixels[0], slidePixels[1]) << "the slides must differ for this test to tell them apart";

    CreateDialogAt(1000);
    const char* shotNames[PROGRESS_SLIDE_COUNT] = {"progress_slide1", "progress_slide2", "progress_slide3",
                                                   "progress_slide4"};
    int nLastShot = -1;
    for (const Step& step : steps) {
        TickAt(step.dwElapsed);
        EXPECT_EQ(step.nSlide, m_pDialog->m_nSlide) << step.dwElapsed << " ms";
        EXPECT_EQ(1000 + step.dwElapsed, m_pDialog->m_dwNowTick);
        EXPECT_EQ(SLIDE_CAPTIONS[step.nSlide], Caption()) << step.dwElapsed << " ms";
        EXPECT_EQ(step.nBar, Bar()) << step.dwElapsed << " ms";
        EXPECT_EQ(static_cast<WPARAM>(step.nBar), LastBarPositionSent()) << step.dwElapsed << " ms";
        EXPECT_TRUE(slidePixels[step.nSlide] == BitmapPixels(Picture())) << "picture at " << step.dwElapsed << " ms";
        if (step.nSlide != nLastShot && step.dwElapsed % 7500 != 0) {
            Screenshot(shotNames[step.nSlide]);
            nLastShot = step.nSlide;
        }
    }
    Pump(100);
    EXPECT_EQ(0, m_nFinishedMessages) << "the work is not done";
}

TEST_F(ProgressDialog, ExactlyThirtySecondsDoesNotHandOverTheNextTickDoes)
{
    CreateDialogAt(50000);
    m_pSetupWnd->m_bInstallDone = TRUE;
    TickAt(30000);
    Pump(50);
    EXPECT_EQ(0, m_nFinishedMessages) << "percent is exactly 100.0, not more";
    EXPECT_EQ(100, Bar());
    TickAt(30001);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages);
    EXPECT_EQ(0, m_nStrayMessages);
    EXPECT_EQ(100, Bar());
    EXPECT_EQ(100u, LastBarPositionSent()) << "held at 100 at the hand-over";
    EXPECT_EQ(3, m_pDialog->m_nSlide);
    EXPECT_EQ(SLIDE_CAPTIONS[3], Caption());
    EXPECT_TRUE(IsWindowVisible(m_hDialog)) << "the dialog stays until its owner destroys it";
}

TEST_F(ProgressDialog, HandOverIsPostedOnceAndStopsTheTimer)
{
    CreateDialogAt(1000);
    Pump(350);
    EXPECT_GE(m_nTimerMessages, 2) << "the 100 ms timer runs";
    m_pSetupWnd->m_bInstallDone = TRUE;
    g_dwFakeNow = 1000 + 30100;
    Pump(300);  // the timer's own tick hands over
    EXPECT_EQ(1, m_nFinishedMessages);
    EXPECT_EQ(100, Bar());
    m_nTimerMessages = 0;
    g_dwFakeNow = 1000 + 31000;
    Pump(350);
    EXPECT_EQ(0, m_nTimerMessages) << "the timer is stopped";
    // Ticks that come anyway, whatever their source, post nothing more.
    TickAt(31100);
    TickAt(40000, 7);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages) << "at most once per dialog";
    EXPECT_EQ(100, Bar());
    EXPECT_EQ(100u, LastBarPositionSent());
}

TEST_F(ProgressDialog, FortyFiveSecondJobKeepsTheLastSlideUntilTheWorkIsDone)
{
    CreateDialogAt(1000);
    TickAt(30001);
    TickAt(40000);
    EXPECT_EQ(133u, LastBarPositionSent()) << "sent unchanged while the work goes on";
    EXPECT_EQ(100, Bar());
    TickAt(45000);
    EXPECT_EQ(150u, LastBarPositionSent());
    EXPECT_EQ(3, m_pDialog->m_nSlide);
    EXPECT_EQ(SLIDE_CAPTIONS[3], Caption());
    Pump(50);
    EXPECT_EQ(0, m_nFinishedMessages);
    // The sequence sets the flag late; the first tick after it hands over.
    m_pSetupWnd->m_bInstallDone = TRUE;
    TickAt(45100);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages);
    EXPECT_EQ(100u, LastBarPositionSent());
}

TEST_F(ProgressDialog, FastJobStillRunsThroughEverySlideBeforeHandingOver)
{
    CreateDialogAt(1000);
    m_pSetupWnd->m_bInstallDone = TRUE;  // the work took no time at all
    std::set<int> slidesSeen;
    for (DWORD ms = 0; ms <= 30000; ms += 500) {
        TickAt(ms);
        slidesSeen.insert(m_pDialog->m_nSlide);
    }
    Pump(50);
    EXPECT_EQ(4u, slidesSeen.size());
    EXPECT_EQ(0, m_nFinishedMessages);
    TickAt(30100);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages);
}

TEST_F(ProgressDialog, ElapsedTimeIsRightAcrossTheTickCounterWrap)
{
    CreateDialogAt(0xFFFFF000u);  // 4 096 ms before the counter wraps
    TickAt(4095);
    EXPECT_EQ(0xFFFFFFFFu, m_pDialog->m_dwNowTick);
    EXPECT_EQ(13, Bar());
    TickAt(7500);
    EXPECT_EQ(3404u, m_pDialog->m_dwNowTick) << "the counter has wrapped";
    EXPECT_EQ(25, Bar());
    EXPECT_EQ(1, m_pDialog->m_nSlide);
    EXPECT_EQ(SLIDE_CAPTIONS[1], Caption());
    m_pSetupWnd->m_bInstallDone = TRUE;
    TickAt(30000);
    Pump(50);
    EXPECT_EQ(0, m_nFinishedMessages);
    TickAt(30001);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages);
}

TEST_F(ProgressDialog, AnyTimerIdRunsTheSameTick)
{
    CreateDialogAt(1000);
    TickAt(3000, 0);
    EXPECT_EQ(10, Bar());
    TickAt(9000, 12345);
    EXPECT_EQ(30, Bar());
    EXPECT_EQ(1, m_pDialog->m_nSlide);
    TickAt(16000, TIMER_PROGRESS);
    EXPECT_EQ(53, Bar());
    EXPECT_EQ(2, m_pDialog->m_nSlide);
}

TEST_F(ProgressDialog, EnterEscAndCloseChangeNothing)
{
    CreateDialogAt(1000);
    TickAt(9000);
    Pump(50);
    for (UINT vk : {VK_RETURN, VK_ESCAPE}) {
        PostMessageA(m_hDialog, WM_KEYDOWN, vk, 1);
        PostMessageA(m_hDialog, WM_KEYUP, vk, 0xC0000001);
    }
    Pump(100);
    SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageA(m_hDialog, WM_CLOSE, 0, 0);
    Pump(100);
    ASSERT_TRUE(IsWindow(m_hDialog));
    EXPECT_TRUE(IsWindowVisible(m_hDialog));
    EXPECT_EQ(m_pDialog, CWnd::FromHandlePermanent(m_hDialog));
    EXPECT_EQ(30, Bar());
    EXPECT_EQ(SLIDE_CAPTIONS[1], Caption());
    EXPECT_EQ(0, m_nFinishedMessages);
}

TEST_F(ProgressDialog, PictureNeverHoldsADeletedBitmapAndBitmapsDoNotPileUp)
{
    CreateDialogAt(1000);
    HBITMAP hSplash = Picture();
    ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(hSplash));
    std::set<HBITMAP> shown;
    for (int round = 0; round < 3; ++round) {
        for (DWORD ms = 0; ms <= 30000; ms += 250) {
            TickAt(ms);
            HBITMAP hShown = Picture();
            shown.insert(hShown);
            ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(hShown)) << "at " << ms << " ms";
        }
    }
    Pump(50);
    EXPECT_EQ(4u, shown.size()) << "one bitmap per slide, loaded once";
    EXPECT_EQ(0u, GetObjectType(hSplash)) << "the template's picture is deleted once replaced";
    DestroyDialog();
    for (HBITMAP hBitmap : shown)
        EXPECT_EQ(0u, GetObjectType(hBitmap)) << "the slide bitmaps go with the window";
}

TEST_F(ProgressDialog, RepeatedDialogsLeaveNoGdiObjectsBehind)
{
    // Wine counts a process's GDI objects only where GetGuiResources is implemented.
    DWORD dwBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::printf("[ progress ] GetGuiResources(GR_GDIOBJECTS) = %lu before\n", dwBefore);
    std::vector<HBITMAP> everShown;
    for (int i = 0; i < 5; ++i) {
        CreateDialogAt(1000);
        everShown.push_back(Picture());
        for (DWORD ms = 0; ms <= 30000; ms += 1000) {
            TickAt(ms);
            everShown.push_back(Picture());
        }
        Pump(20);
        DestroyDialog();
    }
    Pump(50);
    DWORD dwAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::printf("[ progress ] GetGuiResources(GR_GDIOBJECTS) = %lu after five dialogs\n", dwAfter);
    if (dwBefore != 0) {
        EXPECT_EQ(dwBefore, dwAfter);
    }
    for (HBITMAP hBitmap : everShown)
        EXPECT_EQ(0u, GetObjectType(hBitmap)) << "every picture a dialog showed is deleted with it";
}

TEST_F(ProgressDialog, TheOwnerDeletingTheObjectAloneAlsoReleasesTheBitmaps)
{
    CreateDialogAt(1000);
    TickAt(8000);
    HBITMAP hShown = Picture();
    ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(hShown));
    delete m_pDialog;
    m_pDialog = NULL;
    EXPECT_FALSE(IsWindow(m_hDialog));
    EXPECT_EQ(0u, GetObjectType(hShown));
}

// Rough cost of the tick under Wine, printed rather than asserted. The engine sends one
// tick per file, so this is added to every file of the payload.
TEST_F(ProgressDialog, TickCostBenchmark)
{
    const int TICKS = 2000;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    CreateDialogAt(1000);
    TickAt(15000);
    Pump(50);

    QueryPerformanceCounter(&t0);
    for (int i = 0; i < TICKS; ++i)
        TickAt(15000 + static_cast<DWORD>(i));  // slide 2 throughout, bar moving
    QueryPerformanceCounter(&t1);
    double dSameSlideUs = 1e6 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart / TICKS;

    QueryPerformanceCounter(&t0);
    for (int i = 0; i < TICKS; ++i)
        TickAt(i % 2 ? 7500 : 7499);  // a slide change on every tick
    QueryPerformanceCounter(&t1);
    double dChangingUs = 1e6 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart / TICKS;
    Pump(20);
    // The last tick was at 7 500 ms: slide 2 with its picture and caption, bar at 25.
    EXPECT_EQ(1, m_pDialog->m_nSlide);
    EXPECT_EQ(SLIDE_CAPTIONS[1], Caption());
    EXPECT_TRUE(ResourcePixels(IDB_SLIDE2) == BitmapPixels(Picture()));
    EXPECT_EQ(25, Bar());
    DestroyDialog();

    // For comparison: loading and setting the picture and caption on every tick, with the
    // replaced bitmap deleted, on a plain dialog from the same template.
    CDialog plain(IDD_PROGRESS);
    ASSERT_TRUE(plain.Create(IDD_PROGRESS));
    HWND hPicture = GetDlgItem(plain.m_hWnd, IDC_SLIDE_PICTURE);
    HWND hText = GetDlgItem(plain.m_hWnd, IDC_TEXT);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < TICKS; ++i) {
        HBITMAP hBitmap = LoadBitmapA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_SLIDE3));
        HBITMAP hOld = reinterpret_cast<HBITMAP>(
            SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
        if (hOld)
            DeleteObject(hOld);
        CString strCaption;
        strCaption.LoadString(IDS_SLIDE3);
        SetWindowTextA(hText, strCaption);
        UpdateWindow(hPicture);
        SendDlgItemMessageA(plain.m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(50 + i % 2), 0);
    }
    QueryPerformanceCounter(&t1);
    double dReloadUs = 1e6 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart / TICKS;
    DeleteObject(reinterpret_cast<HBITMAP>(SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, 0)));
    plain.DestroyWindow();

    std::printf("[ progress ] tick, slide unchanged:      %8.1f us\n", dSameSlideUs);
    std::printf("[ progress ] tick, slide change each:    %8.1f us\n", dChangingUs);
    std::printf("[ progress ] reload picture+caption each: %7.1f us\n", dReloadUs);
    RecordProperty("tick_same_slide_us", static_cast<int>(dSameSlideUs));
    RecordProperty("tick_slide_change_us", static_cast<int>(dChangingUs));
}

} // namespace
