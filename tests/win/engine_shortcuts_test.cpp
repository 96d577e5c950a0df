// Shortcuts and uninstall registration against Wine's real shell and registry. The links
// are read back with lnkinfo (liblnk-utils), a program of the host, which writes its
// report to a file (Wine hands a Unix program none of our pipes).
// The registry is read back through the API and with Wine's own reg.exe.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/SetupWnd.h"
#include "engine/Engine.h"
#include "engine/IsWin9x.h"
#include "engine/Options.h"
#include "engine_support.h"
#include "host_support.h"
#include "ui/SetupMessages.h"

using namespace enginetest;

namespace {

const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char PRODUCT_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane Corporation - Pelorin";
const char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Folder(int nFolder)
{
    char sz[MAX_PATH];
    return SHGetSpecialFolderPathA(NULL, sz, nFolder, FALSE) ? WithBackslash(sz) : std::string();
}

// --- host side: lnkinfo --------------------------------------------------------

// Runs lnkinfo on the link and returns its report ("" when it did not run).
std::string RunLnkinfo(const std::string& link, const std::string& scratch)
{
    static int s_nRun = 0;
    std::string report = scratch + "\\lnkinfo-" + std::to_string(++s_nRun) + ".txt";
    std::string unixLink = host::UnixPath(link), unixReport = host::UnixPath(report);
    if (unixLink.empty() || unixReport.empty() ||
        !host::RunOnHost("lnkinfo '" + unixLink + "' > '" + unixReport + "' 2>&1", report + ".done"))
        return std::string();
    return ReadFileBytes(report);
}

// The value of a "Name : value" line of the lnkinfo report.
std::string LnkField(const std::string& report, const std::string& name)
{
    size_t at = report.find("\t" + name);
    if (at == std::string::npos)
        return "<no " + name + ">";
    size_t colon = report.find(": ", at);
    size_t end = report.find('\n', at);
    if (colon == std::string::npos || colon > end)
        return "<no " + name + ">";
    return report.substr(colon + 2, end - colon - 2);
}

struct LinkSeen {
    std::string target;
    std::string workDir;
};

LinkSeen ReadLink(const std::string& link, const std::string& scratch)
{
    std::string report = RunLnkinfo(link, scratch);
    EXPECT_FALSE(report.empty()) << "lnkinfo gave no report for " << link;
    return {LnkField(report, "Local path"), LnkField(report, "Working directory")};
}

// --- registry ------------------------------------------------------------------

std::string QueryValue(const char* pszName)
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<no key>";
    char sz[1024];
    DWORD nType = 0, nSize = sizeof sz;
    LONG status = RegQueryValueExA(hKey, pszName, NULL, &nType, reinterpret_cast<BYTE*>(sz), &nSize);
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS || nType != REG_SZ)
        return "<no value>";
    // The stored length counts the terminating NUL.
    return nSize > 0 && sz[nSize - 1] == '\0' ? std::string(sz, nSize - 1) : "<not terminated>";
}

int CountValues()
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return -1;
    DWORD nValues = 0;
    RegQueryInfoKeyA(hKey, NULL, NULL, NULL, NULL, NULL, NULL, &nValues, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    return static_cast<int>(nValues);
}

// What Wine's own reg.exe reports for the product key.
std::string RegExeQuery(const std::string& scratch)
{
    std::string output = scratch + "\\reg-query.txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE hOut = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
    if (hOut == INVALID_HANDLE_VALUE)
        return std::string();
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hOut;
    si.hStdError = hOut;
    PROCESS_INFORMATION pi;
    std::string command = std::string("reg.exe query \"HKLM\\") + PRODUCT_KEY + "\"";
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi);
    CloseHandle(hOut);
    if (!started)
        return std::string();
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ReadFileBytes(output);
}

void RemoveProductKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
}

