#include "DirectoryDlg.h"

#include "../framework/FileSearch.h"
#include "../res/resource.h"
#include "ChooserPath.h"

namespace {

const char PARENT_ENTRY[] = "[..]";

} // namespace

CDirectoryDlg::CDirectoryDlg(CWnd* pParentWnd) : CDialog(IDD_DIRECTORY, pParentWnd) {}

CDirectoryDlg::~CDirectoryDlg() {}

void CDirectoryDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nID == IDC_DRIVE_COMBO && nCode == CBN_SELCHANGE)
        OnDriveChange();
    else if (nID == IDC_DIR_LIST && nCode == LBN_DBLCLK)
        OnDirectoryDoubleClick();
}

BOOL CDirectoryDlg::OnInitDialog()
{
    char szPattern[CHOOSER_TEXT_SIZE];
    if (!BuildStartPattern(m_strPath, szPattern, sizeof szPattern) || !FillDirectoryLists(szPattern))
        ShowUnbrowsableStart();
    return TRUE;
}

BOOL CDirectoryDlg::FillDirectoryLists(const char* pszPattern)
{
    char szResolved[CHOOSER_TEXT_SIZE];
    DWORD nLength = GetFullPathNameA(pszPattern, sizeof szResolved, szResolved, NULL);
    if (nLength == 0 || nLength >= sizeof szResolved)
        return FALSE;

    ListSubdirectories(szResolved);
    ListDrives(szResolved, DriveCharOf(szResolved));
    CutAtFirstStar(szResolved);
    SetDlgItemText(IDC_DIR_EDIT, szResolved);
    SendDlgItemMessage(IDC_DIR_LIST, LB_SETCURSEL, 0);
    return TRUE;
}

void CDirectoryDlg::ListSubdirectories(const char* pszResolved)
{
    SendDlgItemMessage(IDC_DIR_LIST, LB_RESETCONTENT);
    WIN32_FIND_DATAA found;
    CFileSearch search(pszResolved, &found);
    if (!search.Started()) {
        // Whatever went wrong, the user can always go up.
        SendDlgItemMessage(IDC_DIR_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PARENT_ENTRY));
        return;
    }
    const bool bDriveRoot = IsDriveRootPattern(pszResolved);
    do {
        char szEntry[CHOOSER_TEXT_SIZE];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            BuildDirectoryEntry(found.cFileName, bDriveRoot, szEntry, sizeof szEntry))
            SendDlgItemMessage(IDC_DIR_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szEntry));
    } while (search.Next(&found));
}

void CDirectoryDlg::ListDrives(const char* pszSpec, char chDrive)
{
    SendDlgItemMessage(IDC_DRIVE_COMBO, CB_RESETCONTENT);
    SendDlgItemMessage(IDC_DRIVE_COMBO, CB_DIR, DDL_DRIVES | DDL_EXCLUSIVE, reinterpret_cast<LPARAM>(pszSpec));
    SelectDrive(chDrive);
}

void CDirectoryDlg::ShowUnbrowsableStart()
{
    SendDlgItemMessage(IDC_DIR_LIST, LB_RESETCONTENT);
    SendDlgItemMessage(IDC_DIR_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PARENT_ENTRY));
    // The path itself may be too long for the listing: only the drives are wanted.
    ListDrives("*", DriveCharOf(m_strPath));
    SetDlgItemText(IDC_DIR_EDIT, m_strPath);
    SendDlgItemMessage(IDC_DIR_LIST, LB_SETCURSEL, 0);
}

void CDirectoryDlg::OnDriveChange()
{
    int nSelected = static_cast<int>(SendDlgItemMessage(IDC_DRIVE_COMBO, CB_GETCURSEL));
    char szEntry[CHOOSER_TEXT_SIZE];
    char szPattern[CHOOSER_TEXT_SIZE];
    if (ReadDriveEntry(nSelected, szEntry, sizeof szEntry) && BuildDrivePattern(szEntry, szPattern, sizeof szPattern) &&
        FillDirectoryLists(szPattern))
        return;
    // The drive's listing cannot be shown (its current directory too long to resolve, say):
    // the drive list goes back to the drive that the edit field and the list still show.
    char szEdit[CHOOSER_TEXT_SIZE];
    if (ReadEditText(szEdit, sizeof szEdit))
        SelectDrive(DriveCharOf(szEdit));
}

