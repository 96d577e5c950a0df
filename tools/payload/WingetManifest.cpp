#include "WingetManifest.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <regex>

#include "FileIo.h"
#include "PeResource.h"
#include "Sha256.h"
#include "VersionInfo.h"
#include "engine/InstallLayout.h"

namespace {

const uint32_t PE_RT_VERSION_INFO = 16;
const uint32_t PE_RT_MANIFEST = 24;

// The setup program's exit codes, and 1618 (another installation running), with the
// response winget gives each.
const std::pair<int, const char*> RETURN_CODES[] = {
    {1, "invalidParameter"},   // ended before any work: -options= asks for what the medium lacks
    {2, "contactSupport"},     // the installation failed; the log names the step
    {3, "invalidParameter"},   // a switch could not be understood
    {1618, "installInProgress"},
};

// --- The rules of the 1.6.0 schemas that a vendor's values can break -----------------

const char ID_PART[] = "[^\\.\\s\\\\/:\\*\\?\"<>\\|\\x01-\\x1f]{1,32}";
const char VERSION_PATTERN[] = "[^\\\\/:\\*\\?\"<>\\|\\x01-\\x1f]+";
const char LOCALE_PATTERN[] = "([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*";
const char URL_PATTERN[] = "([Hh][Tt][Tt][Pp][Ss]?)://.+";

bool Matches(const std::string& text, const std::string& pattern)
{
    return std::regex_match(text, std::regex(pattern));
}

bool HasControlCharacter(const std::string& text)
{
    for (char ch : text)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
            return true;
    return false;
}

bool CheckText(const char* pszField, const std::string& text, size_t nMin, size_t nMax, std::string& error)
{
    if (text.size() >= nMin && text.size() <= nMax && !HasControlCharacter(text))
        return true;
    error = std::string("the winget ") + pszField + " must be " + std::to_string(nMin) + " to " + std::to_string(nMax) +
            " characters without control characters, not \"" + text + "\"";
    return false;
}

bool CheckPattern(const char* pszField, const std::string& text, const std::string& pattern, size_t nMax,
                  std::string& error)
{
    if (text.size() <= nMax && Matches(text, pattern))
        return true;
    error = std::string("\"") + text + "\" is not a winget " + pszField;
    return false;
}

bool CheckPackage(const WingetPackage& p, std::string& error)
{
    std::string id = std::string(ID_PART) + "(\\." + ID_PART + "){1,7}";
    return CheckPattern("package identifier (Publisher.Package, 2 to 8 parts of at most 32 characters)", p.id, id,
                        128, error) &&
           CheckPattern("package version", p.version, VERSION_PATTERN, 128, error) &&
           CheckPattern("locale (such as en-US)", p.locale, LOCALE_PATTERN, 20, error) &&
           CheckPattern("installer URL (http:// or https://)", p.url, URL_PATTERN, 2048, error) &&
           CheckText("publisher", p.publisher, 2, 256, error) && CheckText("package name", p.name, 2, 256, error) &&
           CheckText("license", p.license, 3, 512, error) &&
           CheckText("short description", p.description, 3, 256, error) &&
           CheckText("product code", p.productCode, 1, 255, error) &&
           CheckPattern("SHA-256", p.sha256, "[A-Fa-f0-9]{64}", 64, error);
}

// --- YAML ---------------------------------------------------------------------------------

// A scalar as YAML reads it back as this very string: plain where it is a word-like text,
// single-quoted wherever YAML could read a number, a truth value, null, a date or syntax.
std::string Scalar(const std::string& text)
{
    static const std::regex s_plain("[A-Za-z][A-Za-z0-9 ._()&,+-]*");
    static const std::regex s_special("y|n|yes|no|on|off|true|false|null", std::regex::icase);
    bool bPlain = std::regex_match(text, s_plain) && text.back() != ' ' && !std::regex_match(text, s_special);
    if (bPlain)
        return text;
    std::string quoted = "'";
    for (char ch : text)
        quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
    return quoted + "'";
}

std::string Field(const std::string& indent, const std::string& key, const std::string& value)
{
    return indent + key + ": " + Scalar(value) + "\n";
}

std::string Header(const char* pszType)
{
    return std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.") + pszType + "." +
           WINGET_MANIFEST_VERSION + ".schema.json\n# Written by the Pelorin payload tool (payload winget)\n\n";
}

std::string Identity(const WingetPackage& p)
{
    return Field("", "PackageIdentifier", p.id) + Field("", "PackageVersion", p.version);
}

std::string Closing(const char* pszType)
{
    return Field("", "ManifestType", pszType) + Field("", "ManifestVersion", WINGET_MANIFEST_VERSION);
}

std::string VersionManifest(const WingetPackage& p)
{
    return Header("version") + Identity(p) + Field("", "DefaultLocale", p.locale) + Closing("version");
}

std::string InstallerManifest(const WingetPackage& p)
{
    std::string text = Header("installer") + Identity(p) + Field("", "InstallerType", "exe") +
                       Field("", "Scope", "machine") + "InstallModes:\n- interactive\n- silent\n- silentWithProgress\n" +
                       "InstallerSwitches:\n" + Field("  ", "Silent", "-silent") +
                       Field("  ", "SilentWithProgress", "-silent") +
                       Field("  ", "InstallLocation", "-dir=\"<INSTALLPATH>\"") +
                       Field("  ", "Log", "-log=\"<LOGPATH>\"") + "ExpectedReturnCodes:\n";
    for (const auto& code : RETURN_CODES)
        text += "- InstallerReturnCode: " + std::to_string(code.first) + "\n" + Field("  ", "ReturnResponse", code.second);
    if (!p.elevation.empty())
        text += Field("", "ElevationRequirement", p.elevation);
    text += "AppsAndFeaturesEntries:\n" + Field("- ", "DisplayName", p.productCode) +
            Field("  ", "Publisher", p.publisher) + Field("  ", "DisplayVersion", p.version) +
            Field("  ", "ProductCode", p.productCode);
    text += "Installers:\n" + Field("- ", "Architecture", p.architecture) + Field("  ", "InstallerUrl", p.url) +
            Field("  ", "InstallerSha256", p.sha256) + Field("  ", "ProductCode", p.productCode);
    return text + Closing("installer");
}

std::string LocaleManifest(const WingetPackage& p)
{
    return Header("defaultLocale") + Identity(p) + Field("", "PackageLocale", p.locale) +
           Field("", "Publisher", p.publisher) + Field("", "PackageName", p.name) + Field("", "License", p.license) +
           Field("", "ShortDescription", p.description) + Closing("defaultLocale");
}

// --- Reading the Setup.exe ---------------------------------------------------------------

bool FindResource(const std::vector<uint8_t>& image, uint32_t dwType, std::string& bytes, std::string& error)
{
    PeResourceSpan span;
    if (!FindPeResource(image.data(), image.size(), dwType, 1, span, error))
        return false;
    bytes.assign(reinterpret_cast<const char*>(image.data()) + span.nOffset, span.nSize);
    return true;
}

}  // namespace