// Points a shell folder of the registry somewhere else for the length of a test.
class RedirectedShellFolder {
public:
    RedirectedShellFolder(HKEY hRoot, const char* pszName, const std::string& path)
        : m_hRoot(hRoot), m_strName(pszName), m_bHad(false), m_nType(REG_EXPAND_SZ)
    {
        HKEY hKey;
        if (RegOpenKeyExA(m_hRoot, SHELL_FOLDERS_KEY, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
            return;
        char sz[1024];
        DWORD nSize = sizeof sz;
        if (RegQueryValueExA(hKey, pszName, NULL, &m_nType, reinterpret_cast<BYTE*>(sz), &nSize) == ERROR_SUCCESS) {
            m_bHad = true;
            m_strSaved.assign(sz, nSize);
        }
        RegSetValueExA(hKey, pszName, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(hKey);
    }
    ~RedirectedShellFolder()
    {
        HKEY hKey;
        if (RegOpenKeyExA(m_hRoot, SHELL_FOLDERS_KEY, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
            return;
        if (m_bHad)
            RegSetValueExA(hKey, m_strName.c_str(), 0, m_nType, reinterpret_cast<const BYTE*>(m_strSaved.data()),
                           static_cast<DWORD>(m_strSaved.size()));
        else
            RegDeleteValueA(hKey, m_strName.c_str());
        RegCloseKey(hKey);
    }
    RedirectedShellFolder(const RedirectedShellFolder&) = delete;
    RedirectedShellFolder& operator=(const RedirectedShellFolder&) = delete;

private:
    HKEY m_hRoot;
    std::string m_strName;
    bool m_bHad;
    DWORD m_nType;
    std::string m_strSaved;
};

// Wine hands every link saved in the Start menu or on the desktop to winemenubuilder,
// which writes menu entries into the host user's home and holds on to the link's target
// folder. The tests' links stay inside the prefix: the prefix's override disables it.
void KeepLinksInsideThePrefix()
{
    HKEY hKey;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", &hKey) != ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, "winemenubuilder.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(hKey);
}

// --- the fixture -----------------------------------------------------------------

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeepLinksInsideThePrefix();
        m_strCommonGroup = Folder(CSIDL_COMMON_PROGRAMS) + g_pszGroupName;
        m_strUserGroup = Folder(CSIDL_PROGRAMS) + g_pszGroupName;
        m_strCommonDesktopLink = Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + "Pelorin.lnk";
        ASSERT_NE(std::string(g_pszGroupName), m_strCommonGroup);
        CleanUp();
        m_strInstall = m_scratch / "Inst";
    }
    void TearDown() override { CleanUp(); }

    void CleanUp()
    {
        RemoveTree(m_strCommonGroup);
        RemoveTree(m_strUserGroup);
        DeleteFileA(m_strCommonDesktopLink.c_str());
        RemoveProductKey();
    }

    // The installation as the sequence leaves it before the shortcuts: directory prepared,
    // application and manual in place.
    void Prepare(int nOptions)
    {
        m_wnd.m_nOptions = nOptions;
        ASSERT_EQ(0, m_wnd.PrepareInstallDir(m_strInstall.c_str(), nOptions));
        ASSERT_TRUE(WriteFileBytes(m_strInstall + "\\varnix.exe", "MZ"));
        if (nOptions & OPTION_MANUALS) {
            ASSERT_TRUE(WriteFileBytes(m_strInstall + "\\Docs\\index.pdf", "%PDF"));
        }
    }

    ScratchDir m_scratch{"s"};
    CSetupWnd m_wnd;
    std::string m_strInstall;
    std::string m_strCommonGroup;
    std::string m_strUserGroup;
    std::string m_strCommonDesktopLink;
};

TEST_F(ShortcutsTest, ApplicationOnly)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION));

    EXPECT_EQ(m_strCommonGroup, std::string(m_wnd.m_strGroupDir));
    std::vector<std::string> links = ListFiles(m_strCommonGroup);
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ("Pelorin.lnk", links[0]);

    LinkSeen group = ReadLink(m_strCommonGroup + "\\Pelorin.lnk", m_scratch.Path());
    EXPECT_EQ(m_strInstall + "\\varnix.exe", group.target);
    EXPECT_EQ(m_strInstall, group.workDir);
    LinkSeen desktop = ReadLink(m_strCommonDesktopLink, m_scratch.Path());
    EXPECT_EQ(m_strInstall + "\\varnix.exe", desktop.target);
    EXPECT_EQ(m_strInstall, desktop.workDir);

    EXPECT_EQ("Corvane Corporation - Pelorin", QueryValue("DisplayName"));
    EXPECT_EQ("Rundll32.exe BraxDel.dll,Remove \"" + m_strInstall + "\\\"", QueryValue("UninstallString"));
    // Beside them, what deployment tools read (this test program has no version resource
    // to take a version and a maker from).
    EXPECT_EQ(QueryValue("UninstallString") + " -silent", QueryValue("QuietUninstallString"));
    EXPECT_EQ(m_strInstall + "\\", QueryValue("InstallLocation"));
    EXPECT_EQ(m_strInstall + "\\varnix.exe,0", QueryValue("DisplayIcon"));
    EXPECT_EQ("<no value>", QueryValue("DisplayVersion"));
}

