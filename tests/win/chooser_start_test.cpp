// Where the directory chooser opens, one row a start: directories that exist and that do
// not, a drive root, an empty start, a start without a drive letter, a directory of long
// names, and starts too long for the chooser's 256-character buffers. Screenshots go to
// <build>/win/screenshots.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chooser_support.h"

using namespace choosertest;

namespace {

const std::string DEFAULT_START = "C:\\Pelorin";

std::vector<Walk> Starts()
{
    char szCurrent[MAX_PATH];
    GetCurrentDirectoryA(sizeof szCurrent, szCurrent);
    const std::string currentRoot(szCurrent, 3);  // this process runs on Z:
    const std::string currentDrive = std::string("[-") + static_cast<char>(szCurrent[0] | 0x20) + "-]";
    const std::string overlong = "C:\\" + std::string(251, 's');  // 254: its pattern would need 256
    const std::string longer = "C:\\" + std::string(300, 's');    // longer than the buffers themselves
    const std::string share = "\\\\nowhere-server\\share";
    return {
        {"MissingDefaultShowsOnlyTheWayUp", DEFAULT_START, {{Act::Look, "", DEFAULT_START + "\\", {"[..]"}}},
         DEFAULT_START, "chooser-missing-start"},
        {"MissingGoesUpToTheNearestLevel", ROOT + "Missing",
         {{Act::Look, "", ROOT + "Missing\\", {"[..]"}}, {Act::Open, "[..]", ROOT, ROOT_ENTRIES}},
         WithoutBackslash(ROOT)},
        {"ExistingListsItsSubdirectories", WithoutBackslash(BASE), {{Act::Look, "", BASE, BASE_ENTRIES}},
         WithoutBackslash(BASE), "chooser-existing"},
        {"TrailingBackslashGetsNoSecond", BASE, {{Act::Look, "", BASE, BASE_ENTRIES}}, WithoutBackslash(BASE)},
        {"EmptyIsTheCurrentDrivesRoot", "", {{Act::Look, "", currentRoot, {}, {"[..]"}, currentDrive}},
         currentRoot.substr(0, 2)},
        {"DriveRootHasNoWayUp", "C:\\", {{Act::Look, "", "C:\\", {"[chooser-test]", "[windows]"}, {"[..]", "[.]"}}},
         "C:", "chooser-drive-root"},
        {"PathWithoutDriveLetterSelectsNoDrive", share, {{Act::Look, "", share + "\\", {"[..]"}, {}, ""}}, share},
        {"LongNamesListedOnlyWhenTheirEntryFits", WithoutBackslash(LONG_DIR), {{Act::Look, "", LONG_DIR, LONG_ENTRIES}},
         WithoutBackslash(LONG_DIR), "chooser-long-names"},
        {"OverlongShownAsItStandsWithItsWayUp", overlong,
         {{Act::Look, "", overlong, {"[..]"}},
          {Act::Open, "[..]", "C:\\", {"[chooser-test]"}, {"[..]"}},
          {Act::Type, overlong}},
         overlong, "chooser-overlong-start"},
        {"LongerThanTheBuffersShownAsItStands", longer, {{Act::Look, "", longer, {"[..]"}}, {Act::Refuse, "[..]"}},
         longer},
    };
}

TEST_P(ChooserWalk, OpensWhereItsStartLeads)
{
    if (GetParam().start == DEFAULT_START && DirectoryExists(DEFAULT_START))
        GTEST_SKIP() << DEFAULT_START << " exists in this prefix";
    ExpectWalk(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Start, ChooserWalk, ::testing::ValuesIn(Starts()), WalkName);

} // namespace
