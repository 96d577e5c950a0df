// Paths too long for the directory chooser's 256-character buffers: long names listed only
// when their entry fits, steps that would not fit refused without a change, and overlong
// typed and start paths kept as they stand.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "chooser_support.h"

using namespace choosertest;

namespace {

TEST_F(Chooser, LongNamesAreListedOnlyWhenTheirEntryFits)
{
    CDirectoryDlg dialog(NULL);
    dialog.m_strPath = (LONG_DIR.substr(0, LONG_DIR.size() - 1)).c_str();
    View view;
    RunChooser(dialog, [&](HWND h) {
        view = ReadView(h);
        Screenshot(h, "chooser-long-names");
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
                  Screenshot(h, "chooser-overlong-start");
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