TEST_F(ShortcutsTest, ManualsOnlyHasNoDesktopLink)
{
    // An earlier installation's application icon, which this one has not installed.
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, &hKey));
    RegSetValueExA(hKey, "DisplayIcon", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Old\\varnix.exe,0"), 20);
    RegCloseKey(hKey);
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_MANUALS));
    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_MANUALS));
    std::vector<std::string> links = ListFiles(m_strCommonGroup);
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ("Manuals.lnk", links[0]);
    LinkSeen manuals = ReadLink(m_strCommonGroup + "\\Manuals.lnk", m_scratch.Path());
    EXPECT_EQ(m_strInstall + "\\Docs\\index.pdf", manuals.target);
    EXPECT_EQ(m_strInstall + "\\Docs\\", WithBackslash(manuals.workDir));
    EXPECT_FALSE(Exists(m_strCommonDesktopLink));
    EXPECT_EQ("Corvane Corporation - Pelorin", QueryValue("DisplayName"));
    EXPECT_EQ("<no value>", QueryValue("DisplayIcon"));
}

TEST_F(ShortcutsTest, BothOptionsAndWineRegReadsTheEntry)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION | OPTION_MANUALS));
    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION | OPTION_MANUALS));
    EXPECT_TRUE(Exists(m_strCommonGroup + "\\Manuals.lnk"));
    EXPECT_TRUE(Exists(m_strCommonGroup + "\\Pelorin.lnk"));
    EXPECT_TRUE(Exists(m_strCommonDesktopLink));

    std::string reg = RegExeQuery(m_scratch.Path());
    EXPECT_NE(std::string::npos, reg.find("DisplayName    REG_SZ    Corvane Corporation - Pelorin")) << reg;
    EXPECT_NE(std::string::npos,
              reg.find("UninstallString    REG_SZ    Rundll32.exe BraxDel.dll,Remove \"" + m_strInstall + "\\\""))
        << reg;
}

TEST_F(ShortcutsTest, NeitherOptionLeavesAnEmptyGroupAndNoEntry)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(m_strInstall.c_str(), 0));
    EXPECT_TRUE(IsDirectory(m_strCommonGroup));
    EXPECT_TRUE(ListFiles(m_strCommonGroup).empty());
    EXPECT_EQ("<no key>", QueryValue("DisplayName"));
    EXPECT_FALSE(Exists(m_strCommonDesktopLink));
}

TEST_F(ShortcutsTest, SecondRunOverwritesLinksAndValues)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION));
    const int nValues = CountValues();
    // A second installation elsewhere, into the same group.
    std::string other = m_scratch / "Other";
    ASSERT_EQ(0, m_wnd.PrepareInstallDir(other.c_str(), OPTION_APPLICATION));
    ASSERT_TRUE(WriteFileBytes(other + "\\varnix.exe", "MZ"));
    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(other.c_str(), OPTION_APPLICATION));

    EXPECT_EQ(1u, ListFiles(m_strCommonGroup).size());
    EXPECT_EQ(other + "\\varnix.exe", ReadLink(m_strCommonGroup + "\\Pelorin.lnk", m_scratch.Path()).target);
    EXPECT_EQ(other, ReadLink(m_strCommonDesktopLink, m_scratch.Path()).workDir);
    EXPECT_EQ("Rundll32.exe BraxDel.dll,Remove \"" + other + "\\\"", QueryValue("UninstallString"));
    EXPECT_EQ(other + "\\", QueryValue("InstallLocation"));
    EXPECT_EQ(nValues, CountValues()) << "the same values, overwritten";
}

TEST_F(ShortcutsTest, PerUserFoldersWhenTheAllUsersOnesAreMissing)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    // No all-users programs or desktop folder; the per-user desktop put in the scratch
    // folder rather than wherever the prefix links it.
    std::string userDesktop = m_scratch / "UserDesktop";
    ASSERT_TRUE(CreateDirectoryA(userDesktop.c_str(), NULL));
    RedirectedShellFolder commonPrograms(HKEY_LOCAL_MACHINE, "Common Programs", m_scratch / "no-programs");
    RedirectedShellFolder commonDesktop(HKEY_LOCAL_MACHINE, "Common Desktop", m_scratch / "no-desktop");
    RedirectedShellFolder desktop(HKEY_CURRENT_USER, "Desktop", userDesktop);
    char sz[MAX_PATH];
    ASSERT_EQ(0, GetSpecialFolder(CSIDL_COMMON_PROGRAMS, sz)) << sz;
    ASSERT_EQ(0, GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY, sz)) << sz;

    ASSERT_EQ(NULL, m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION));
    EXPECT_EQ(m_strUserGroup, std::string(m_wnd.m_strGroupDir));
    EXPECT_EQ(m_strInstall + "\\varnix.exe", ReadLink(m_strUserGroup + "\\Pelorin.lnk", m_scratch.Path()).target);
    EXPECT_EQ(m_strInstall + "\\varnix.exe", ReadLink(userDesktop + "\\Pelorin.lnk", m_scratch.Path()).target);
    EXPECT_FALSE(Exists(m_strCommonGroup));
    EXPECT_FALSE(Exists(m_scratch / "no-programs"));
}

