// CProgressDlg: the modeless progress window with its time-driven bar and slideshow.
// The bar runs from 0 to 100 in 30 seconds and four slides follow one another every
// 7.5 seconds, whatever the amount of work done. Once more than 30 seconds have passed
// and the setup window's work is done, the dialog posts WM_SETUP_FINISHED to it, once.
#pragma once

#include "../framework/Dialog.h"
#include "ProgressTimeline.h"

// The period of the dialog's own timer (TIMER_PROGRESS).
const UINT PROGRESS_TIMER_PERIOD_MS = 100;

// One slide of the slideshow: its picture and its caption.
struct SlideEntry {
    UINT nBitmapId;
    UINT nStringId;
};
extern const SlideEntry g_aSlides[PROGRESS_SLIDE_COUNT];

// The clock of the progress dialog: GetTickCount, unless a test sets its own.
extern DWORD(WINAPI* g_pfnGetTickCount)(void);

// The four slide bitmaps, loaded together and deleted together.
class CSlideBitmaps {
public:
    CSlideBitmaps();
    ~CSlideBitmaps();
    CSlideBitmaps(const CSlideBitmaps&) = delete;
    CSlideBitmaps& operator=(const CSlideBitmaps&) = delete;

    void Load();
    void Release();
    // NULL when the bitmap could not be loaded.
    HBITMAP Get(int nSlide) const { return m_ahBitmap[nSlide]; }
    bool Owns(HBITMAP hBitmap) const;

private:
    HBITMAP m_ahBitmap[PROGRESS_SLIDE_COUNT];
};

class CProgressDlg : public CDialog {
public:
    explicit CProgressDlg(CWnd* pParentWnd);
    ~CProgressDlg() override;

    DWORD m_dwStartTick;
    DWORD m_dwNowTick;
    int m_nSlide;

protected:
    BOOL OnInitDialog() override;
    // Enter and Esc change nothing: the dialog is closed by its owner only.
    void OnOK() override;
    void OnCancel() override;
    // Every timer message is a tick, the engine's (TIMER_PROGRESS) as well as the timer's.
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnDestroy() override;

private:
    void ShowSlide(int nSlide);
    void ReplacePicture(HBITMAP hBitmap);
    BOOL IsInstallDone(HWND hParent) const;

    // Loaded for the lifetime of the window, so that the picture never shows a deleted
    // bitmap and no bitmap is loaded per tick.
    CSlideBitmaps m_slideBitmaps;
    // The slide on screen; -1 while the template's own picture is shown.
    int m_nShownSlide;
    bool m_bFinishPosted;
    HWND m_hPicture;
    HWND m_hCaption;
    HWND m_hProgressBar;
};
