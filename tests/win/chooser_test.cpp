// The directory chooser driven as a user drives it: start directories that exist and
// that do not, drive roots, typed paths, steps up and down, Enter in each control, the
// drive list (with a drive of its own made for the test), and paths too long for the
// chooser's 256-character buffers. Screenshots go to <build>/win/screenshots.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "ui/DirectoryDlg.h"
#include "uidriver/UiDriver.h"

namespace {

using Items = std::vector<std::string>;

const char CHOOSER_TITLE[] = "Select Installation Directory";
const std::string ROOT = "C:\\chooser-test\\";
const std::string BASE = ROOT + "Base\\";
const std::string SECOND = ROOT + "Second\\";
const std::string LONG_DIR = ROOT + "Long\\";  // 21 characters

// --- Files ------------------------------------------------------------------------------

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Long names need the \\?\ form of the wide functions.
bool MakeDirectory(const std::string& path)
{
    return CreateDirectoryW(Widen("\\\\?\\" + path).c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MakeFile(const std::string& path)
{
    HANDLE h = CreateFileW(Widen("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

void RemoveTree(const std::wstring& dir)
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

bool DirectoryExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- A drive of the test's own ------------------------------------------------------------
//
// Wine keeps its drives in the mount manager; the test asks it for one more drive, mapped
// to a folder of the test tree, as winecfg does, and removes it again at the end.

struct MountManagerDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};
const DWORD IOCTL_DEFINE_UNIX_DRIVE = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

class TestDrive {
public:
    explicit TestDrive(const std::string& folder)
    {
        typedef char*(CDECL * UnixNameFn)(LPCWSTR);
        UnixNameFn unixName = reinterpret_cast<UnixNameFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        char* pszUnix = unixName ? unixName(Widen(folder).c_str()) : NULL;
        if (!pszUnix)
            return;
        std::string unixPath = pszUnix;
        HeapFree(GetProcessHeap(), 0, pszUnix);
        for (char letter = 'd'; letter <= 'y' && !m_chLetter; ++letter) {
            std::string root = std::string(1, letter) + ":\\";
            if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR && Define(letter, DRIVE_FIXED, unixPath))
                m_chLetter = letter;
        }
    }
    ~TestDrive()
    {
        if (m_chLetter)
            Define(m_chLetter, DRIVE_NO_ROOT_DIR, std::string());
    }
    char Letter() const { return m_chLetter; }

private:
    static bool Define(char letter, ULONG type, const std::string& unixPath)
    {
        HANDLE hManager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        if (hManager == INVALID_HANDLE_VALUE)
            return false;
        std::vector<char> buffer(sizeof(MountManagerDrive) + unixPath.size() + 1, '\0');
        MountManagerDrive* pDrive = reinterpret_cast<MountManagerDrive*>(buffer.data());
        pDrive->size = static_cast<ULONG>(buffer.size());
        pDrive->type = type;
        pDrive->letter = static_cast<WCHAR>(letter);
        if (!unixPath.empty()) {
            pDrive->mount_point_offset = sizeof(MountManagerDrive);
            std::memcpy(buffer.data() + sizeof(MountManagerDrive), unixPath.c_str(), unixPath.size() + 1);
        }
        DWORD nReturned = 0;
        BOOL bOk = DeviceIoControl(hManager, IOCTL_DEFINE_UNIX_DRIVE, buffer.data(), static_cast<DWORD>(buffer.size()),
                                   NULL, 0, &nReturned, NULL);
        CloseHandle(hManager);
        return bOk && (type == DRIVE_NO_ROOT_DIR || GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == type);
    }
    char m_chLetter = 0;
};

// --- Driving the dialog -----------------------------------------------------------------

// Waiting for the dialog's thread to act on posted input. Under Wine a thread answers
// every message sent to it before it takes the next posted one, so round trips of sent
// messages prove nothing about posted input. Instead a marker is posted to a window of
// the dialog's thread, behind the input: the posted queue is first in, first out, so
// once the marker has been handled, so has everything posted before it.
const UINT WM_MARKER = WM_APP + 1;
std::atomic<long> g_nMarkersHandled(0);
long g_nMarkersPosted = 0;  // by the driver thread only

LRESULT CALLBACK MarkerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MARKER) {
        ++g_nMarkersHandled;
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// A message-only window on the calling thread, destroyed with the object.
class MarkerWindow {
public:
    MarkerWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = MarkerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ChooserTestMarker";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowA("ChooserTestMarker", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    }
    ~MarkerWindow() { DestroyWindow(m_hWnd); }
    HWND m_hWnd;
};

HWND g_hMarker = NULL;

// Returns once the dialog's thread has handled all input posted so far.
void Settle()
{
    long nTarget = ++g_nMarkersPosted;
    ASSERT_TRUE(PostMessageA(g_hMarker, WM_MARKER, 0, 0));
    for (int i = 0; i < 500 && g_nMarkersHandled < nTarget; ++i)
        Sleep(10);
    ASSERT_GE(g_nMarkersHandled.load(), nTarget) << "the dialog's thread did not get to the marker";
}

// Runs the chooser modally on this thread while `action` operates it from a second
// thread, as a user would. The action must end the dialog; one it leaves open is a failure.
template <typename Action>
INT_PTR RunChooser(CDirectoryDlg& dialog, Action action)
{
    MarkerWindow marker;
    g_hMarker = marker.m_hWnd;
    g_nMarkersPosted = g_nMarkersHandled;
    std::atomic<bool> found(false);
    std::thread driver([&] {
        HWND hDialog = uidriver::WaitForWindow(CHOOSER_TITLE, 10000, GetCurrentProcessId(), "#32770");
        found = hDialog != NULL;
        if (!hDialog)
            return;
        Settle();
        action(hDialog);
        if (!uidriver::WaitWindowGone(hDialog, 5000)) {
            ADD_FAILURE() << "the chooser was left open";
            PostMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    INT_PTR nResult = dialog.DoModal();
    driver.join();
    EXPECT_TRUE(found) << "no chooser appeared";
    return nResult;
}

std::string EditText(HWND hDialog)
{
    return uidriver::ControlText(hDialog, IDC_DIR_EDIT);
}

Items ListEntries(HWND hDialog)
{
    return uidriver::ListItems(hDialog, IDC_DIR_LIST);
}

std::string SelectedDrive(HWND hDialog)
{
    int nSelected = uidriver::ComboSelection(hDialog, IDC_DRIVE_COMBO);
    Items items = uidriver::ComboItems(hDialog, IDC_DRIVE_COMBO);
    return nSelected >= 0 && nSelected < static_cast<int>(items.size()) ? items[nSelected] : std::string();
}

int IndexOf(const Items& items, const std::string& entry)
{
    auto it = std::find(items.begin(), items.end(), entry);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

bool Contains(const Items& items, const std::string& entry)
{
    return IndexOf(items, entry) >= 0;
}

Items Sorted(Items items)
{
    std::sort(items.begin(), items.end());
    return items;
}

// Double-clicks an entry by its text and lets the dialog act on it.
void DoubleClick(HWND hDialog, const std::string& entry)
{
    int nIndex = IndexOf(ListEntries(hDialog), entry);
    ASSERT_GE(nIndex, 0) << "no entry " << entry;
    ASSERT_TRUE(uidriver::DoubleClickListItem(hDialog, IDC_DIR_LIST, nIndex));
    Settle();
}

// Selects an entry as a click would, without opening it.
void SelectEntry(HWND hDialog, const std::string& entry)
{
    int nIndex = IndexOf(ListEntries(hDialog), entry);
    ASSERT_GE(nIndex, 0) << "no entry " << entry;
    SendMessageA(GetDlgItem(hDialog, IDC_DIR_LIST), LB_SETCURSEL, nIndex, 0);
}

void ChooseDrive(HWND hDialog, char letter)
{
    std::string entry = std::string("[-") + letter + "-]";
    int nIndex = IndexOf(uidriver::ComboItems(hDialog, IDC_DRIVE_COMBO), entry);
    ASSERT_GE(nIndex, 0) << "no drive " << entry;
    ASSERT_TRUE(uidriver::SelectComboItem(hDialog, IDC_DRIVE_COMBO, nIndex));
    Settle();
}

void Type(HWND hDialog, const std::string& text)
{
    ASSERT_TRUE(uidriver::TypeText(hDialog, IDC_DIR_EDIT, text));
    Settle();
}

void Screenshot(HWND hDialog, const char* pszName)
{
    std::string dir = uidriver::ModuleDirectory() + "..\\screenshots\\";
    CreateDirectoryA(dir.c_str(), NULL);
    EXPECT_TRUE(uidriver::SaveScreenshot(dir + pszName, hDialog)) << pszName;
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

View ReadView(HWND hDialog)
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

// --- Start directories --------------------------------------------------------------------

TEST_F(Chooser, MissingDefaultStartShowsOnlyTheWayUp)
{
    if (DirectoryExists("C:\\Pelorin"))
        GTEST_SKIP() << "C:\\Pelorin exists in this prefix";
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = "C:\\Pelorin";
    View view;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  view = ReadView(h);
                  Screenshot(h, "chooser-missing-start.png");
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ("C:\\Pelorin\\", view.edit);
    EXPECT_EQ(Items{"[..]"}, view.list);
    EXPECT_EQ(0, view.nListSelection);
    EXPECT_EQ("[-c-]", view.drive);
    EXPECT_STREQ("C:\\Pelorin", dialog.m_strPath) << "Next right away hands back the start";
}

TEST_F(Chooser, MissingStartGoesUpToTheNearestLevel)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (ROOT + "Missing").c_str();
    View missing, up;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  missing = ReadView(h);
                  DoubleClick(h, "[..]");
                  up = ReadView(h);
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ(ROOT + "Missing\\", missing.edit);
    EXPECT_EQ(Items{"[..]"}, missing.list);
    EXPECT_EQ(0, missing.nListSelection);
    EXPECT_EQ(ROOT, up.edit);
    EXPECT_EQ(Sorted({"[..]", "[Base]", "[Long]", "[Second]", "[drive]"}), Sorted(up.list));
    EXPECT_EQ((ROOT.substr(0, ROOT.size() - 1)).c_str(), std::string(dialog.m_strPath));
}

TEST_F(Chooser, ExistingStartListsItsSubdirectoriesOnly)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    View view;
    RunChooser(dialog, [&](HWND h) {
        view = ReadView(h);
        Screenshot(h, "chooser-existing.png");
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(BASE, view.edit);
    EXPECT_EQ(Sorted({"[..]", "[Alpha]", "[Beta]", "[Secret]"}), Sorted(view.list))
        << "files are not listed, hidden and system directories are, [.] never";
    EXPECT_EQ(0, view.nListSelection) << "the first entry of the sorted list is selected";
    EXPECT_EQ("[-c-]", view.drive);
}

TEST_F(Chooser, StartWithTrailingBackslashAndEmptyStart)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = BASE.c_str();
    std::string edit;
    RunChooser(dialog, [&](HWND h) {
        edit = EditText(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(BASE, edit) << "no second backslash is added";

    // An empty start is the root of the current drive: this process runs on Z:.
    char szCurrent[MAX_PATH];
    GetCurrentDirectoryA(sizeof szCurrent, szCurrent);
    dialog.m_strPath = "";
    View view;
    RunChooser(dialog, [&](HWND h) {
        view = ReadView(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(std::string(szCurrent, 3), view.edit);
    EXPECT_FALSE(Contains(view.list, "[..]"));
    EXPECT_EQ(std::string("[-") + static_cast<char>(szCurrent[0] | 0x20) + "-]", view.drive);
}

TEST_F(Chooser, DriveRootHasNoWayUp)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = "C:\\";
    View view;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  view = ReadView(h);
                  Screenshot(h, "chooser-drive-root.png");
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ("C:\\", view.edit);
    EXPECT_FALSE(Contains(view.list, "[..]"));
    EXPECT_FALSE(Contains(view.list, "[.]"));
    EXPECT_TRUE(Contains(view.list, "[chooser-test]"));
    EXPECT_TRUE(Contains(view.list, "[windows]"));
    EXPECT_EQ(0, view.nListSelection);
    EXPECT_STREQ("C:", dialog.m_strPath) << "C:\\ loses its one backslash";
}

// --- Steps --------------------------------------------------------------------------------

TEST_F(Chooser, DescendAndGoBackUp)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE + "Alpha").c_str();
    View alpha, base, beta, deep, backToBeta;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  alpha = ReadView(h);
                  DoubleClick(h, "[..]");
                  base = ReadView(h);
                  DoubleClick(h, "[Beta]");
                  beta = ReadView(h);
                  DoubleClick(h, "[Deep]");
                  deep = ReadView(h);
                  DoubleClick(h, "[..]");
                  backToBeta = ReadView(h);
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ(BASE + "Alpha\\", alpha.edit);
    EXPECT_EQ(Items{"[..]"}, alpha.list);
    EXPECT_EQ(BASE, base.edit);
    EXPECT_EQ(4u, base.list.size());
    EXPECT_EQ(BASE + "Beta\\", beta.edit);
    EXPECT_EQ(Sorted({"[..]", "[Deep]"}), Sorted(beta.list));
    EXPECT_EQ(0, beta.nListSelection);
    EXPECT_EQ(BASE + "Beta\\Deep\\", deep.edit);
    EXPECT_EQ(BASE + "Beta\\", backToBeta.edit);
    EXPECT_EQ("[-c-]", backToBeta.drive);
    EXPECT_EQ(BASE + "Beta", std::string(dialog.m_strPath));
}

TEST_F(Chooser, RealMouseDoubleClickOpensTheEntry)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    std::string edit;
    RunChooser(dialog, [&](HWND h) {
        HWND hList = GetDlgItem(h, IDC_DIR_LIST);
        int nIndex = IndexOf(ListEntries(h), "[Beta]");
        RECT rcItem = {};
        SendMessageA(hList, LB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(&rcItem));
        LPARAM at = MAKELPARAM((rcItem.left + rcItem.right) / 2, (rcItem.top + rcItem.bottom) / 2);
        PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(hList, WM_LBUTTONUP, 0, at);
        PostMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(hList, WM_LBUTTONUP, 0, at);
        Settle();
        edit = EditText(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(BASE + "Beta\\", edit);
}

TEST_F(Chooser, TypedPathIsTheBaseOfTheNextStep)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    View down, up;
    RunChooser(dialog, [&](HWND h) {
        // [Beta] of Base is selected, but the typed directory is where the step starts.
        SelectEntry(h, "[Beta]");
        Type(h, SECOND.substr(0, SECOND.size() - 1));
        DoubleClick(h, "[Beta]");
        down = ReadView(h);
        // Up from a typed path whose last component has one letter.
        SelectEntry(h, "[..]");
        Type(h, BASE + "a");
        DoubleClick(h, "[..]");
        up = ReadView(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(SECOND + "Beta\\", down.edit);
    EXPECT_EQ(Sorted({"[..]", "[FromSecond]"}), Sorted(down.list));
    EXPECT_EQ(BASE, up.edit);
    EXPECT_EQ(4u, up.list.size());
}

TEST_F(Chooser, UpStepsToTheDriveRoot)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (ROOT + "Base").c_str();
    std::string first, second, root;
    Items rootList;
    RunChooser(dialog, [&](HWND h) {
        DoubleClick(h, "[..]");
        first = EditText(h);
        DoubleClick(h, "[..]");
        second = EditText(h);
        rootList = ListEntries(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(ROOT, first);
    EXPECT_EQ("C:\\", second);
    EXPECT_FALSE(Contains(rootList, "[..]"));

    // Typing C:\ while [..] of another directory is selected: up from C:\ is C:*, the
    // current directory of C:, which is its root in this process.
    dialog.m_strPath = (ROOT + "Base").c_str();
    RunChooser(dialog, [&](HWND h) {
        SelectEntry(h, "[..]");
        Type(h, "C:\\");
        DoubleClick(h, "[..]");
        root = EditText(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ("C:\\", root);
}

// --- Enter and the result -------------------------------------------------------------------

TEST_F(Chooser, EnterInTheListNavigatesAndKeepsTheDialogOpen)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    std::string edit;
    bool bOpen = false;
    std::string pathAfterEnter;
    EXPECT_EQ(IDCANCEL, RunChooser(dialog, [&](HWND h) {
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDC_DIR_LIST));
                  Settle();
                  SelectEntry(h, "[Beta]");
                  uidriver::PressEnter(h);
                  Settle();
                  bOpen = IsWindow(h) && IsWindowVisible(h);
                  edit = EditText(h);
                  pathAfterEnter = dialog.m_strPath.GetString();
                  EXPECT_EQ(GetDlgItem(h, IDC_DIR_LIST), uidriver::Focus(h)) << "the list keeps the focus";
                  uidriver::PressEnter(h);  // into [..]: back to Base
                  Settle();
                  EXPECT_EQ(BASE, EditText(h));
                  Screenshot(h, "chooser-after-enter-in-list.png");
                  uidriver::Click(h, IDCANCEL);
              }));
    EXPECT_TRUE(bOpen);
    EXPECT_EQ(BASE + "Beta\\", edit);
    EXPECT_EQ(BASE.substr(0, BASE.size() - 1), pathAfterEnter) << "every Enter stores the edit text first";
    EXPECT_EQ(BASE + "Beta", std::string(dialog.m_strPath)) << "the second Enter stored Beta";
}

TEST_F(Chooser, EnterInTheEditOrTheDriveListEndsWithOk)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    int nFocusID = 0;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  nFocusID = GetDlgCtrlID(uidriver::Focus(h));
                  uidriver::PressEnter(h);
              }));
    EXPECT_EQ(IDC_DIR_EDIT, nFocusID) << "the edit field has the focus at the start";
    EXPECT_EQ(BASE.substr(0, BASE.size() - 1), std::string(dialog.m_strPath));

    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDC_DRIVE_COMBO));
                  Settle();
                  uidriver::PressEnter(h);
              }));
    EXPECT_EQ(IDCANCEL, RunChooser(dialog, [&](HWND h) {
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDCANCEL));
                  Settle();
                  uidriver::PressEnter(h);
              })) << "Enter on a focused button activates it";
    EXPECT_EQ(IDCANCEL, RunChooser(dialog, [&](HWND h) { uidriver::CloseBox(h); }));
}

TEST_F(Chooser, ResultLosesOneTrailingBackslash)
{
    CDirectoryDlg dialog(NULL);
    struct Case {
        const char* pszTyped;
        const char* pszResult;
    } cases[] = {
        {"D:\\Apps\\Tool\\", "D:\\Apps\\Tool"},
        {"D:\\Apps\\\\", "D:\\Apps\\"},
        {"C:\\Pelorin", "C:\\Pelorin"},
        {"", ""},
    };
    for (const Case& c : cases) {
        dialog.m_strPath = "C:\\";
        EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                      Type(h, c.pszTyped);
                      uidriver::Click(h, IDOK);
                  }));
        EXPECT_STREQ(c.pszResult, dialog.m_strPath) << "typed " << c.pszTyped;
    }
}

TEST_F(Chooser, ReopensAtTheLastChoice)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    RunChooser(dialog, [&](HWND h) {
        DoubleClick(h, "[Beta]");
        uidriver::Click(h, IDOK);
    });
    std::string edit;
    RunChooser(dialog, [&](HWND h) {
        edit = EditText(h);
        uidriver::Click(h, IDCANCEL);
    });
    EXPECT_EQ(BASE + "Beta\\", edit);
}

// --- Drives -------------------------------------------------------------------------------

TEST_F(Chooser, DriveListAndDriveChange)
{
    TestDrive drive(ROOT + "drive");
    ASSERT_NE(0, drive.Letter()) << "the mount manager gave no drive";
    const char letter = drive.Letter();
    const std::string entry = std::string("[-") + letter + "-]";
    const std::string root = std::string(1, static_cast<char>(letter & ~0x20)) + ":\\";

    char szCurrent[MAX_PATH];
    GetCurrentDirectoryA(sizeof szCurrent, szCurrent);

    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    Items drives;
    View onTestDrive, onCurrentDrive, onC;
    bool bOpenAfterEnter = false;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  drives = uidriver::ComboItems(h, IDC_DRIVE_COMBO);
                  ChooseDrive(h, letter);
                  onTestDrive = ReadView(h);
                  Screenshot(h, "chooser-files-only-drive.png");
                  // A drive holding only files: Enter in its empty list does nothing.
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDC_DIR_LIST));
                  Settle();
                  uidriver::PressEnter(h);
                  Settle();
                  bOpenAfterEnter = IsWindow(h) && IsWindowVisible(h) && ReadView(h) == onTestDrive;
                  ChooseDrive(h, static_cast<char>(szCurrent[0] | 0x20));
                  onCurrentDrive = ReadView(h);
                  ChooseDrive(h, 'c');
                  onC = ReadView(h);
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_TRUE(Contains(drives, "[-c-]"));
    EXPECT_TRUE(Contains(drives, "[-z-]")) << "Wine's Z: is the host's root";
    EXPECT_TRUE(Contains(drives, entry));
    EXPECT_EQ(Sorted(drives), drives) << "the drive list is sorted";