TEST_F(ShortcutsTest, NoProgramsFolderAtAllCreatesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    RedirectedShellFolder commonPrograms(HKEY_LOCAL_MACHINE, "Common Programs", m_scratch / "none1");
    RedirectedShellFolder programs(HKEY_CURRENT_USER, "Programs", m_scratch / "none2");
    EXPECT_STREQ("Error creating startup group", m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION));
    EXPECT_TRUE(m_wnd.m_strGroupDir.IsEmpty());
    EXPECT_EQ("<no key>", QueryValue("DisplayName"));
    EXPECT_FALSE(Exists(m_strCommonDesktopLink));
}

TEST_F(ShortcutsTest, NoDesktopFolderAtAllFailsAfterTheEntry)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    RedirectedShellFolder commonDesktop(HKEY_LOCAL_MACHINE, "Common Desktop", m_scratch / "none1");
    RedirectedShellFolder desktop(HKEY_CURRENT_USER, "Desktop", m_scratch / "none2");
    EXPECT_STREQ("Error creating startup group", m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION));
    EXPECT_TRUE(Exists(m_strCommonGroup + "\\Pelorin.lnk"));
    EXPECT_EQ("Corvane Corporation - Pelorin", QueryValue("DisplayName"));
}

TEST_F(ShortcutsTest, LinkPathTooLongIsAGroupFailureNeverAnOverrun)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION | OPTION_MANUALS));
    // A programs folder so deep that the group fits 260 characters but its links do not.
    std::string deep = m_scratch.Path();
    while (deep.size() < 220)
        deep += "\\" + std::string(std::min<size_t>(40, 220 - deep.size() - 1), 'p');
    ASSERT_EQ(220u, deep.size());
    std::string made;
    for (size_t at = deep.find('\\', m_scratch.Path().size()); at != std::string::npos; at = deep.find('\\', at + 1)) {
        made = deep.substr(0, deep.find('\\', at + 1));
        CreateDirectoryA(made.c_str(), NULL);
    }
    ASSERT_TRUE(IsDirectory(deep));
    RedirectedShellFolder commonPrograms(HKEY_LOCAL_MACHINE, "Common Programs", deep);
    EXPECT_STREQ("Error creating startup group",
                 m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION | OPTION_MANUALS));
    EXPECT_EQ(deep + "\\" + g_pszGroupName, std::string(m_wnd.m_strGroupDir));
    EXPECT_EQ("<no key>", QueryValue("DisplayName"));
}

TEST_F(ShortcutsTest, UninstallEntryThatCannotBeWrittenStopsBeforeTheDesktop)
{
    // Without the Uninstall key there is nothing to register under. Only an empty key is
    // taken away (and put back).
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &hKey));
    DWORD nSubkeys = 0, nValues = 0;
    RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &nSubkeys, NULL, NULL, &nValues, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    if (nSubkeys != 0 || nValues != 0)
        GTEST_SKIP() << "the Uninstall key of this prefix is not empty";
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));

    ASSERT_NO_FATAL_FAILURE(Prepare(OPTION_APPLICATION));
    const char* pszResult = m_wnd.CreateShortcuts(m_strInstall.c_str(), OPTION_APPLICATION);
    std::string result = pszResult ? pszResult : "(null)";
    HKEY hRestored;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, &hRestored));
    RegCloseKey(hRestored);

    EXPECT_EQ("Error creating Uninstall Information", result);
    EXPECT_TRUE(Exists(m_strCommonGroup + "\\Pelorin.lnk"));
    EXPECT_FALSE(Exists(m_strCommonDesktopLink));
}

TEST(SpecialFolderTest, PathsEndInABackslash)
{
    char sz[MAX_PATH];
    ASSERT_EQ(1, GetSpecialFolder(CSIDL_COMMON_PROGRAMS, sz));
    EXPECT_EQ(Folder(CSIDL_COMMON_PROGRAMS), std::string(sz));
    ASSERT_EQ(1, GetSpecialFolder(CSIDL_PROGRAMS, sz));
    EXPECT_EQ('\\', sz[lstrlenA(sz) - 1]);
    ASSERT_EQ(1, GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY, sz));
    EXPECT_EQ('\\', sz[lstrlenA(sz) - 1]);
    // "My Computer" has no file-system path.
    EXPECT_EQ(0, GetSpecialFolder(CSIDL_DRIVES, sz));
}

} // namespace
