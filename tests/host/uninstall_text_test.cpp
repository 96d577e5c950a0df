// The uninstaller's texts that need no window: the bounded message text, the arguments of
// Remove and the directory a registered uninstall command names.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "uninstall/MessageText.h"
#include "uninstall/RemoveArguments.h"

namespace {

// The report of an uninstall that leaves many long paths behind (a large payload in a deep
// directory, removed while its files are in use). On the heap, so that a write past the
// text is one the address sanitizer sees.
TEST(MessageText, OnceCutItTakesNothingMoreAndEndsInAnEllipsis)
{
    auto report = std::make_unique<CMessageText>();
    const std::string path = "C:\\" + std::string(146, 'd') + "\\a.dll";
    for (int i = 0; i < 41; ++i)
        *report << path.c_str() << " (" << "could not be removed (in use?)" << ")\n";
    const std::string cut = report->Get();
    ASSERT_LT(cut.size(), CMessageText::CAPACITY);
    EXPECT_EQ("...", cut.substr(cut.size() - 3));
    *report << "and more.\n";
    EXPECT_EQ(cut, report->Get()) << "nothing is appended after the cut";
}

TEST(MessageText, APieceThatFitsExactlyIsWholeAndTheNextOneCuts)
{
    CMessageText text;
    const std::string filler(CMessageText::CAPACITY - 4, 'x');
    text << filler.c_str();
    EXPECT_EQ(filler, text.Get());
    text << "y";
    EXPECT_EQ(filler + "...", text.Get());
}

struct ArgumentsCase {
    const char* pszText;
    bool bUnderstood;
    bool bSilent;
    const char* pszDir;
    const char* pszLog;
};

TEST(RemoveArguments, DirectorySilentAndLogInAnyOrder)
{
    const std::string tooLong = "\"C:\\" + std::string(REMOVE_PATH_SIZE, 'x') + "\"";
    const ArgumentsCase cases[] = {
        {"\"C:\\Program Files\\Pelorin\\\" -silent", true, true, "C:\\Program Files\\Pelorin\\", ""},
        {"  C:\\Pelorin  ", true, false, "C:\\Pelorin", ""},
        {"-SILENT -Log=\"C:\\Logs\\un install.log\" \"C:\\P\\\"", true, true, "C:\\P\\", "C:\\Logs\\un install.log"},
        {"\"C:\\A,Remove B\\\" -log=C:\\u.log", true, false, "C:\\A,Remove B\\", "C:\\u.log"},
        {"", true, false, "", ""},
        // Not understood: the parts read before the fault are kept.
        {"-log=C:\\u.log -quiet \"C:\\P\\\"", false, false, "", "C:\\u.log"},
        {"\"C:\\P\\\" \"C:\\Q\\\"", false, false, "C:\\P\\", ""},
        {"C:\\Program Files\\Pelorin", false, false, "C:\\Program", ""},
        {"\"C:\\P\\", false, false, "", ""},
        {"\"C:\\P\\\"-silent", false, false, "", ""},
        {"-silent -silently", false, true, "", ""},
        {"-log=\"\"", false, false, "", ""},
        {tooLong.c_str(), false, false, "", ""},
    };
    for (const ArgumentsCase& c : cases) {
        RemoveArguments arguments;
        EXPECT_EQ(c.bUnderstood, ParseRemoveArguments(c.pszText, &arguments)) << c.pszText;
        EXPECT_EQ(c.bSilent, arguments.bSilent) << c.pszText;
        EXPECT_STREQ(c.pszDir, arguments.szDir) << c.pszText;
        EXPECT_STREQ(c.pszLog, arguments.szLog) << c.pszText;
    }
}

// The registered command's arguments start after the first "BraxDel.dll,Remove": a
// directory holding ",Remove " further on is part of the directory.
TEST(RemoveArguments, RegisteredCommandsArgumentsFollowTheFirstEntryName)
{
    const struct {
        const char* pszCommand;
        const char* pszArguments;
    } cases[] = {
        {"\"C:\\windows\\syswow64\\Rundll32.exe\" BraxDel.dll,Remove \"C:\\A,Remove B\\\"",
         " \"C:\\A,Remove B\\\""},
        {"Rundll32.exe braxdel.DLL,remove \"C:\\P\\\" -silent", " \"C:\\P\\\" -silent"},
        {"Rundll32.exe BraxDel.dll,RemoveAll \"C:\\P\\\"", nullptr},
        {"Rundll32.exe Other.dll,Remove \"C:\\BraxDel.dll\\\"", nullptr},
    };
    for (const auto& c : cases) {
        const char* pszArguments = RegisteredRemoveArguments(c.pszCommand);
        if (!c.pszArguments) {
            EXPECT_EQ(nullptr, pszArguments) << c.pszCommand;
        } else {
            EXPECT_STREQ(c.pszArguments, pszArguments) << c.pszCommand;
        }
    }
    RemoveArguments arguments;
    EXPECT_TRUE(ParseRemoveArguments(RegisteredRemoveArguments(cases[0].pszCommand), &arguments));
    EXPECT_STREQ("C:\\A,Remove B\\", arguments.szDir);
}

} // namespace
