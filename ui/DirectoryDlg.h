// CDirectoryDlg: the page on which the user picks the installation directory. A small
// browser of its own: an edit field with the current directory, a list of its
// subdirectories ("[..]" goes up) and a drop-down list of the drives. The current
// location lives only in these controls.
#pragma once

#include "../framework/Dialog.h"

class CDirectoryDlg : public CDialog {
public:
    explicit CDirectoryDlg(CWnd* pParentWnd);
    ~CDirectoryDlg() override;

    // On entry the directory to start in; after IDOK the edit field's text with at most
    // one trailing backslash removed.
    CString m_strPath;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCommand(UINT nID, UINT nCode) override;

private:
    // Refills the directory list, the drive list and the edit field from a search
    // pattern ending in "*". FALSE, with nothing changed, when the resolved pattern
    // does not fit the chooser's 256-character buffer.
    BOOL FillDirectoryLists(const char* pszPattern);
    void ListSubdirectories(const char* pszResolved);
    // Lists the drives (the listing is given pszSpec) and selects the first whose entry
    // contains chDrive.
    void ListDrives(const char* pszSpec, char chDrive);
    // Selects the first drive entry that contains chDrive.
    void SelectDrive(char chDrive);
    // Shows a start path that cannot be browsed as it stands: in the edit field, with
    // only "[..]" in the list.
    void ShowUnbrowsableStart();

    void OnDriveChange();
    void OnDirectoryDoubleClick();
    // The text of a list or combo entry, or of the edit field, into a 256-character
    // buffer; FALSE when there is none or it would not fit.
    BOOL ReadItemText(int nID, UINT nLengthMsg, UINT nTextMsg, int nIndex, char* pszText, size_t cchText);
    BOOL ReadListEntry(int nIndex, char* pszText, size_t cchText);
    BOOL ReadDriveEntry(int nIndex, char* pszText, size_t cchText);
    BOOL ReadEditText(char* pszText, size_t cchText);
};