void CDirectoryDlg::SelectDrive(char chDrive)
{
    int nCount = static_cast<int>(SendDlgItemMessage(IDC_DRIVE_COMBO, CB_GETCOUNT));
    for (int i = 0; i < nCount; ++i) {
        char szEntry[CHOOSER_TEXT_SIZE];
        if (ReadDriveEntry(i, szEntry, sizeof szEntry) && DriveEntryMatches(szEntry, chDrive)) {
            SendDlgItemMessage(IDC_DRIVE_COMBO, CB_SETCURSEL, i);
            return;
        }
    }
}

void CDirectoryDlg::OnDirectoryDoubleClick()
{
    int nSelected = static_cast<int>(SendDlgItemMessage(IDC_DIR_LIST, LB_GETCURSEL));
    char szEntry[CHOOSER_TEXT_SIZE];
    char szEdit[CHOOSER_TEXT_SIZE];
    if (!ReadListEntry(nSelected, szEntry, sizeof szEntry) || !ReadEditText(szEdit, sizeof szEdit))
        return;

    char szPattern[CHOOSER_TEXT_SIZE];
    bool bBuilt = IsParentEntry(szEntry) ? BuildUpPattern(szEdit, szPattern, sizeof szPattern)
                                         : BuildDescendPattern(szEdit, szEntry, szPattern, sizeof szPattern);
    if (bBuilt)
        FillDirectoryLists(szPattern);
}

void CDirectoryDlg::OnOK()
{
    CString strText = GetDlgItemText(IDC_DIR_EDIT);
    m_strPath = CString(strText, static_cast<int>(LengthWithoutTrailingBackslash(strText)));

    HWND hList = GetDlgItem(IDC_DIR_LIST);
    if (hList && ::GetFocus() == hList) {
        // Enter in the list opens the selected entry instead of leaving the page.
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DIR_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(hList));
        return;
    }
    EndDialog(IDOK);
}

// The list box and the combo box answer the same pair of questions under different names.
BOOL CDirectoryDlg::ReadItemText(int nID, UINT nLengthMsg, UINT nTextMsg, int nIndex, char* pszText, size_t cchText)
{
    if (nIndex < 0)
        return FALSE;
    LRESULT nLength = SendDlgItemMessage(nID, nLengthMsg, nIndex);
    if (nLength < 0 || static_cast<size_t>(nLength) >= cchText)
        return FALSE;
    return SendDlgItemMessage(nID, nTextMsg, nIndex, reinterpret_cast<LPARAM>(pszText)) >= 0;
}

BOOL CDirectoryDlg::ReadListEntry(int nIndex, char* pszText, size_t cchText)
{
    return ReadItemText(IDC_DIR_LIST, LB_GETTEXTLEN, LB_GETTEXT, nIndex, pszText, cchText);
}

BOOL CDirectoryDlg::ReadDriveEntry(int nIndex, char* pszText, size_t cchText)
{
    return ReadItemText(IDC_DRIVE_COMBO, CB_GETLBTEXTLEN, CB_GETLBTEXT, nIndex, pszText, cchText);
}

BOOL CDirectoryDlg::ReadEditText(char* pszText, size_t cchText)
{
    HWND hEdit = GetDlgItem(IDC_DIR_EDIT);
    int nLength = hEdit ? GetWindowTextLengthA(hEdit) : -1;
    if (nLength < 0 || static_cast<size_t>(nLength) >= cchText)
        return FALSE;
    int nGot = GetWindowTextA(hEdit, pszText, static_cast<int>(cchText));
    pszText[nGot] = '\0';
    return TRUE;
}
