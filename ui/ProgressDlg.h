// CProgressDlg: the modeless progress window with its time-driven bar and slideshow.
#pragma once

#include "../framework/Dialog.h"

// The dialog's own timer id; the engine sends WM_TIMER with this id after every file.
const UINT_PTR TIMER_PROGRESS = 2;

class CProgressDlg : public CDialog {
public:
    explicit CProgressDlg(CWnd* pParentWnd);
    ~CProgressDlg() override;

    DWORD m_dwStartTick;
    DWORD m_dwNowTick;
    int m_nSlide;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
};
