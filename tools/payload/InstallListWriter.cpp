#include "InstallListWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "FileIo.h"
#include "engine/PayloadFormat.h"
#include "uninstall/InstallList.h"

namespace fs = std::filesystem;

namespace {

bool SizeAndCrc(const PayloadSource& source, uint64_t& nSize, uint32_t& nCrc, std::string& error)
{
    nSize = 0;
    nCrc = 0;
    if (source.pContents) {
        nSize = source.pContents->size();
        nCrc = UpdateCrc32(0, source.pContents->data(), source.pContents->size());
        return true;
    }
    bool bRead = ReadFileChunks(
        source.sourcePath,
        [&](const uint8_t* pData, size_t nLength) {
            nCrc = UpdateCrc32(nCrc, pData, nLength);
            nSize += nLength;
            return true;
        },
        error);
    if (!bRead)
        return false;
    if (nSize > 0xFFFFFFFFull) {
        error = source.sourcePath + " is 4 GiB or larger";
        return false;
    }
    return true;
}

std::string Hex8(uint32_t n)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", n);
    return text;
}

}  // namespace

bool IsUninstallerEntry(const PayloadSource& source)
{
    if (source.dwDestination != DEST_SYSTEM || source.storedName.size() != std::strlen(UNINSTALLER_NAME))
        return false;
    for (size_t i = 0; i < source.storedName.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(source.storedName[i])) !=
            std::tolower(static_cast<unsigned char>(UNINSTALLER_NAME[i])))
            return false;
    return true;
}

bool BuildInstallList(const std::vector<PayloadSource>& sources, const std::string& docsFolder,
                      const AnsiCodePage& codePage, std::string& list, std::string& error)
{
    list = "# Pelorin installation list\n";
    for (const PayloadSource& source : sources) {
        if (source.dwDestination == DEST_SYSTEM)
            continue;
        uint64_t nSize;
        uint32_t nCrc;
        if (!SizeAndCrc(source, nSize, nCrc, error))
            return false;
        list += "F\t" + std::to_string(source.dwDestination) + "\t" + std::to_string(nSize) + "\t" + Hex8(nCrc) + "\t" +
                source.storedName + "\n";
    }
    if (docsFolder.empty())
        return true;

    std::vector<std::string> names;
    std::error_code failure;
    for (fs::directory_iterator it(docsFolder, failure), end; !failure && it != end; it.increment(failure))
        if (it->is_regular_file())
            names.push_back(it->path().filename().string());
    if (failure) {
        error = "cannot read the folder " + docsFolder + ": " + failure.message();
        return false;
    }
    std::sort(names.begin(), names.end());  // bytewise: the same on every machine
    for (const std::string& name : names) {
        std::string ansi, why;
        if (!codePage.FromUtf8(name, ansi, why)) {
            error = (fs::path(docsFolder) / name).string() + ": the name " + why;
            return false;
        }
        PayloadSource manual;
        manual.sourcePath = (fs::path(docsFolder) / name).string();
        uint64_t nSize;
        uint32_t nCrc;
        if (!SizeAndCrc(manual, nSize, nCrc, error))
            return false;
        list += "D\t" + std::to_string(nSize) + "\t" + Hex8(nCrc) + "\t" + ansi + "\n";
    }
    return true;
}
