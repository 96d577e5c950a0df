// The switches of an unattended installation read from the raw command line, the rules a
// directory given there is held to, and the log's lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/InstallLog.h"
#include "app/InstallSwitches.h"
#include "engine/InstallDirText.h"
#include "engine/Options.h"
#include "engine/SetupDirectory.h"

namespace {

InstallSwitches Parse(const char* pszCommandLine, bool* pbUnderstood = nullptr)
{
    InstallSwitches switches;
    bool bUnderstood = ParseInstallSwitches(pszCommandLine, &switches);
    if (pbUnderstood)
        *pbUnderstood = bUnderstood;
    return switches;
}

std::string RefusalOf(const char* pszCommandLine)
{
    bool bUnderstood = true;
    InstallSwitches switches = Parse(pszCommandLine, &bUnderstood);
    EXPECT_FALSE(bUnderstood) << pszCommandLine;
    return switches.szError;
}

} // namespace

TEST(InstallSwitches, TheOlderCommandLinesGiveNoSwitch)
{
    for (const char* pszLine : {"", "\"D:\\Disk1\\Setup.exe\"", "\"D:\\Disk1\\Setup.exe\" -autorun -ReStart",
                                "D:\\Setup.exe -AUTORUNNING C:\\Temp\\x", "\"C:\\setup-dir\\Setup.exe\" -log"}) {
        bool bUnderstood = false;
        InstallSwitches switches = Parse(pszLine, &bUnderstood);
        EXPECT_TRUE(bUnderstood) << pszLine;
        EXPECT_FALSE(switches.bSilent || switches.bDirGiven || switches.bOptionsGiven || switches.bLogGiven)
            << pszLine;
        EXPECT_STREQ("", switches.szError);
        EXPECT_STREQ(pszLine, WithoutValuedSwitches(pszLine)) << "the setup directory is derived as before";
    }
}

TEST(InstallSwitches, TheProgramsOwnPathHoldsNoSwitch)
{
    for (const char* pszLine : {"\"D:\\Pelorin-Silent\\x-dir=C:\\Setup.exe\"", "D:\\Pelorin-silent\\Setup.exe",
                                "\"D:\\Media -silent -log=x\\Setup.exe\" -autorun"}) {
        InstallSwitches switches = Parse(pszLine);
        EXPECT_FALSE(switches.bSilent || switches.bDirGiven || switches.bLogGiven) << pszLine;
        EXPECT_STREQ(pszLine, WithoutValuedSwitches(pszLine));
    }
    EXPECT_TRUE(Parse("D:\\Pelorin\\Setup.exe\t-SILENT").bSilent);
}

TEST(InstallSwitches, AutorunAndRestartAreFoundAnywhereTheProgramsPathIncluded)
{
    const struct {
        const char* pszLine;
        bool bAutorun;
        bool bRestart;
    } CASES[] = {
        {"\"D:\\Disk1\\Setup.exe\"", false, false},
        {"\"D:\\Disk1\\Setup.exe\" -AutoRun", true, false},
        {"D:\\Setup.exe -RESTARTING", false, true},
        {"\"D:\\media-autorun\\Setup.exe\" -silent", true, false},
        {"\"D:\\x-Restart\\Setup.exe\" -autorunx", true, true},
        {"Setup.exe -auto run -re start", false, false},
    };
    for (const auto& c : CASES) {
        InstallSwitches switches = Parse(c.pszLine);
        EXPECT_EQ(c.bAutorun, switches.bAutorun) << c.pszLine;
        EXPECT_EQ(c.bRestart, switches.bRestart) << c.pszLine;
    }
    // Inside a value as well, which is why such a value is refused.
    EXPECT_TRUE(Parse("Setup.exe -dir=\"C:\\Tools\\-Restart\"").bRestart);
}

TEST(InstallSwitches, EverySwitchInAnyCaseAndOrder)
{
    bool bUnderstood = false;
    InstallSwitches switches = Parse("\"D:\\Disk1\\Setup.exe\" -LOG=\"C:\\Logs\\Pelorin setup.log\" -Silent "
                                     "-options=Manuals,app -Dir=\"C:\\Some Path\" -restart",
                                     &bUnderstood);
    ASSERT_TRUE(bUnderstood) << switches.szError;
    EXPECT_TRUE(switches.bSilent);
    EXPECT_TRUE(switches.bDirGiven);
    EXPECT_STREQ("C:\\Some Path", switches.szDir);
    EXPECT_TRUE(switches.bOptionsGiven);
    EXPECT_EQ(OPTION_APPLICATION | OPTION_MANUALS, switches.nOptions);
    EXPECT_TRUE(switches.bLogGiven);
    EXPECT_STREQ("C:\\Logs\\Pelorin setup.log", switches.szLog);
}

