// Helpers of the directory chooser's tests: a tree of folders made for them under
// C:\chooser-test\ (the test programs run one after another and each makes it anew), the
// chooser run modally on the test's thread and driven from a second thread through the UI
// driver, and what it shows read at once.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "modal_support.h"
#include "res/resource.h"
#include "ui/DirectoryDlg.h"
#include "uidriver/UiDriver.h"

namespace choosertest {

using namespace modaltest;
using Items = std::vector<std::string>;

const char CHOOSER_TITLE[] = "Select Installation Directory";
const std::string ROOT = "C:\\chooser-test\\";
const std::string BASE = ROOT + "Base\\";
const std::string SECOND = ROOT + "Second\\";
const std::string LONG_DIR = ROOT + "Long\\";  // 21 characters

// --- Files ------------------------------------------------------------------------------

inline std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Long names need the \\?\ form of the wide functions.
inline bool MakeDirectory(const std::string& path)
{
    return CreateDirectoryW(Widen("\\\\?\\" + path).c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

inline bool MakeFile(const std::string& path)
{
    HANDLE h = CreateFileW(Widen("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

inline void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = dir + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(dir.c_str());
}

inline bool DirectoryExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- Driving the dialog -----------------------------------------------------------------

// Returns once the chooser's thread has handled all input posted so far.
inline void Settle(HWND hDialog)
{
    EXPECT_TRUE(uidriver::WaitIdle(hDialog)) << "the chooser's thread did not get to the input";
}

// Runs the chooser modally on this thread while `action` operates it from a second
// thread, as a user would. The action must end the dialog; one it leaves open is a failure.
inline INT_PTR RunChooser(CDirectoryDlg& dialog, const std::function<void(HWND)>& action)
{
    return RunModalWith(dialog, CHOOSER_TITLE, action);
}

inline std::string EditText(HWND hDialog)
{
    return uidriver::ControlText(hDialog, IDC_DIR_EDIT);
}

inline Items ListEntries(HWND hDialog)
{
    return uidriver::ListItems(hDialog, IDC_DIR_LIST);
}

inline std::string SelectedDrive(HWND hDialog)
{
    int nSelected = uidriver::ComboSelection(hDialog, IDC_DRIVE_COMBO);
    Items items = uidriver::ComboItems(hDialog, IDC_DRIVE_COMBO);
    return nSelected >= 0 && nSelected < static_cast<int>(items.size()) ? items[nSelected] : std::string();
}

inline int IndexOf(const Items& items, const std::string& entry)
{
    auto it = std::find(items.begin(), items.end(), entry);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

inline bool Contains(const Items& items, const std::string& entry)
{
    return IndexOf(items, entry) >= 0;
}

inline Items Sorted(Items items)
{
    std::sort(items.begin(), items.end());
    return items;
}

// Double-clicks an entry by its text and lets the dialog act on it.
inline void DoubleClick(HWND hDialog, const std::string& entry)
{
    int nIndex = IndexOf(ListEntries(hDialog), entry);
    ASSERT_GE(nIndex, 0) << "no entry " << entry;
    ASSERT_TRUE(uidriver::DoubleClickListItem(hDialog, IDC_DIR_LIST, nIndex));
    Settle(hDialog);
}

// Selects an entry as a click would, without opening it.
inline void SelectEntry(HWND hDialog, const std::string& entry)
{
    int nIndex = IndexOf(ListEntries(hDialog), entry);
    ASSERT_GE(nIndex, 0) << "no entry " << entry;
    SendMessageA(GetDlgItem(hDialog, IDC_DIR_LIST), LB_SETCURSEL, nIndex, 0);
}

inline void ChooseDrive(HWND hDialog, char letter)
{
    std::string entry = std::string("[-") + letter + "-]";
    int nIndex = IndexOf(uidriver::ComboItems(hDialog, IDC_DRIVE_COMBO), entry);
    ASSERT_GE(nIndex, 0) << "no drive " << entry;
    ASSERT_TRUE(uidriver::SelectComboItem(hDialog, IDC_DRIVE_COMBO, nIndex));
    Settle(hDialog);
}

inline void Type(HWND hDialog, const std::string& text)
{
    ASSERT_TRUE(uidriver::TypeText(hDialog, IDC_DIR_EDIT, text));
    Settle(hDialog);
}

// Everything the chooser shows, read at once, for a check that nothing changed.
struct View {
    std::string edit;
    Items list;
    int nListSelection;
    std::string drive;
    bool operator==(const View& other) const
    {
        return edit == other.edit && list == other.list && nListSelection == other.nListSelection &&
               drive == other.drive;
    }
};

inline View ReadView(HWND hDialog)
{
    return View{EditText(hDialog), ListEntries(hDialog), uidriver::ListSelection(hDialog, IDC_DIR_LIST),
                SelectedDrive(hDialog)};
}

// --- The test tree --------------------------------------------------------------------------

class Chooser : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RemoveTree(Widen("\\\\?\\" + ROOT.substr(0, ROOT.size() - 1)));
        bool ok = MakeDirectory(ROOT) && MakeDirectory(BASE) && MakeDirectory(BASE + "Alpha") &&
                  MakeDirectory(BASE + "Beta") && MakeDirectory(BASE + "Beta\\Deep") && MakeDirectory(BASE + "Secret") &&
                  MakeFile(BASE + "file.txt") && MakeFile(BASE + "Beta\\inner.txt") && MakeDirectory(SECOND) &&
                  MakeDirectory(SECOND + "Beta") && MakeDirectory(SECOND + "Beta\\FromSecond") &&
                  MakeDirectory(SECOND + "Gamma") && MakeDirectory(LONG_DIR) &&
                  MakeDirectory(LONG_DIR + std::string(232, 'n')) && MakeDirectory(LONG_DIR + std::string(240, 'm')) &&
                  MakeDirectory(LONG_DIR + std::string(253, 'x')) && MakeDirectory(LONG_DIR + std::string(254, 'y')) &&
                  MakeDirectory(ROOT + "drive") && MakeFile(ROOT + "drive\\one.txt") &&
                  MakeFile(ROOT + "drive\\two.txt");
        ASSERT_TRUE(ok) << "cannot build the test tree under " << ROOT;
        SetFileAttributesA((BASE + "Secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }
    static void TearDownTestSuite() { RemoveTree(Widen("\\\\?\\" + ROOT.substr(0, ROOT.size() - 1))); }
};

} // namespace choosertest
