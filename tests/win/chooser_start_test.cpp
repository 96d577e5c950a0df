// Where the directory chooser opens: start directories that exist and that do not, a
// drive root, an empty start, and a start without a drive letter. Screenshots go to
// <build>/win/screenshots.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "chooser_support.h"

using namespace choosertest;

namespace {

TEST_F(Chooser, MissingDefaultStartShowsOnlyTheWayUp)
{
    if (DirectoryExists("C:\\Pelorin"))
        GTEST_SKIP() << "C:\\Pelorin exists in this prefix";
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = "C:\\Pelorin";
    View view;
    EXPECT_EQ(IDOK, RunChooser(dialog, [&](HWND h) {
                  view = ReadView(h);
                  Screenshot(h, "chooser-missing-start");
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
        Screenshot(h, "chooser-existing");
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
                  Screenshot(h, "chooser-drive-root");
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

} // namespace
