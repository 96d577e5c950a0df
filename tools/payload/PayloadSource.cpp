#include "PayloadSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "DisplayText.h"
#include "engine/PayloadFormat.h"

namespace fs = std::filesystem;

namespace {

const char* const DEST_WORDS[][2] = {
    {"install", "0"}, {"system", "13"}, {"macros", "15"}, {"examples", "16"},
};

struct DestinationFolder {
    uint32_t dwDestination;
    const char* pszFolder;
};
const DestinationFolder DEST_FOLDERS[] = {
    {DEST_SYSTEM, "System"},
    {DEST_MACROS, "ChmMacros"},
    {DEST_EXAMPLES, "5&10ChannelExamples"},
};

std::string Trim(const std::string& text)
{
    size_t nBegin = text.find_first_not_of(" \t");
    if (nBegin == std::string::npos)
        return "";
    size_t nEnd = text.find_last_not_of(" \t");
    return text.substr(nBegin, nEnd - nBegin + 1);
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t nStart = 0;
    for (;;) {
        size_t nTab = line.find('\t', nStart);
        fields.push_back(line.substr(nStart, nTab == std::string::npos ? std::string::npos : nTab - nStart));
        if (nTab == std::string::npos)
            return fields;
        nStart = nTab + 1;
    }
}

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    size_t nLength = std::strlen(b);
    if (a.size() != nLength)
        return false;
    for (size_t i = 0; i < nLength; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

bool ParsePayloadDestination(const std::string& text, uint32_t& dwDestination)
{
    std::string value = Trim(text);
    for (const auto& word : DEST_WORDS)
        if (EqualsIgnoringCase(value, word[0]))
            value = word[1];
    bool bHex = value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
    std::string digits = bHex ? value.substr(2) : value;
    if (digits.empty() || digits.size() > 10)
        return false;
    uint64_t n = 0;
    for (char ch : digits) {
        int nDigit;
        if (ch >= '0' && ch <= '9')
            nDigit = ch - '0';
        else if (bHex && ch >= 'a' && ch <= 'f')
            nDigit = ch - 'a' + 10;
        else if (bHex && ch >= 'A' && ch <= 'F')
            nDigit = ch - 'A' + 10;
        else
            return false;
        n = n * (bHex ? 16 : 10) + static_cast<uint64_t>(nDigit);
    }
    if (n >= DEST_END)
        return false;
    dwDestination = static_cast<uint32_t>(n);
    return true;
}

const char* PayloadDestinationFolder(uint32_t dwDestination)
{
    for (const DestinationFolder& folder : DEST_FOLDERS)
        if (folder.dwDestination == dwDestination)
            return folder.pszFolder;
    return "";
}

bool ParsePayloadManifest(const std::string& text, const std::string& manifestName, const std::string& baseDir,
                          std::vector<PayloadSource>& sources, std::vector<std::string>& errors)
{
    size_t nErrorsBefore = errors.size();
    size_t nLineNumber = 0;
    size_t nStart = 0;
    while (nStart < text.size()) {
        size_t nEnd = text.find('\n', nStart);
        std::string line = text.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        nStart = nEnd == std::string::npos ? text.size() : nEnd + 1;
        ++nLineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;

        std::string where = manifestName + ":" + std::to_string(nLineNumber);
        std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() != 3) {
            errors.push_back(where + ": expected three fields separated by tabs (code, source file, stored name), found " +
                             std::to_string(fields.size()));
            continue;
        }
        PayloadSource source;
        if (!ParsePayloadDestination(fields[0], source.dwDestination)) {
            errors.push_back(where + ": \"" + fields[0] +
                             "\" is not a destination code (a number below 0xFFFFFFFF, or install, system, macros, examples)");
            continue;
        }
        if (fields[1].empty()) {
            errors.push_back(where + ": the source file is missing");
            continue;
        }
        fs::path path(fields[1]);
        source.sourcePath = path.is_absolute() ? path.string() : (fs::path(baseDir) / path).string();
        source.storedName = fields[2];
        source.origin = where;
        sources.push_back(source);
    }
    return errors.size() == nErrorsBefore;
}

namespace {

// Adds the regular files directly inside folder with the given code. Subfolders are left
// to the caller when bTopLevel, and are errors otherwise.
void ScanOneFolder(const fs::path& folder, uint32_t dwDestination, bool bTopLevel, const AnsiCodePage& codePage,
                   std::vector<PayloadSource>& sources, std::vector<fs::path>& subfolders,
                   std::vector<std::string>& errors)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    if (ec) {
        errors.push_back(folder.string() + ": cannot read the folder: " + ec.message());
        return;
    }
    for (; it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        struct stat st;
        if (stat(path.string().c_str(), &st) != 0) {
            errors.push_back(path.string() + ": " + std::strerror(errno));
            continue;
        }
        if (S_ISDIR(st.st_mode) && bTopLevel) {
            subfolders.push_back(path);
        } else if (S_ISDIR(st.st_mode)) {
            errors.push_back(path.string() + ": a folder inside a destination folder; the setup program creates no folders");
        } else if (!S_ISREG(st.st_mode)) {
            errors.push_back(path.string() + ": not a regular file");
        } else {
            std::string storedName, why;
            if (codePage.FromUtf8(path.filename().string(), storedName, why))
                sources.push_back({dwDestination, path.string(), storedName, path.string(), nullptr});
            else  // a name that is not UTF-8 is shown escaped, never sent raw to the terminal
                errors.push_back((IsUtf8(path.string()) ? path.string()
                                                         : folder.string() + "/" + QuoteForDisplay(path.filename().string())) +
                                 ": the file name " + why + "; the setup program takes names in " + codePage.Name());
        }
    }
    if (ec)
        errors.push_back(folder.string() + ": reading the folder failed: " + ec.message());
}

uint64_t FileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

}  // namespace

