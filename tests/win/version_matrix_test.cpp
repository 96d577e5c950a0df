// Every Windows version Wine emulates, from Windows 95 to Windows 10: a silent installation
// by a copy of Setup.exe that Wine tells that version, a check of what it wrote (files, the
// Windows 95/98 rules, shortcuts, the uninstall entry), the registered quiet uninstall
// command under the same version, and a check that everything installed is gone again.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "uidriver/UiDriver.h"

namespace {

using namespace e2e;

struct WindowsVersion {
    const char* pszWine;     // Wine's name for it (HKCU\Software\Wine\AppDefaults\...\Version)
    const char* pszLogged;   // how the setup log's first line names it, up to the build
    const char* pszAlsoLogged;  // another name Wine may report (8.1 and 10 look like 8 to a program without a manifest entry)
    bool bWin9x;             // 95 and 98: the redistributable runs, the common controls stay
};

const WindowsVersion VERSIONS[] = {
    {"win95", "Windows 4.0.", NULL, true},       {"win98", "Windows 4.10.", NULL, true},
    {"winme", "Windows 4.90.", NULL, false},     {"nt40", "Windows NT 4.0.", NULL, false},
    {"win2k", "Windows NT 5.0.", NULL, false},   {"winxp", "Windows NT 5.1.", "Windows NT 5.2.", false},
    {"vista", "Windows NT 6.0.", NULL, false},   {"win7", "Windows NT 6.1.", NULL, false},
    {"win81", "Windows NT 6.3.", "Windows NT 6.2.", false}, {"win10", "Windows NT 10.0.", "Windows NT 6.2.", false},
};

const char WINE_APP_DEFAULTS[] = "Software\\Wine\\AppDefaults\\";

// Wine reports pszVersion to every program of that file name started from now on.
void EmulateFor(const std::string& exeName, const char* pszVersion)
{
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, (WINE_APP_DEFAULTS + exeName).c_str(), &hKey));
    RegSetValueExA(hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszVersion), lstrlenA(pszVersion) + 1);
    RegCloseKey(hKey);
}

void StopEmulating(const std::string& exeName)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, (WINE_APP_DEFAULTS + exeName).c_str());
}

std::string FirstLogLine(const std::string& path)
{
    std::string text = ReadFileText(path);
    size_t nEnd = text.find("\r\n");
    // "2026-12-09 05:43:08 text"
    return nEnd != std::string::npos && nEnd > 20 ? text.substr(20, nEnd - 20) : "";
}

// True when the log's first line says the program (pszStarted: "Pelorin Setup started")
// was told this version.
bool ToldVersion(const std::string& logPath, const char* pszStarted, const WindowsVersion& version)
{
    std::string line = FirstLogLine(logPath);
    std::string prefix = std::string(pszStarted) + " on ";
    for (const char* pszVersion : {version.pszLogged, version.pszAlsoLogged}) {
        if (pszVersion && line.compare(0, prefix.size() + lstrlenA(pszVersion), prefix + pszVersion) == 0)
            return true;
    }
    return false;
}

class VersionMatrix : public ::testing::TestWithParam<WindowsVersion> {
protected:
    void SetUp() override
    {
        const WindowsVersion& version = GetParam();
        m_exeName = std::string("Setup-") + version.pszWine + ".exe";
        m_exe = uidriver::ModuleDirectory() + m_exeName;
        m_dir = std::string("C:\\Matrix\\") + version.pszWine;
        m_log = m_dir + ".log";
        CreateDirectoryA("C:\\Matrix", NULL);
        DeleteTree(m_dir);
        DeleteFileA(m_log.c_str());
        DeleteTree(GroupDir());
        DeleteFileA(DesktopLink().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        DeleteFileA((WindowsDirectory() + "\\axdist-ran.log").c_str());
        ASSERT_TRUE(CopyFileA((uidriver::ModuleDirectory() + "Setup.exe").c_str(), m_exe.c_str(), FALSE));
        EmulateFor(m_exeName, version.pszWine);
        EmulateFor("rundll32.exe", version.pszWine);
    }
    void TearDown() override
    {
        StopEmulating(m_exeName);
        StopEmulating("rundll32.exe");
        DeleteFileA(m_exe.c_str());
    }

    std::string m_exeName, m_exe, m_dir, m_log;
};

TEST_P(VersionMatrix, SilentInstallationAndRemoval)
{
    const WindowsVersion& version = GetParam();
    {
        uidriver::Process setup = uidriver::Launch(m_exe, "-silent -dir=" + m_dir + " -log=" + m_log);
        ASSERT_EQ(0u, setup.WaitExit(120000)) << ReadFileText(m_log);
    }
    EXPECT_TRUE(ToldVersion(m_log, "Pelorin Setup started", version)) << FirstLogLine(m_log);

    // What the installation wrote.
    ExpectInstalledFilesLinksAndEntry(m_dir);
    EXPECT_EQ(version.bWin9x, Exists(WindowsDirectory() + "\\axdist-ran.log")) << "the redistributable installer";
    EXPECT_EQ(version.bWin9x, Exists(m_dir + "\\Comctl32.dll")) << "the common controls stay on 95/98 only";
    EXPECT_EQ(version.bWin9x, Exists(m_dir + "\\Comdlg32.dll"));

    // The removal, told the same version.
    const std::string removalLog = m_dir + "-removal.log";
    DeleteFileA(removalLog.c_str());
    EXPECT_EQ(0u, RunQuietUninstall(" -log=" + removalLog)) << ReadFileText(removalLog);
    EXPECT_TRUE(ToldVersion(removalLog, "Pelorin Uninstall started", version)) << FirstLogLine(removalLog);
    for (const char* pszName : TYPICAL_INSTALLED_FILES)
        EXPECT_FALSE(Exists(m_dir + "\\" + pszName)) << pszName;
    // The common-control libraries are the installation's own: listed, and removed too.
    EXPECT_FALSE(Exists(m_dir + "\\Comctl32.dll"));
    EXPECT_FALSE(Exists(m_dir));
    EXPECT_FALSE(Exists(GroupDir()));
    EXPECT_FALSE(Exists(DesktopLink()));
    std::string value;
    EXPECT_FALSE(ReadUninstallValue("DisplayName", &value)) << "the uninstall entry";
}

INSTANTIATE_TEST_SUITE_P(Windows, VersionMatrix, ::testing::ValuesIn(VERSIONS),
                         [](const ::testing::TestParamInfo<WindowsVersion>& info) {
                             return std::string(info.param.pszWine);
                         });

} // namespace