TEST(InstallSwitches, ValueForms)
{
    // Unquoted: up to the next space or tab.
    InstallSwitches switches = Parse("Setup.exe -dir=C:\\Pelorin\\New\t-log=setup.log -options=reader");
    EXPECT_STREQ("C:\\Pelorin\\New", switches.szDir);
    EXPECT_STREQ("setup.log", switches.szLog);
    EXPECT_EQ(OPTION_READER, switches.nOptions);
    // The whole switch quoted, as programs quote an argument with a space.
    switches = Parse("Setup.exe \"-dir=C:\\Some Path\" -silent");
    EXPECT_STREQ("C:\\Some Path", switches.szDir);
    EXPECT_TRUE(switches.bSilent);
    // One trailing backslash goes, as in the chooser.
    EXPECT_STREQ("C:\\Some Path", Parse("Setup.exe -dir=\"C:\\Some Path\\\"").szDir);
    EXPECT_STREQ("", Parse("Setup.exe -dir=C:\\").szDir) << "a drive's root is refused, not cut to C:";
}

TEST(InstallSwitches, AValueIsNotSearchedForSwitches)
{
    InstallSwitches switches = Parse("Setup.exe -log=\"C:\\Logs\\x -dir=C:\\Other.log\"");
    EXPECT_FALSE(switches.bDirGiven);
    EXPECT_STREQ("C:\\Logs\\x -dir=C:\\Other.log", switches.szLog);
    // The switches found anywhere would be found inside a value as well: refused.
    EXPECT_EQ("The switch -dir= cannot be used. Its value holds another switch.",
              RefusalOf("Setup.exe -dir=\"C:\\Tools\\-Restart\""));
    EXPECT_EQ("The switch -log= cannot be used. Its value holds another switch.",
              RefusalOf("Setup.exe -log=C:\\pre-silent.log"));
}

TEST(InstallSwitches, MalformedValuesAreRefused)
{
    EXPECT_EQ("The switch -options= cannot be used. \"tools\" is not one of app, manuals, reader.",
              RefusalOf("Setup.exe -silent -options=app,tools"));
    EXPECT_EQ("The switch -options= cannot be used. \"\" is not one of app, manuals, reader.",
              RefusalOf("Setup.exe -options=app,,reader"));
    EXPECT_EQ("The switch -dir= cannot be used. Its value is empty.", RefusalOf("Setup.exe -dir= -silent"));
    EXPECT_EQ("The switch -log= cannot be used. Its value is empty.", RefusalOf("Setup.exe -log=\"\""));
    EXPECT_EQ("The switch -dir= cannot be used. Its value has no closing double quote.",
              RefusalOf("Setup.exe -dir=\"C:\\Some Path"));
    EXPECT_EQ("The switch -options= cannot be used. It is given twice.",
              RefusalOf("Setup.exe -options=app -options=manuals"));
    EXPECT_EQ("The switch -log= cannot be used. Its value is too long.",
              RefusalOf(("Setup.exe -log=C:\\" + std::string(LOG_PATH_SIZE, 'a')).c_str()));
}

TEST(InstallSwitches, ARefusalKeepsWhatElseWasUnderstood)
{
    bool bUnderstood = true;
    InstallSwitches switches = Parse("Setup.exe -dir=Pelorin -log=C:\\setup.log -silent", &bUnderstood);
    EXPECT_FALSE(bUnderstood);
    EXPECT_TRUE(switches.bSilent) << "a refusal is never shown to a script";
    EXPECT_STREQ("C:\\setup.log", switches.szLog) << "the refusal is written to the log";
    EXPECT_STREQ("", switches.szDir);
    // Only the first refusal is kept.
    EXPECT_EQ("The switch -dir= cannot be used. Its value is empty.", RefusalOf("Setup.exe -dir= -options=none"));
}