bool ScanPayloadFolder(const std::string& folder, const AnsiCodePage& codePage, std::vector<PayloadSource>& sources,
                       std::vector<std::string>& errors)
{
    size_t nErrorsBefore = errors.size();
    std::vector<PayloadSource> found;
    std::vector<fs::path> subfolders;
    ScanOneFolder(folder, 0, true, codePage, found, subfolders, errors);
    for (const fs::path& subfolder : subfolders) {
        std::string name = subfolder.filename().string();
        const DestinationFolder* pMatch = nullptr;
        for (const DestinationFolder& candidate : DEST_FOLDERS)
            if (EqualsIgnoringCase(name, candidate.pszFolder))
                pMatch = &candidate;
        if (!pMatch) {
            errors.push_back(subfolder.string() +
                             ": only the subfolders System, ChmMacros and 5&10ChannelExamples have a destination");
            continue;
        }
        std::vector<fs::path> nested;
        ScanOneFolder(subfolder, pMatch->dwDestination, false, codePage, found, nested, errors);
    }
    if (errors.size() != nErrorsBefore)
        return false;

    std::vector<std::pair<uint64_t, PayloadSource>> sized;
    for (PayloadSource& source : found)
        sized.emplace_back(FileSize(source.sourcePath), source);
    auto byCodeAndName = [](const std::pair<uint64_t, PayloadSource>& a, const std::pair<uint64_t, PayloadSource>& b) {
        return std::tie(a.second.dwDestination, a.second.storedName) < std::tie(b.second.dwDestination, b.second.storedName);
    };
    std::sort(sized.begin(), sized.end(), byCodeAndName);
    auto largest = std::max_element(sized.begin(), sized.end(),
                                    [](const auto& a, const auto& b) { return a.first < b.first; });
    if (largest != sized.end())
        std::rotate(sized.begin(), largest, largest + 1);
    for (auto& entry : sized)
        sources.push_back(entry.second);
    return true;
}
