// The version resource (RT_VERSION 1) that Windows shows in a file's properties, built
// from a vendor's numbers and names the way a resource compiler builds a VERSIONINFO
// statement: a fixed part with the numbers, one string table in US English and
// Windows-1252 ("040904E4"), and the translation it names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct VersionInfoText {
    uint16_t version[4] = {1, 0, 0, 0};  // file and product version alike
    std::string company = "Corvane Corporation";
    std::string product = "Pelorin";
    std::string description = "Pelorin Setup";
    std::string internalName = "Setup";
    std::string originalFilename = "Setup.exe";
};

// Parses "X.Y.Z" or "X.Y.Z.W" (each 0 to 65535; a missing fourth number is 0).
bool ParseVersionNumbers(const std::string& text, uint16_t version[4]);

// The dotted form of the four numbers, "1.2.3.0".
std::string VersionText(const uint16_t version[4]);

// The resource's bytes. The names are UTF-8; false, with the reason, when one is not.
bool BuildVersionInfo(const VersionInfoText& info, std::vector<uint8_t>& resource, std::string& error);

// The texts of a version resource's first string table (CompanyName, ProductName,
// ProductVersion, ...), in UTF-8. False, with the reason, when the resource is damaged.
bool ReadVersionStrings(const uint8_t* pResource, size_t nSize, std::map<std::string, std::string>& strings,
                        std::string& error);
