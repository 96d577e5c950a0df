// The UI driver's own test target: one product dialog filled with known contents, run
// modally; the process exit code is the dialog's result.
//
// "directory" (the default) shows the directory chooser's template with a known edit
// text, list and drive list, plus a multi-line edit (id 2000); the title reports each
// double-click, drive change and edit change, so that a test sees the notification arrive. "options" shows the options
// template with known check states, one box disabled and the Back button hidden; OK
// ends with IDOK plus a bit per ticked box (0x10, 0x20, 0x40).
// The dialog background is painted in TARGET_BACKGROUND, a colour a screenshot can find.
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

const COLORREF TARGET_BACKGROUND = RGB(32, 128, 192);
const int IDC_TARGET_NOTES = 2000;  // the multi-line edit the target adds

// Owns a GDI brush.
class Brush {
public:
    explicit Brush(COLORREF colour) : m_hBrush(CreateSolidBrush(colour)) {}
    ~Brush()
    {
        if (m_hBrush)
            DeleteObject(m_hBrush);
    }
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    HBRUSH Get() const { return m_hBrush; }

private:
    HBRUSH m_hBrush;
};

class CTargetDlg : public CDialog {
public:
    CTargetDlg(UINT nIDTemplate) : CDialog(nIDTemplate), m_background(TARGET_BACKGROUND) {}

protected:
    BOOL OnInitDialog() override
    {
        if (m_nIDTemplate == IDD_OPTIONS)
            FillOptions();
        else
            FillDirectory();
        // Filling the edit field notified EN_CHANGE already; only the user's changes count.
        m_bReporting = true;
        return CDialog::OnInitDialog();
    }

    void OnOK() override
    {
        if (m_nIDTemplate != IDD_OPTIONS) {
            CDialog::OnOK();
            return;
        }
        int nResult = IDOK;
        if (IsDlgButtonChecked(IDC_OPT_APPLICATION) == BST_CHECKED)
            nResult |= 0x10;
        if (IsDlgButtonChecked(IDC_OPT_MANUALS) == BST_CHECKED)
            nResult |= 0x20;
        if (IsDlgButtonChecked(IDC_OPT_READER) == BST_CHECKED)
            nResult |= 0x40;
        EndDialog(nResult);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CTLCOLORDLG)
            return reinterpret_cast<LRESULT>(m_background.Get());
        if (message == WM_COMMAND && m_bReporting)
            ReportCommand(LOWORD(wParam), HIWORD(wParam));
        return CDialog::WindowProc(message, wParam, lParam);
    }

private:
    void FillDirectory()
    {
        SetDlgItemText(IDC_DIR_EDIT, "C:\\Pelorin\\");
        // Added out of order: the list and the combo box sort their entries.
        const char* apszDirs[] = {"[Gamma]", "[..]", "[Alpha]", "[Beta]", LongEntry()};
        for (const char* pszDir : apszDirs)
            SendDlgItemMessage(IDC_DIR_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszDir));
        SendDlgItemMessage(IDC_DIR_LIST, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("[Beta]"));
        const char* apszDrives[] = {"[-z-]", "[-c-]", "[-d-]"};
        for (const char* pszDrive : apszDrives)
            SendDlgItemMessage(IDC_DRIVE_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszDrive));
        SendDlgItemMessage(IDC_DRIVE_COMBO, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("[-d-]"));
        AddMultiLineEdit();
    }

    // No template has a writable multi-line edit; one is added below the buttons, where
    // the template leaves the dialog empty down to y = 90 units.
    void AddMultiLineEdit()
    {
        RECT rc = {160, 45, 50, 40};  // x, y, width, height in dialog units
        MapDialogRect(m_hWnd, &rc);
        CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, rc.left, rc.top,
                        rc.right, rc.bottom, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TARGET_NOTES)),
                        AfxGetInstanceHandle(), NULL);
    }

    void FillOptions()
    {
        CheckDlgButton(IDC_OPT_APPLICATION, BST_CHECKED);
        CheckDlgButton(IDC_OPT_MANUALS, BST_UNCHECKED);
        CheckDlgButton(IDC_OPT_READER, BST_CHECKED);
        EnableWindow(GetDlgItem(IDC_OPT_READER), FALSE);
        ::ShowWindow(GetDlgItem(IDCANCEL), SW_HIDE);
    }

    // An entry longer than any the product shows, to see long items come across whole.
    static const char* LongEntry()
    {
        static std::string entry;
        if (entry.empty())
            entry = "[Zeta" + std::string(200, 'x') + "]";
        return entry.c_str();
    }

    void ReportCommand(int nID, int nCode)
    {
        if (nID == IDC_DIR_LIST && nCode == LBN_DBLCLK)
            SetWindowText(("double-clicked " + SelectedItem(IDC_DIR_LIST, LB_GETCURSEL, LB_GETTEXT)).c_str());
        else if (nID == IDC_DRIVE_COMBO && nCode == CBN_SELCHANGE)
            SetWindowText(("drive " + SelectedItem(IDC_DRIVE_COMBO, CB_GETCURSEL, CB_GETLBTEXT)).c_str());
        else if ((nID == IDC_DIR_EDIT || nID == IDC_TARGET_NOTES) && nCode == EN_CHANGE)
            ReportEditChange(nID);
    }

    void ReportEditChange(int nID)
    {
        int& nChanges = nID == IDC_DIR_EDIT ? m_nEditChanges : m_nNotesChanges;
        ++nChanges;
        char szCount[16];
        std::snprintf(szCount, sizeof szCount, "%d", nChanges);
        SetWindowText((std::string(nID == IDC_DIR_EDIT ? "edit" : "notes") + " changed " + szCount + ": " +
                       GetDlgItemText(nID).GetString()).c_str());
    }

    std::string SelectedItem(int nID, UINT getSel, UINT getText)
    {
        LRESULT nIndex = SendDlgItemMessage(nID, getSel);
        if (nIndex < 0)
            return "(none)";
        char szText[256] = "";
        LRESULT nLength = SendDlgItemMessage(nID, getSel == LB_GETCURSEL ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, nIndex);
        if (nLength < 0 || nLength >= static_cast<LRESULT>(sizeof szText))
            return "(too long)";
        SendDlgItemMessage(nID, getText, nIndex, reinterpret_cast<LPARAM>(szText));
        return szText;
    }

    Brush m_background;
    int m_nEditChanges = 0;
    int m_nNotesChanges = 0;
    bool m_bReporting = false;
};

class CTargetApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        UINT nTemplate = std::strstr(GetCommandLineA(), " options") ? IDD_OPTIONS : IDD_DIRECTORY;
        CTargetDlg dialog(nTemplate);
        m_nResult = static_cast<int>(dialog.DoModal());
        return FALSE;
    }

    int ExitInstance() override { return m_nResult; }

private:
    int m_nResult = -1;
};

CTargetApp theApp;

} // namespace