    EXPECT_EQ(0, lstrcmpiA(root.c_str(), onTestDrive.edit.c_str())) << onTestDrive.edit;
    EXPECT_TRUE(onTestDrive.list.empty()) << "files are not listed and a root has no [..]";
    EXPECT_EQ(-1, onTestDrive.nListSelection);
    EXPECT_EQ(entry, onTestDrive.drive);
    EXPECT_TRUE(bOpenAfterEnter);

    EXPECT_EQ(0, lstrcmpiA((std::string(szCurrent) + "\\").c_str(), onCurrentDrive.edit.c_str()))
        << "a drive with a current directory of its own shows that directory: " << onCurrentDrive.edit;
    EXPECT_TRUE(Contains(onCurrentDrive.list, "[..]"));

    EXPECT_EQ(0, lstrcmpiA("C:\\", onC.edit.c_str())) << onC.edit;
    EXPECT_EQ("[-c-]", onC.drive);
    EXPECT_TRUE(Contains(onC.list, "[chooser-test]"));
    EXPECT_EQ(0, lstrcmpiA("C:", dialog.m_strPath)) << dialog.m_strPath.GetString();
}

TEST_F(Chooser, PathWithoutDriveLetterSelectsNoDrive)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = "\\\\nowhere-server\\share";
    View view;
    RunChooser(dialog, [&](HWND h) {
        view = ReadView(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ("\\\\nowhere-server\\share\\", view.edit);
    EXPECT_EQ(Items{"[..]"}, view.list);
    EXPECT_EQ("", view.drive);
}

// --- Paths too long for the 256-character buffers: the step is refused ------------------

TEST_F(Chooser, LongNamesAreListedOnlyWhenTheirEntryFits)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (LONG_DIR.substr(0, LONG_DIR.size() - 1)).c_str();
    View view;
    RunChooser(dialog, [&](HWND h) {
        view = ReadView(h);
        Screenshot(h, "chooser-long-names.png");
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(LONG_DIR, view.edit);
    EXPECT_TRUE(Contains(view.list, "[" + std::string(232, 'n') + "]"));
    EXPECT_TRUE(Contains(view.list, "[" + std::string(240, 'm') + "]"));
    EXPECT_TRUE(Contains(view.list, "[" + std::string(253, 'x') + "]")) << "255 characters in brackets fit";
    EXPECT_FALSE(Contains(view.list, "[" + std::string(254, 'y') + "]")) << "256 characters would not";
    EXPECT_EQ(4u, view.list.size());
}

TEST_F(Chooser, DescentThatFitsIsTakenOneThatDoesNotIsRefused)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (LONG_DIR.substr(0, LONG_DIR.size() - 1)).c_str();
    View before, refused, refusedLonger;
    std::string fitted, backUp;
    RunChooser(dialog, [&](HWND h) {
        SelectEntry(h, "[" + std::string(240, 'm') + "]");
        before = ReadView(h);
        DoubleClick(h, "[" + std::string(240, 'm') + "]");  // 21 + 240 + 2 = 263
        refused = ReadView(h);
        DoubleClick(h, "[" + std::string(253, 'x') + "]");
        refusedLonger = ReadView(h);
        DoubleClick(h, "[" + std::string(232, 'n') + "]");  // 21 + 232 + 2 = 255
        fitted = EditText(h);
        DoubleClick(h, "[..]");
        backUp = EditText(h);
        uidriver::PressEscape(h);
    });
    EXPECT_EQ(before, refused) << "a refused step changes nothing";
    EXPECT_EQ(LONG_DIR, refusedLonger.edit);
    EXPECT_EQ(LONG_DIR + std::string(232, 'n') + "\\", fitted);
    EXPECT_EQ(LONG_DIR, backUp);
}

TEST_F(Chooser, OverlongTypedPathRefusesSteps)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (BASE.substr(0, BASE.size() - 1)).c_str();
    const std::string typed = BASE + std::string(280, 't');
    View before, afterUp, afterDown;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  Type(h, typed);
                  before = ReadView(h);
                  DoubleClick(h, "[..]");
                  afterUp = ReadView(h);
                  SelectEntry(h, "[Alpha]");
                  before.nListSelection = uidriver::ListSelection(h, IDC_DIR_LIST);
                  DoubleClick(h, "[Alpha]");
                  afterDown = ReadView(h);
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ(typed, before.edit);
    EXPECT_EQ(before.edit, afterUp.edit);
    EXPECT_EQ(before.list, afterUp.list);
    EXPECT_EQ(before, afterDown);
    EXPECT_EQ(typed, std::string(dialog.m_strPath)) << "Next hands back the whole text, whatever its length";
}

TEST_F(Chooser, OverlongStartIsShownAsItStands)
{
    CDirectoryDlg dialog(NULL);
    const std::string start = "C:\\" + std::string(251, 's');  // 254: its pattern would need 256
    dialog.m_strPath = start.c_str();
    View view;
    std::string up;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  view = ReadView(h);
                  Screenshot(h, "chooser-overlong-start.png");
                  DoubleClick(h, "[..]");
                  up = EditText(h);
                  Type(h, start);
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ(start, view.edit);
    EXPECT_EQ(Items{"[..]"}, view.list);
    EXPECT_EQ(0, view.nListSelection);
    EXPECT_EQ("[-c-]", view.drive);
    EXPECT_EQ("C:\\", up) << "its way up still works";
    EXPECT_EQ(start, std::string(dialog.m_strPath));

    const std::string longer = "C:\\" + std::string(300, 's');
    dialog.m_strPath = longer.c_str();
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  view = ReadView(h);
                  DoubleClick(h, "[..]");  // the text is longer than the buffer: refused
                  up = EditText(h);
                  uidriver::Click(h, IDOK);
              }));
    EXPECT_EQ(longer, view.edit);
    EXPECT_EQ(longer, up);
    EXPECT_EQ(longer, std::string(dialog.m_strPath));
}

} // namespace
