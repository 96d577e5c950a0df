// COptionsDlg: the options page. Three check boxes choose what is installed; the
// manuals and the PDF reader are offered only when the medium beside the setup program
// holds them. At least one box must be ticked to go on.
#pragma once

#include "../framework/Dialog.h"

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(CWnd* pParentWnd);
    ~COptionsDlg() override;

    // The option bits (OPTION_APPLICATION, OPTION_MANUALS, OPTION_READER): set the boxes
    // when the page opens, and replaced by the ticked boxes when it is accepted.
    UINT m_nOptions;
    // TRUE when m_nOptions is the command line's choice: the manuals are then not ticked
    // for being on the medium.
    BOOL m_bKeepGivenOptions;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
