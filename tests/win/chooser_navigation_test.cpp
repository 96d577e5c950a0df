// Moving through folders in the directory chooser as a user does, one row a walk: steps
// down and up by double-click (the list's notification and a real mouse double-click), a
// typed path as the base of the next step, steps too long for the chooser's 256-character
// buffers refused without a change; then Enter in the list, and the drive list with a
// drive of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

#include "chooser_support.h"

using namespace choosertest;

namespace {

std::vector<Walk> Walks()
{
    const Items betaEntries = {"[..]", "[Deep]"};
    const std::string typed = BASE + std::string(280, 't');
    return {
        {"DescendAndGoBackUp", BASE + "Alpha",
         {{Act::Look, "", BASE + "Alpha\\", {"[..]"}},
          {Act::Open, "[..]", BASE, BASE_ENTRIES},
          {Act::Open, "[Beta]", BASE + "Beta\\", betaEntries},
          {Act::Open, "[Deep]", BASE + "Beta\\Deep\\", {"[..]"}},
          {Act::Open, "[..]", BASE + "Beta\\", betaEntries}},
         BASE + "Beta"},
        {"RealMouseDoubleClickOpensTheEntry", WithoutBackslash(BASE),
         {{Act::MouseOpen, "[Beta]", BASE + "Beta\\", betaEntries}}, BASE + "Beta"},
        // [Beta] of Base is selected, but the typed directory is where the step starts;
        // then up from a typed path whose last component has one letter.
        {"TypedPathIsTheBaseOfTheNextStep", WithoutBackslash(BASE),
         {{Act::Select, "[Beta]"},
          {Act::Type, WithoutBackslash(SECOND)},
          {Act::Open, "[Beta]", SECOND + "Beta\\", {"[..]", "[FromSecond]"}},
          {Act::Select, "[..]"},
          {Act::Type, BASE + "a"},
          {Act::Open, "[..]", BASE, BASE_ENTRIES}},
         WithoutBackslash(BASE)},
        {"UpStepsToTheDriveRoot", ROOT + "Base",
         {{Act::Open, "[..]", ROOT, ROOT_ENTRIES}, {Act::Open, "[..]", "C:\\", {"[chooser-test]"}, {"[..]"}}}, "C:"},
        // Up from C:\ is C:*, the current directory of C:, which is its root in this process.
        {"UpFromATypedDriveRootStaysThere", ROOT + "Base",
         {{Act::Select, "[..]"}, {Act::Type, "C:\\"}, {Act::Open, "[..]", "C:\\", {"[chooser-test]"}, {"[..]"}}},
         "C:"},
        {"DescentThatFitsIsTakenOneThatDoesNotIsRefused", WithoutBackslash(LONG_DIR),
         {{Act::Refuse, Entry(TOO_DEEP)},
          {Act::Refuse, Entry(LONGEST_LISTED)},
          {Act::Open, Entry(ENTERABLE), LONG_DIR + ENTERABLE + "\\", {"[..]"}},
          {Act::Open, "[..]", LONG_DIR, LONG_ENTRIES}},
         WithoutBackslash(LONG_DIR)},
        // Next hands back the whole typed text, whatever its length.
        {"OverlongTypedPathRefusesSteps", WithoutBackslash(BASE),
         {{Act::Type, typed}, {Act::Refuse, "[..]"}, {Act::Refuse, "[Alpha]"}}, typed},
    };
}

TEST_P(ChooserWalk, ShowsWhereEachStepLeads)
{
    ExpectWalk(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Navigation, ChooserWalk, ::testing::ValuesIn(Walks()), WalkName);

TEST_F(Chooser, EnterInTheListNavigatesAndKeepsTheDialogOpen)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = WithoutBackslash(BASE).c_str();
    std::string edit;
    bool bOpen = false;
    std::string pathAfterEnter;
    EXPECT_EQ(IDCANCEL, RunChooser(dialog, [&](HWND h) {
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDC_DIR_LIST));
                  Settle(h);
                  SelectEntry(h, "[Beta]");
                  uidriver::PressEnter(h);
                  Settle(h);
                  bOpen = IsWindow(h) && IsWindowVisible(h);
                  edit = EditText(h);
                  pathAfterEnter = dialog.m_strPath.GetString();
                  EXPECT_EQ(GetDlgItem(h, IDC_DIR_LIST), uidriver::Focus(h)) << "the list keeps the focus";
                  uidriver::PressEnter(h);  // into [..]: back to Base
                  Settle(h);
                  EXPECT_EQ(BASE, EditText(h));
                  Screenshot(h, "chooser-after-enter-in-list");
                  uidriver::Click(h, IDCANCEL);
              }));
    EXPECT_TRUE(bOpen);
    EXPECT_EQ(BASE + "Beta\\", edit);
    EXPECT_EQ(WithoutBackslash(BASE), pathAfterEnter) << "every Enter stores the edit text first";
    EXPECT_EQ(BASE + "Beta", std::string(dialog.m_strPath)) << "the second Enter stored Beta";
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

// A drive whose listing cannot be shown (its current directory is too long for the
// chooser's 256 characters): nothing changes, and the drive list goes back to the drive
// that the edit field and the list still show.
TEST_F(Chooser, DriveWhoseListingCannotBeShownLeavesTheViewAsItWas)
{
    TestDrive drive(ROOT + "drive");
    ASSERT_NE(0, drive.Letter()) << "the mount manager gave no drive";
    // A drive's own current directory lives in the variable "=X:".
    const std::string variable = std::string("=") + static_cast<char>(drive.Letter() & ~0x20) + ":";
    const std::string longCurrent = variable.substr(1) + "\\" + std::string(300, 'q');
    ASSERT_TRUE(SetEnvironmentVariableA(variable.c_str(), longCurrent.c_str()));
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = WithoutBackslash(BASE).c_str();
    View before, after;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  before = ReadView(h);
                  ChooseDrive(h, drive.Letter());
                  after = ReadView(h);
                  uidriver::Click(h, IDOK);
              }));
    SetEnvironmentVariableA(variable.c_str(), NULL);
    EXPECT_EQ("[-c-]", before.drive);
    EXPECT_EQ(before, after) << "edit \"" << after.edit << "\", drive " << after.drive;
}

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
    dialog.m_strPath = WithoutBackslash(BASE).c_str();
    Items drives;
    View onTestDrive, onCurrentDrive, onC;
    bool bOpenAfterEnter = false;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  drives = uidriver::ComboItems(h, IDC_DRIVE_COMBO);
                  ChooseDrive(h, letter);
                  onTestDrive = ReadView(h);
                  Screenshot(h, "chooser-files-only-drive");
                  // A drive holding only files: Enter in its empty list does nothing.
                  ASSERT_TRUE(uidriver::SetFocusTo(h, IDC_DIR_LIST));
                  Settle(h);
                  uidriver::PressEnter(h);
                  Settle(h);
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

} // namespace
