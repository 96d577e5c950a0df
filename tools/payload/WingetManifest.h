// The winget manifest of a finished Setup.exe: the multi-file form of manifest version
// 1.6.0 (a version, an installer and a default-locale manifest), as the published schemas
// for that version require it. What winget needs to run the setup program unattended is
// here: its switches, its exit codes, its elevation, and the uninstall entry it leaves.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

const char WINGET_MANIFEST_VERSION[] = "1.6.0";

struct WingetPackage {
    // Given by the vendor.
    std::string id;           // PackageIdentifier: Publisher.Package
    std::string url;          // InstallerUrl
    std::string locale;       // PackageLocale of the default-locale manifest
    std::string license;
    std::string description;  // ShortDescription; "NAME by PUBLISHER" when empty
    // Read from the Setup.exe.
    std::string version;      // ProductVersion of the version resource
    std::string publisher;    // CompanyName
    std::string name;         // ProductName
    std::string architecture; // x86 or x64, from the machine the header names
    std::string elevation;    // elevatesSelf when its manifest asks for administrator rights
    std::string sha256;       // of the whole file
    std::string productCode;  // the uninstall entry's key name
};

// Fills the fields read from the Setup.exe image. False, with the reason, when it has no
// version resource or names no product, publisher or version.
bool DescribeSetupForWinget(const std::vector<uint8_t>& image, WingetPackage& package, std::string& error);

// The three manifests, file name and text, for a package that passes the schemas' rules
// (identifier, version, locale and URL patterns, lengths); false, with the broken rule.
bool MakeWingetManifests(const WingetPackage& package, std::vector<std::pair<std::string, std::string>>& files,
                         std::string& error);

// MakeWingetManifests, written into folder (created when missing); written lists the paths.
bool WriteWingetManifests(const WingetPackage& package, const std::string& folder, std::vector<std::string>& written,
                          std::string& error);