TEST(InstallSwitches, DirectoryRules)
{
    EXPECT_EQ(nullptr, InstallDirTextProblem("C:\\Pelorin"));
    EXPECT_EQ(nullptr, InstallDirTextProblem("d:\\Program Files\\Corvane 100%\\Pelorin (2)"));
    EXPECT_STREQ("The installation directory is empty.", InstallDirTextProblem(""));
    const char* pszFullPath = "The installation directory must be a full path beginning with a drive, such as C:\\Pelorin.";
    for (const char* pszDir : {"Pelorin", "\\Pelorin", "C:Pelorin", "\\\\server\\share\\Pelorin", "1:\\Pelorin", "C:"})
        EXPECT_STREQ(pszFullPath, InstallDirTextProblem(pszDir)) << pszDir;
    EXPECT_STREQ("The installation directory must not be the root of a drive.", InstallDirTextProblem("C:\\"));
    for (const char* pszDir : {"C:\\Pel*rin", "C:\\Pelorin?", "C:\\a<b", "C:\\a|b", "C:\\a\"b", "C:\\a:b", "C:\\a/b",
                               "C:\\a\tb"})
        EXPECT_STREQ("The installation directory holds a character that Windows does not allow in a name.",
                     InstallDirTextProblem(pszDir))
            << pszDir;
    EXPECT_STREQ("The installation directory has an empty name between two backslashes.",
                 InstallDirTextProblem("C:\\Pelorin\\\\New"));
    for (const char* pszDir : {"C:\\Pelorin.", "C:\\Pelorin \\New", "C:\\a\\..\\b", "C:\\."})
        EXPECT_STREQ("A name in the installation directory ends with a dot or a space.", InstallDirTextProblem(pszDir))
            << pszDir;

    // A device's name in any component, with an extension, spaces or a superscript digit.
    for (const char* pszDir : {"C:\\CON", "C:\\Pelorin\\NUL.txt", "C:\\COM1\\x", "c:\\lpt9", "C:\\a\\Aux .log\\b",
                               "C:\\com\xB9", "C:\\Pelorin\\LPT\xB3.dat", "C:\\prn.x.y", "C:\\CONOUT$"})
        EXPECT_STREQ("A name in the installation directory is one that Windows keeps for a device (CON, PRN, AUX, "
                     "NUL, COM1 to COM9, LPT1 to LPT9, also with an extension).",
                     InstallDirTextProblem(pszDir))
            << pszDir;
    for (const char* pszDir : {"C:\\CONSOLE", "C:\\COM10", "C:\\LPT", "C:\\NULL\\x.CON", "C:\\COM\xB4", "C:\\Pelorin\\CON-1"})
        EXPECT_EQ(nullptr, InstallDirTextProblem(pszDir)) << pszDir;

    // With its trailing backslash the directory must fit MAX_INSTALL_DIR_LENGTH (235):
    // 234 characters are accepted, 235 refused.
    ASSERT_EQ(235u, MAX_INSTALL_DIR_LENGTH);
    std::string longest = "C:\\" + std::string(MAX_INSTALL_DIR_LENGTH - 1 - 3, 'p');
    EXPECT_EQ(nullptr, InstallDirTextProblem(longest.c_str()));
    EXPECT_STREQ("The installation directory is too long.", InstallDirTextProblem((longest + "p").c_str()));
    EXPECT_EQ("The switch -dir= cannot be used. The installation directory is too long.",
              RefusalOf(("Setup.exe -dir=\"" + longest + "p\"").c_str()));
}

TEST(InstallSwitches, TheSetupDirectoryIsDerivedWithoutTheValues)
{
    const char* pszLine = "\"D:\\Disk1\\Setup.exe\" -silent -dir=\"C:\\Some Path\" \"-log=C:\\Logs\\a b.log\" -restart";
    EXPECT_STREQ("\"D:\\Disk1\\Setup.exe\" -silent   -restart", WithoutValuedSwitches(pszLine));
    EXPECT_STREQ("D:\\Disk1", DeriveSetupDirectory(WithoutValuedSwitches(pszLine)));
}

TEST(InstallLog, LinesAreStampedAndStayOneLine)
{
    LogTime time = {2026, 12, 9, 5, 43, 8};
    char szLine[LOG_LINE_SIZE];
    FormatLogLine(time, "Installation failed: Error installing documentation file <C:\\P\\Docs\\Index.pdf>", szLine,
                  sizeof szLine);
    EXPECT_STREQ("2026-12-09 05:43:08 Installation failed: Error installing documentation file "
                 "<C:\\P\\Docs\\Index.pdf>\r\n",
                 szLine);
    FormatLogLine(time, "two\nlines\r\n", szLine, sizeof szLine);
    EXPECT_STREQ("2026-12-09 05:43:08 two lines  \r\n", szLine);
    // A text too long for the line is cut; the line still ends.
    char szShort[26];
    FormatLogLine(time, "abcdefghij", szShort, sizeof szShort);
    EXPECT_STREQ("2026-12-09 05:43:08 abc\r\n", szShort);
}

TEST(InstallLog, LinesAreAppendedToAnOlderLog)
{
    char szPath[] = "/tmp/install_log_testXXXXXX";
    int fd = mkstemp(szPath);
    ASSERT_GE(fd, 0);
    FILE* pFile = fdopen(fd, "wb");
    std::fputs("older run\r\n", pFile);
    std::fclose(pFile);

    EXPECT_TRUE(AppendLogLine(szPath, "first\r\n"));
    EXPECT_TRUE(AppendLogLine(szPath, "second\r\n"));
    pFile = std::fopen(szPath, "rb");
    char szText[64] = "";
    size_t nRead = std::fread(szText, 1, sizeof szText - 1, pFile);
    std::fclose(pFile);
    EXPECT_EQ("older run\r\nfirst\r\nsecond\r\n", std::string(szText, nRead));
    std::remove(szPath);

    EXPECT_FALSE(AppendLogLine("/nonexistent-folder/setup.log", "line\r\n"));
}
