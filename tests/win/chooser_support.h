// Helpers of the directory chooser's tests: a tree of folders made for them under
// C:\chooser-test\ (the test programs run one after another and each makes it anew), the
// chooser run modally on the test's thread and driven from a second thread through the UI
// driver, what it shows read at once, and walks through it: the rows of the tests' tables.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
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
// The subdirectories of LONG_DIR: one that can be entered (21 + 232 + "\*" make 255), one
// listed but too deep to enter, the longest listed (255 characters with its brackets), and
// one whose entry would not fit (256).
const std::string ENTERABLE = std::string(232, 'n');
const std::string TOO_DEEP = std::string(240, 'm');
const std::string LONGEST_LISTED = std::string(253, 'x');
const std::string NOT_LISTED = std::string(254, 'y');

inline std::string Entry(const std::string& name)
{
    return "[" + name + "]";
}

// What the lists of the tree's directories hold: no files, hidden and system directories
// (Secret) as well, [.] never.
const Items ROOT_ENTRIES = {"[..]", "[Base]", "[Long]", "[Second]", "[drive]"};
const Items BASE_ENTRIES = {"[..]", "[Alpha]", "[Beta]", "[Secret]"};
const Items LONG_ENTRIES = {"[..]", Entry(ENTERABLE), Entry(TOO_DEEP), Entry(LONGEST_LISTED)};

inline std::string WithoutBackslash(const std::string& dir)
{
    return dir.substr(0, dir.size() - 1);
}

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

inline void PrintTo(const View& view, std::ostream* os)
{
    *os << "edit \"" << view.edit << "\", " << view.list.size() << " entries, selection " << view.nListSelection
        << ", drive " << view.drive;
}

// Real mouse clicks on an entry, as the system sends them for a double-click.
inline void MouseDoubleClick(HWND hDialog, const std::string& entry)
{
    HWND hList = GetDlgItem(hDialog, IDC_DIR_LIST);
    RECT rcItem = {};
    ASSERT_NE(LB_ERR, SendMessageA(hList, LB_GETITEMRECT, IndexOf(ListEntries(hDialog), entry),
                                   reinterpret_cast<LPARAM>(&rcItem)))
        << "no entry " << entry;
    LPARAM at = MAKELPARAM((rcItem.left + rcItem.right) / 2, (rcItem.top + rcItem.bottom) / 2);
    PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(hList, WM_LBUTTONUP, 0, at);
    PostMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(hList, WM_LBUTTONUP, 0, at);
    Settle(hDialog);
}

// --- Walks: a start, the steps a user takes, what the chooser shows after each ------------

// Look: the view as the chooser opened. Open: a double-click on an entry (the list's
// notification); MouseOpen: the same with real mouse clicks. Select: an entry selected
// without opening it. Type: a text typed into the edit field. Refuse: an entry selected and
// double-clicked, which must change nothing.
enum class Act { Look, Open, MouseOpen, Select, Type, Refuse };

// A step and, after Look and the opening ones, what the chooser shows: the edit text, the
// whole list in any order (or, when `unlisted` is given, entries among others and entries
// it must not have), the first entry selected, and the drive.
struct Step {
    Act act;
    std::string text;  // the entry, or the typed text
    std::string edit;
    Items listed;
    Items unlisted;
    std::string drive = "[-c-]";
};

// The start given to the chooser, the steps, and what Next hands back after the last.
struct Walk {
    const char* name;
    std::string start;
    std::vector<Step> steps;
    std::string result;
    const char* screenshot = nullptr;  // of the view as it opened
};

inline void PrintTo(const Walk& walk, std::ostream* os)
{
    *os << walk.name;
}

inline std::string WalkName(const ::testing::TestParamInfo<Walk>& info)
{
    return info.param.name;
}

// Takes the walk's steps on the open chooser, reading the view before and after each.
inline void TakeSteps(HWND hDialog, const Walk& walk, std::vector<View>* pBefore, std::vector<View>* pAfter)
{
    for (const Step& step : walk.steps) {
        if (step.act == Act::Select || step.act == Act::Refuse)
            SelectEntry(hDialog, step.text);
        else if (step.act == Act::Type)
            Type(hDialog, step.text);
        pBefore->push_back(ReadView(hDialog));
        if (step.act == Act::Open || step.act == Act::Refuse)
            DoubleClick(hDialog, step.text);
        else if (step.act == Act::MouseOpen)
            MouseDoubleClick(hDialog, step.text);
        pAfter->push_back(ReadView(hDialog));
        if (walk.screenshot && pAfter->size() == 1)
            Screenshot(hDialog, walk.screenshot);
    }
}

inline void ExpectStep(const Step& step, const View& before, const View& after)
{
    if (step.act == Act::Refuse) {
        EXPECT_EQ(before, after) << "a refused step changes nothing";
        return;
    }
    if (step.act == Act::Select || step.act == Act::Type)
        return;
    EXPECT_EQ(step.edit, after.edit);
    if (step.unlisted.empty()) {
        EXPECT_EQ(Sorted(step.listed), Sorted(after.list));
    }
    for (const std::string& entry : step.listed)
        EXPECT_TRUE(Contains(after.list, entry)) << "no entry " << entry;
    for (const std::string& entry : step.unlisted)
        EXPECT_FALSE(Contains(after.list, entry)) << "entry " << entry;
    EXPECT_EQ(after.list.empty() ? -1 : 0, after.nListSelection) << "the first entry is selected";
    EXPECT_EQ(step.drive, after.drive);
}

// Opens the chooser at the walk's start, takes its steps, ends it with Next, and checks
// what each step showed and what Next handed back.
inline void ExpectWalk(const Walk& walk)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = walk.start.c_str();
    std::vector<View> before, after;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  TakeSteps(h, walk, &before, &after);
                  uidriver::Click(h, IDOK);
              }));
    ASSERT_EQ(walk.steps.size(), after.size()) << "the chooser did not open";
    for (size_t i = 0; i < walk.steps.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "step " << i + 1);
        ExpectStep(walk.steps[i], before[i], after[i]);
    }
    EXPECT_EQ(walk.result, std::string(dialog.m_strPath)) << "what Next hands back";
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
                  MakeDirectory(SECOND + "Gamma") && MakeDirectory(LONG_DIR) && MakeDirectory(LONG_DIR + ENTERABLE) &&
                  MakeDirectory(LONG_DIR + TOO_DEEP) && MakeDirectory(LONG_DIR + LONGEST_LISTED) &&
                  MakeDirectory(LONG_DIR + NOT_LISTED) &&
                  MakeDirectory(ROOT + "drive") && MakeFile(ROOT + "drive\\one.txt") &&
                  MakeFile(ROOT + "drive\\two.txt");
        ASSERT_TRUE(ok) << "cannot build the test tree under " << ROOT;
        SetFileAttributesA((BASE + "Secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }
    static void TearDownTestSuite() { RemoveTree(Widen("\\\\?\\" + ROOT.substr(0, ROOT.size() - 1))); }
};

// The tables' fixture: each row a walk through the chooser.
class ChooserWalk : public Chooser, public ::testing::WithParamInterface<Walk> {};

} // namespace choosertest