bool DescribeSetupForWinget(const std::vector<uint8_t>& image, WingetPackage& package, std::string& error)
{
    PeHeaders headers;
    std::string version, manifest;
    std::map<std::string, std::string> strings;
    if (!ReadPeHeaders(image.data(), image.size(), headers, error) || !FindResource(image, PE_RT_VERSION_INFO, version, error) ||
        !ReadVersionStrings(reinterpret_cast<const uint8_t*>(version.data()), version.size(), strings, error)) {
        error = "the file is not a Setup.exe with a version resource: " + error;
        return false;
    }
    package.version = strings["ProductVersion"];
    package.publisher = strings["CompanyName"];
    package.name = strings["ProductName"];
    if (package.description.empty())
        package.description = package.name + " by " + package.publisher;
    package.architecture = headers.wMachine == PE_MACHINE_AMD64 ? "x64" : "x86";
    // An image that asks for administrator rights starts elevated: winget need not elevate.
    std::string ignored;
    bool bAdministrator = FindResource(image, PE_RT_MANIFEST, manifest, ignored) &&
                          manifest.find("level=\"requireAdministrator\"") != std::string::npos;
    package.elevation = bAdministrator ? "elevatesSelf" : "";
    package.sha256 = Sha256Hex(image.data(), image.size());
    for (char& ch : package.sha256)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    package.productCode = PROGRAM_GROUP_NAME;
    return true;
}

bool MakeWingetManifests(const WingetPackage& package, std::vector<std::pair<std::string, std::string>>& files,
                         std::string& error)
{
    if (!CheckPackage(package, error))
        return false;
    files = {{package.id + ".yaml", VersionManifest(package)},
             {package.id + ".installer.yaml", InstallerManifest(package)},
             {package.id + ".locale." + package.locale + ".yaml", LocaleManifest(package)}};
    return true;
}

bool WriteWingetManifests(const WingetPackage& package, const std::string& folder, std::vector<std::string>& written,
                          std::string& error)
{
    std::vector<std::pair<std::string, std::string>> files;
    if (!MakeWingetManifests(package, files, error))
        return false;
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    for (const auto& file : files) {
        std::string path = (std::filesystem::path(folder) / file.first).string();
        if (!WriteFileAtomically(path, std::vector<uint8_t>(file.second.begin(), file.second.end()), error))
            return false;
        written.push_back(path);
    }
    return true;
}
