// The progress dialog's wiring against a clock the test sets: it shows the template until
// the first tick, then at every tick (the engine's or its timer's) the slide, caption and
// bar its timeline gives for that time, the slides' pictures and captions coming from the
// program's resources; the hand-over to a real setup window is posted once, after the work
// is done, and stops the timer; keys change nothing; the slide bitmaps' lifetime. The
// timeline's arithmetic itself is tested on the host (tests/host/progress_timeline_test.cpp).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/SetupWnd.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "res/resource.h"
#include "ui/ProgressDlg.h"
#include "ui/SetupMessages.h"
#include "uidriver/UiDriver.h"

namespace {

DWORD g_dwFakeNow = 0;

DWORD WINAPI FakeTickCount()
{
    return g_dwFakeNow;
}

// The caption of slide n, from the program's string table.
std::string SlideCaption(int nSlide)
{
    CString strCaption;
    EXPECT_TRUE(strCaption.LoadString(IDS_SLIDE1 + nSlide)) << "slide " << nSlide;
    return strCaption.GetString();
}

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

TEST_F(ProgressDialog, OpensWithTheTemplatesPictureAndTextUntilTheFirstTick)
{
    CDialog plain(IDD_PROGRESS);
    ASSERT_TRUE(plain.Create(IDD_PROGRESS));
    const std::string templateCaption = uidriver::ControlText(plain.m_hWnd, IDC_TEXT);
    const std::vector<DWORD> templatePicture = BitmapPixels(reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(plain.m_hWnd, IDC_SLIDE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    DeleteObject(reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(plain.m_hWnd, IDC_SLIDE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0)));
    plain.DestroyWindow();
    ASSERT_FALSE(templatePicture.empty());
    ASSERT_NE(SlideCaption(0), templateCaption) << "the first slide must differ for this test to tell them apart";

    CreateDialogAt(1000);
    Screenshot("progress_opened");
    EXPECT_TRUE(IsWindowVisible(m_hDialog)) << "the template is visible";
    EXPECT_EQ(templateCaption, Caption());
    EXPECT_TRUE(templatePicture == BitmapPixels(Picture()));
    EXPECT_EQ(1000u, m_pDialog->m_dwStartTick) << "the start is read from the dialog's clock";
}

// Every tick shows the slide and bar of the clock's time: one percent per 300 ms,
// truncated, and one slide per 7.5 s, the last held from 22.5 s on; slide n with bitmap
// IDB_SLIDE1 + n and string IDS_SLIDE1 + n. Ticks come as the engine sends them
// (TIMER_PROGRESS) and with other timer ids; the clock wraps 4 096 ms after the start.
TEST_F(ProgressDialog, EveryTickShowsTheSlideAndBarOfTheClocksTime)
{
    std::vector<DWORD> slidePixels[PROGRESS_SLIDE_COUNT];
    for (int i = 0; i < PROGRESS_SLIDE_COUNT; ++i)
        slidePixels[i] = ResourcePixels(IDB_SLIDE1 + i);
    ASSERT_EQ(static_cast<size_t>(PROGRESS_SLIDE_COUNT),
              std::set<std::vector<DWORD>>(slidePixels, slidePixels + PROGRESS_SLIDE_COUNT).size())
        << "the slides' pictures must differ for this test to tell them apart";

    const DWORD dwStart = 0xFFFFF000u;
    CreateDialogAt(dwStart);
    const struct { DWORD dwElapsed; WPARAM timerId; int nSlide, nBar; } ticks[] = {
        {0, TIMER_PROGRESS, 0, 0},       {1250, 0, 0, 4},
        {4095, 12345, 0, 13},            {4096, TIMER_PROGRESS, 0, 13},  // the clock reads 0
        {7499, 0, 0, 24},                {7500, 12345, 1, 25},
        {14999, TIMER_PROGRESS, 1, 49},  {15000, 0, 2, 50},
        {22499, 12345, 2, 74},           {22500, TIMER_PROGRESS, 3, 75},
        {29999, 0, 3, 99},               {30000, 12345, 3, 100},
    };
    std::set<int> slidesSeen;
    for (const auto& tick : ticks) {
        SCOPED_TRACE(testing::Message() << tick.dwElapsed << " ms");
        TickAt(tick.dwElapsed, tick.timerId);
        EXPECT_EQ(dwStart + tick.dwElapsed, m_pDialog->m_dwNowTick);
        ASSERT_EQ(tick.nSlide, m_pDialog->m_nSlide);
        EXPECT_EQ(SlideCaption(tick.nSlide), Caption());
        EXPECT_TRUE(slidePixels[tick.nSlide] == BitmapPixels(Picture()));
        EXPECT_EQ(tick.nBar, Bar());
        EXPECT_EQ(static_cast<WPARAM>(tick.nBar), LastBarPositionSent());
        if (slidesSeen.insert(tick.nSlide).second) {
            char szName[32];
            wsprintfA(szName, "progress_slide%d", tick.nSlide + 1);
            Screenshot(szName);
        }
    }
    EXPECT_EQ(static_cast<size_t>(PROGRESS_SLIDE_COUNT), slidesSeen.size()) << "the ticks met every slide";
    Pump(100);
    EXPECT_EQ(0, m_nFinishedMessages) << "the work is not done";
}

TEST_F(ProgressDialog, HandOverIsPostedOnceAfterTheThirtySecondsAndStopsTheTimer)
{
    CreateDialogAt(1000);
    m_pSetupWnd->m_bInstallDone = TRUE;  // the work took no time at all
    TickAt(29000);
    Pump(350);
    EXPECT_EQ(0, m_nFinishedMessages) << "not before the slideshow has run";
    EXPECT_GE(m_nTimerMessages, 2) << "the 100 ms timer runs";
    g_dwFakeNow = 1000 + 30100;
    Pump(300);  // the timer's own tick hands over
    EXPECT_EQ(1, m_nFinishedMessages);
    EXPECT_EQ(0, m_nStrayMessages);
    EXPECT_EQ(100, Bar());
    EXPECT_EQ(100u, LastBarPositionSent()) << "held at 100 at the hand-over";
    EXPECT_EQ(SlideCaption(PROGRESS_SLIDE_COUNT - 1), Caption());
    EXPECT_TRUE(IsWindowVisible(m_hDialog)) << "the dialog stays until its owner destroys it";
    m_nTimerMessages = 0;
    g_dwFakeNow = 1000 + 31000;
    Pump(350);
    EXPECT_EQ(0, m_nTimerMessages) << "the timer is stopped";
    // Ticks that come anyway, whatever their source, post nothing more.
    TickAt(31100);
    TickAt(40000, 7);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages) << "at most once per dialog";
    EXPECT_EQ(100u, LastBarPositionSent());
}

TEST_F(ProgressDialog, HandOverWaitsForTheSetupWindowsWorkToBeDone)
{
    CreateDialogAt(1000);
    TickAt(45000);
    Pump(50);
    EXPECT_EQ(0, m_nFinishedMessages) << "the slideshow is over, the work is not";
    // The sequence sets the flag late; the first tick after it hands over.
    m_pSetupWnd->m_bInstallDone = TRUE;
    TickAt(45100);
    Pump(50);
    EXPECT_EQ(1, m_nFinishedMessages);
    EXPECT_EQ(100u, LastBarPositionSent());
}

TEST_F(ProgressDialog, EnterEscAndCloseChangeNothing)
{
    CreateDialogAt(1000);
    TickAt(9000);
    Pump(50);
    const int nBar = Bar();
    const std::string caption = Caption();
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
    EXPECT_EQ(nBar, Bar());
    EXPECT_EQ(caption, Caption());
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
    EXPECT_EQ(static_cast<size_t>(PROGRESS_SLIDE_COUNT), shown.size()) << "one bitmap per slide, loaded once";
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

} // namespace
