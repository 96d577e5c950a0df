#include "OptionsDlg.h"

#include "../engine/Options.h"
#include "../engine/SetupDirectory.h"
#include "../framework/WinApp.h"
#include "../res/resource.h"


namespace {

UINT CheckFor(UINT nOptions, UINT nBit)
{
    return (nOptions & nBit) ? BST_CHECKED : BST_UNCHECKED;
}

} // namespace

COptionsDlg::COptionsDlg(CWnd* pParentWnd)
    : CDialog(IDD_OPTIONS, pParentWnd), m_nOptions(0), m_bKeepGivenOptions(FALSE)
{
}

COptionsDlg::~COptionsDlg() {}

BOOL COptionsDlg::OnInitDialog()
{
    BOOL bManuals = MediumFileReadable(MEDIUM_MANUAL_INDEX);
    if (bManuals && !m_bKeepGivenOptions)
        m_nOptions |= OPTION_MANUALS;
    BOOL bReader = MediumFileReadable(MEDIUM_READER_SETUP);

    CheckDlgButton(IDC_OPT_APPLICATION, CheckFor(m_nOptions, OPTION_APPLICATION));
    CheckDlgButton(IDC_OPT_MANUALS, CheckFor(m_nOptions, OPTION_MANUALS));
    CheckDlgButton(IDC_OPT_READER, CheckFor(m_nOptions, OPTION_READER));

    ::EnableWindow(GetDlgItem(IDC_OPT_MANUALS), bManuals);
    ::EnableWindow(GetDlgItem(IDC_OPT_READER), bReader);
    // The focus goes to the first tab stop, the application box.
    return TRUE;
}

void COptionsDlg::OnOK()
{
    m_nOptions = 0;
    if (IsDlgButtonChecked(IDC_OPT_APPLICATION))
        m_nOptions |= OPTION_APPLICATION;
    if (IsDlgButtonChecked(IDC_OPT_MANUALS))
        m_nOptions |= OPTION_MANUALS;
    if (IsDlgButtonChecked(IDC_OPT_READER))
        m_nOptions |= OPTION_READER;
    if (m_nOptions == 0) {
        AfxMessageBox(IDS_ERR_NO_OPTION, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}
