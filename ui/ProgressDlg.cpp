#include "ProgressDlg.h"

#include <commctrl.h>

#include "../app/SetupWnd.h"
#include "../framework/WinApp.h"
#include "../res/resource.h"
#include "SetupMessages.h"

const SlideEntry g_aSlides[PROGRESS_SLIDE_COUNT] = {
    {IDB_SLIDE1, IDS_SLIDE1},
    {IDB_SLIDE2, IDS_SLIDE2},
    {IDB_SLIDE3, IDS_SLIDE3},
    {IDB_SLIDE4, IDS_SLIDE4},
};

DWORD(WINAPI* g_pfnGetTickCount)(void) = GetTickCount;

// --- CSlideBitmaps -------------------------------------------------------------------

CSlideBitmaps::CSlideBitmaps()
{
    for (HBITMAP& hBitmap : m_ahBitmap)
        hBitmap = NULL;
}

CSlideBitmaps::~CSlideBitmaps()
{
    Release();
}

void CSlideBitmaps::Load()
{
    Release();
    for (int i = 0; i < PROGRESS_SLIDE_COUNT; ++i)
        m_ahBitmap[i] = LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(g_aSlides[i].nBitmapId));
}

void CSlideBitmaps::Release()
{
    for (HBITMAP& hBitmap : m_ahBitmap) {
        if (hBitmap)
            DeleteObject(hBitmap);
        hBitmap = NULL;
    }
}

bool CSlideBitmaps::Owns(HBITMAP hBitmap) const
{
    for (HBITMAP hOwn : m_ahBitmap)
        if (hOwn && hOwn == hBitmap)
            return true;
    return false;
}

// --- CProgressDlg --------------------------------------------------------------------

CProgressDlg::CProgressDlg(CWnd* pParentWnd)
    : CDialog(IDD_PROGRESS, pParentWnd),
      m_dwStartTick(0),
      m_dwNowTick(0),
      m_nSlide(0),
      m_nShownSlide(-1),
      m_bFinishPosted(false),
      m_hPicture(NULL),
      m_hCaption(NULL),
      m_hProgressBar(NULL)
{
}

CProgressDlg::~CProgressDlg()
{
    // Destroyed here rather than by CWnd, while this object can still take the picture
    // back from the control before the bitmaps go.
    DestroyWindow();
}

BOOL CProgressDlg::OnInitDialog()
{
    m_hPicture = GetDlgItem(IDC_SLIDE_PICTURE);
    m_hCaption = GetDlgItem(IDC_TEXT);
    m_hProgressBar = GetDlgItem(IDC_PROGRESS_BAR);
    m_slideBitmaps.Load();
    m_nShownSlide = -1;
    m_bFinishPosted = false;

    SetTimer(TIMER_PROGRESS, PROGRESS_TIMER_PERIOD_MS);
    m_dwStartTick = g_pfnGetTickCount();
    return TRUE;
}

void CProgressDlg::OnOK() {}

void CProgressDlg::OnCancel() {}

BOOL CProgressDlg::IsInstallDone(HWND hParent) const
{
    CSetupWnd* pSetupWnd = static_cast<CSetupWnd*>(CWnd::FromHandlePermanent(hParent));
    return pSetupWnd && pSetupWnd->m_bInstallDone;
}

// Runs once per file extracted, so it does only what the user can see change.
void CProgressDlg::OnTimer(UINT_PTR)
{
    m_dwNowTick = g_pfnGetTickCount();
    HWND hParent = ::GetParent(m_hWnd);
    ProgressPosition pos = ComputeProgressPosition(m_dwStartTick, m_dwNowTick, IsInstallDone(hParent) != FALSE);
    // Ticks may still come after the hand-over (the engine's, or a timer message already
    // on its way): they post nothing more.
    if (pos.bHandOver && !m_bFinishPosted) {
        KillTimer(TIMER_PROGRESS);
        ::PostMessageA(hParent, WM_SETUP_FINISHED, 0, 0);
        m_bFinishPosted = true;
    }
    m_nSlide = pos.nSlide;
    if (m_nSlide != m_nShownSlide)
        ShowSlide(m_nSlide);
    ::UpdateWindow(m_hPicture);
    ::SendMessageA(m_hProgressBar, PBM_SETPOS, static_cast<WPARAM>(pos.nBarPos), 0);
}

// Setting the same picture and caption again would look no different, so they are set
// when the slide changes only.
void CProgressDlg::ShowSlide(int nSlide)
{
    ReplacePicture(m_slideBitmaps.Get(nSlide));
    CString strCaption;
    strCaption.LoadString(g_aSlides[nSlide].nStringId);
    ::SetWindowTextA(m_hCaption, strCaption);
    m_nShownSlide = nSlide;
}

// The picture the control loaded from the template comes back at the first replacement
// (or at the end, when no tick came): nobody else would delete it.
void CProgressDlg::ReplacePicture(HBITMAP hBitmap)
{
    HBITMAP hPrevious = reinterpret_cast<HBITMAP>(
        ::SendMessageA(m_hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
    if (hPrevious && !m_slideBitmaps.Owns(hPrevious))
        DeleteObject(hPrevious);
}

void CProgressDlg::OnDestroy()
{
    // The picture lets go of the slide before the slide bitmaps are deleted.
    if (m_hPicture)
        ReplacePicture(NULL);
    m_slideBitmaps.Release();
    m_nShownSlide = -1;
}
