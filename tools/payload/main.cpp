// payload: builds, lists, verifies and unpacks the payload archive that Setup.exe
// carries as its RT_RCDATA resource 127, writes it into a Setup.exe stub, and describes
// a finished Setup.exe for winget. Run "payload --help" for the whole story.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "ArchiveBuilder.h"
#include "ArchiveCheck.h"
#include "ArchiveExtractor.h"
#include "ArchiveFile.h"
#include "DisplayText.h"
#include "FileIo.h"
#include "HelpText.h"
#include "InstallListWriter.h"
#include "PayloadSource.h"
#include "PayloadStream.h"
#include "SetupStub.h"
#include "Signer.h"
#include "ToolOptions.h"
#include "VersionInfo.h"
#include "WingetManifest.h"
#include "engine/PayloadFormat.h"
#include "engine/PayloadReader.h"

namespace {

using Clock = std::chrono::steady_clock;

void PrintMessages(const char* pszKind, const std::vector<std::string>& messages)
{
    for (const std::string& message : messages)
        std::fprintf(stderr, "payload: %s: %s\n", pszKind, message.c_str());
}

// Prints a failure; returns false.
bool PrintError(const std::string& error)
{
    std::fprintf(stderr, "payload: %s\n", error.c_str());
    return false;
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool LoadCodePage(const ToolOptions& options, AnsiCodePage& codePage)
{
    std::string error;
    return codePage.Load(options.nCodePage, error) || PrintError(error);
}

// The payload's files as a manifest or a folder names them, each checked against what
// the setup program can install: the one way files come in, whatever the command.
bool CollectPayloadSources(const std::string& manifest, const std::string& folder, const AnsiCodePage& codePage,
                           std::vector<PayloadSource>& sources)
{
    std::vector<std::string> errors;
    if (!manifest.empty()) {
        std::string text, error;
        if (!ReadTextFile(manifest, text, error))
            return PrintError("cannot read the manifest: " + error);
        std::string baseDir = std::filesystem::path(manifest).parent_path().string();
        ParsePayloadManifest(text, manifest, baseDir.empty() ? "." : baseDir, sources, errors);
    } else {
        ScanPayloadFolder(folder, codePage, sources, errors);
    }
    if (errors.empty())
        CheckPayloadSources(sources, codePage, errors);
    PrintMessages("refused", errors);
    return errors.empty();
}

// An archive file, or the payload of a Setup.exe, checked the way the setup program will
// use it; the warnings and problems printed, the problems as pszProblemKind.
bool LoadCheckedArchive(const std::string& path, const ToolOptions& options, const AnsiCodePage& codePage,
                        const char* pszProblemKind, ArchiveFile& archive, ArchiveCheck& check)
{
    std::string error;
    if (!LoadArchiveFile(path, archive, error))
        return PrintError(error);
    CheckArchive(archive.Data(), archive.nSize, options.nJobs, check);
    CheckNamesInCodePage(codePage, check);
    PrintMessages("warning", check.warnings);
    PrintMessages(pszProblemKind, check.problems);
    return check.problems.empty();
}

// The uninstaller stub with the installation list of the sources (a BraxDel.dll among
// them is dropped: the uninstaller takes its place) and of the manuals of --docs.
bool MakeUninstaller(const ToolOptions& options, const AnsiCodePage& codePage, std::vector<PayloadSource>& sources,
                     std::vector<uint8_t>& library, size_t& nListSize)
{
    sources.erase(std::remove_if(sources.begin(), sources.end(), IsUninstallerEntry), sources.end());
    std::vector<uint8_t> stub;
    std::string list, error;
    std::vector<std::string> notes;
    if (!ReadFileBytes(options.uninstaller, stub, error) || !BuildInstallList(sources, options.docs, codePage, list, error) ||
        !WriteListIntoUninstaller(stub, list, library, notes, error))
        return PrintError(error);
    PrintMessages("note", notes);
    nListSize = list.size();
    return true;
}

// Compresses the sources into an archive; the refusals and warnings printed.
bool PackArchive(const ToolOptions& options, const std::vector<PayloadSource>& sources, std::vector<uint8_t>& archive,
                 PayloadBuildReport& report)
{
    PayloadBuildOptions build;
    build.nJobs = options.nJobs;
    build.nLevel = options.nLevel;
    build.nCodePage = options.nCodePage;
    std::vector<std::string> errors;
    if (!BuildPayloadArchive(sources, build, archive, report, errors)) {
        PrintMessages("refused", errors);
        return false;
    }
    PrintMessages("warning", report.warnings);
    return true;
}

// True when the command got exactly nArguments; otherwise a usage error.
bool HasArguments(const ToolOptions& options, size_t nArguments, const char* pszWhat)
{
    if (options.positional.size() == nArguments)
        return true;
    return UsageError(options.command + " takes " + pszWhat);
}

int RunBuild(const ToolOptions& options)
{
    if (options.manifest.empty() == options.folder.empty())
        return UsageError("build needs either --manifest FILE or --folder DIR"), EXIT_USAGE;
    if (options.output.empty())
        return UsageError("build needs --output ARCHIVE"), EXIT_USAGE;
    if (!HasArguments(options, 0, "no further arguments"))
        return EXIT_USAGE;
    AnsiCodePage codePage;
    std::vector<PayloadSource> sources;
    if (!LoadCodePage(options, codePage) || !CollectPayloadSources(options.manifest, options.folder, codePage, sources))
        return EXIT_REFUSED;

    auto start = Clock::now();
    std::vector<uint8_t> archive;
    PayloadBuildReport report;
    std::string error;
    if (!PackArchive(options, sources, archive, report))
        return EXIT_REFUSED;
    if (!WriteFileAtomically(options.output, archive, error))
        return PrintError(error), EXIT_REFUSED;
    std::printf("%s: %zu entries, %llu bytes packed to %llu; archive %zu bytes; level %d, %u jobs, %.3f s\n",
                options.output.c_str(), report.nEntries, static_cast<unsigned long long>(report.nTotalSize),
                static_cast<unsigned long long>(report.nTotalPacked), archive.size(), options.nLevel, options.nJobs,
                SecondsSince(start));
    return 0;
}

int RunList(const ToolOptions& options)
{
    if (!HasArguments(options, 1, "one file"))
        return EXIT_USAGE;
    ArchiveFile archive;
    std::string error;
    if (!LoadArchiveFile(options.positional[0], archive, error))
        return PrintError(error), EXIT_REFUSED;
    ArchiveCheck check;
    ReadArchiveEntries(archive.Data(), archive.nSize, check);

    size_t nWidth = 4;
    for (const PayloadEntry& entry : check.entries)
        nWidth = std::max(nWidth, EscapeForDisplay(entry.header.szName).size());
    std::printf("%10s  %-*s  %10s  %10s\n", "code", static_cast<int>(nWidth), "name", "size", "packed");
    uint64_t nTotalSize = 0, nTotalPacked = 0;
    for (const PayloadEntry& entry : check.entries) {
        std::printf("%10u  %-*s  %10u  %10u\n", entry.header.dwDestination, static_cast<int>(nWidth),
                    EscapeForDisplay(entry.header.szName).c_str(), entry.header.dwSize, entry.header.dwPackedSize);
        nTotalSize += entry.header.dwSize;
        nTotalPacked += entry.header.dwPackedSize;
    }
    std::printf("%zu entries, %llu bytes, packed %llu; archive %zu bytes%s\n", check.entries.size(),
                static_cast<unsigned long long>(nTotalSize), static_cast<unsigned long long>(nTotalPacked),
                archive.nSize, archive.bInsideExecutable ? " (resource 127 of the executable)" : "");
    PrintMessages("warning", check.warnings);
    PrintMessages("problem", check.problems);
    return check.problems.empty() ? 0 : EXIT_REFUSED;
}

// A Setup.exe's payload against the CRC-32 recorded beside it, which the setup program
// compares before it writes anything: false, with the problem printed, when they differ.
bool PayloadMatchesItsRecord(const ArchiveFile& archive)
{
    if (!archive.bInsideExecutable)
        return true;
    const std::vector<uint8_t>& record = archive.checkRecord;
    if (record.empty()) {
        PrintMessages("note", {"no CRC-32 of the payload beside it (made with --no-payload-check): installed unchecked"});
        return true;
    }
    if (record.size() == 4 && LoadPayloadU32(record.data()) == PayloadCrc32(archive.Data(), archive.nSize))
        return true;
    PrintMessages("problem", {"the payload does not match the CRC-32 recorded beside it: the file is damaged, and the "
                              "setup program would install nothing"});
    return false;
}

int RunVerify(const ToolOptions& options)
{
    if (!HasArguments(options, 1, "one file"))
        return EXIT_USAGE;
    AnsiCodePage codePage;
    ArchiveFile archive;
    ArchiveCheck check;
    if (!LoadCodePage(options, codePage))
        return EXIT_REFUSED;
    const std::string& path = options.positional[0];
    bool bSound = LoadCheckedArchive(path, options, codePage, "problem", archive, check);
    size_t nProblems = check.problems.size();
    if (!PayloadMatchesItsRecord(archive))
        bSound = false, ++nProblems;
    if (!bSound) {
        if (nProblems)
            std::printf("%s: %zu problem%s\n", path.c_str(), nProblems, nProblems == 1 ? "" : "s");
        return EXIT_REFUSED;
    }
    std::printf("%s: OK, %zu entries\n", path.c_str(), check.entries.size());
    return 0;
}

int RunExtract(const ToolOptions& options)
{
    if (!options.folder.empty() || !options.output.empty())
        return UsageError("extract takes an archive and a folder (and --manifest OUT)"), EXIT_USAGE;
    if (!HasArguments(options, 2, "a file and a folder"))
        return EXIT_USAGE;
    AnsiCodePage codePage;
    ArchiveFile archive;
    ArchiveCheck check;
    if (!LoadCodePage(options, codePage) ||
        !LoadCheckedArchive(options.positional[0], options, codePage, "refused", archive, check))
        return EXIT_REFUSED;
    const std::string& folder = options.positional[1];
    std::vector<ExtractedFile> files;
    std::string error;
    if (!ExtractArchiveEntries(check, folder, codePage, files, error) ||
        (!options.manifest.empty() && !WriteExtractManifest(options.manifest, folder, files, error)))
        return PrintError(error), EXIT_REFUSED;
    std::printf("%s: %zu files written\n", folder.c_str(), files.size());
    return 0;
}

// A folder beside the output for unpacking an archive; removed again when it goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& near)
        : m_path(near + ".unpacked-" + std::to_string(Clock::now().time_since_epoch().count()))
    {
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The usage rules of setup; the version resource's texts from its options.
bool CheckSetupOptions(const ToolOptions& options, VersionInfoText& version)
{
    int nSources = !options.manifest.empty() + !options.folder.empty() + !options.archive.empty();
    if (options.stub.empty() || options.output.empty() || nSources != 1)
        return UsageError("setup needs --stub SETUP.EXE, --output FILE and one of --manifest, --folder, --archive");
    if (!HasArguments(options, 0, "no further arguments"))
        return false;
    if (!options.docs.empty() && options.uninstaller.empty())
        return UsageError("--docs names the manuals the uninstaller removes: it needs --uninstaller");
    if (!options.sign.empty() && options.passwordFile.empty())
        return UsageError("--sign needs --password-file FILE (the password is never given on the command line)");
    if (options.sign.empty() && (!options.passwordFile.empty() || !options.timestamp.empty()))
        return UsageError("--password-file and --timestamp belong to --sign");
    if (!options.productVersion.empty() && !ParseVersionNumbers(options.productVersion, version.version))
        return UsageError("--product-version takes X.Y.Z or X.Y.Z.W, each 0 to 65535, not \"" +
                          options.productVersion + "\"");
    if (!options.company.empty())
        version.company = options.company;
    if (!options.product.empty()) {
        version.product = options.product;
        version.description = options.product + " Setup";
    }
    return true;
}

// The files of an --archive as they install: unpacked into a scratch folder and collected
// through the manifest extract writes, so that the uninstaller's list can be made of them.
bool CollectArchiveSources(const ToolOptions& options, const AnsiCodePage& codePage,
                           std::unique_ptr<ScratchFolder>& scratch, std::vector<PayloadSource>& sources)
{
    ArchiveFile file;
    ArchiveCheck check;
    if (!LoadCheckedArchive(options.archive, options, codePage, "refused", file, check))
        return false;
    scratch = std::make_unique<ScratchFolder>(options.output);
    std::string manifest = scratch->Path() + "/archive.manifest", error;
    std::vector<ExtractedFile> files;
    if (!ExtractArchiveEntries(check, scratch->Path() + "/files", codePage, files, error) ||
        !WriteExtractManifest(manifest, scratch->Path() + "/files", files, error))
        return PrintError(error);
    return CollectPayloadSources(manifest, "", codePage, sources);
}

// The uninstaller, with its list, as the system directory's BraxDel.dll of the payload.
bool AddUninstaller(const ToolOptions& options, const AnsiCodePage& codePage, std::vector<PayloadSource>& sources)
{
    std::vector<uint8_t> library;
    size_t nListSize;
    if (!MakeUninstaller(options, codePage, sources, library, nListSize))
        return false;
    PayloadSource source;
    source.dwDestination = DEST_SYSTEM;
    source.sourcePath = options.uninstaller + " (with its installation list)";
    source.storedName = UNINSTALLER_NAME;
    source.origin = options.uninstaller;
    source.pContents = std::make_shared<const std::vector<uint8_t>>(std::move(library));
    sources.push_back(std::move(source));
    return true;
}

// The payload setup writes: an --archive without --uninstaller as it is (it carries its
// own uninstaller), otherwise built from the files, with the uninstaller when asked.
bool MakeSetupArchive(const ToolOptions& options, const AnsiCodePage& codePage, std::vector<uint8_t>& archive,
                      std::string& payloadText)
{
    if (!options.archive.empty() && options.uninstaller.empty()) {
        ArchiveFile file;
        ArchiveCheck check;
        if (!LoadCheckedArchive(options.archive, options, codePage, "refused", file, check))
            return false;
        archive.assign(file.Data(), file.Data() + file.nSize);
        payloadText = std::to_string(check.entries.size()) + " entries";
        return true;
    }
    std::vector<PayloadSource> sources;
    std::unique_ptr<ScratchFolder> scratch;
    bool bCollected = options.archive.empty()
                          ? CollectPayloadSources(options.manifest, options.folder, codePage, sources)
                          : CollectArchiveSources(options, codePage, scratch, sources);
    PayloadBuildReport report;
    if (!bCollected || (!options.uninstaller.empty() && !AddUninstaller(options, codePage, sources)) ||
        !PackArchive(options, sources, archive, report))
        return false;
    payloadText = std::to_string(report.nEntries) + " entries, " + std::to_string(report.nTotalSize) +
                  " bytes packed to " + std::to_string(report.nTotalPacked);
    return true;
}

// Writes the image under --output, signed first when --sign asks for it.
bool WriteSetupOutput(const ToolOptions& options, const std::vector<uint8_t>& image, const VersionInfoText& version)
{
    std::string error;
    if (options.sign.empty())
        return WriteFileAtomically(options.output, image, error) || PrintError(error);
    std::string unsignedPath = options.output + ".unsigned", signedPath = options.output + ".signed";
    SignOptions sign{options.sign, options.passwordFile, options.timestamp, version.description};
    bool bDone = WriteFileAtomically(unsignedPath, image, error) && SignImage(unsignedPath, signedPath, sign, error) &&
                 RenameReplacing(signedPath, options.output, error);
    std::remove(unsignedPath.c_str());
    if (bDone)
        return true;
    std::remove(signedPath.c_str());
    return PrintError(error.empty() ? "cannot write " + options.output : error);
}

int RunSetup(const ToolOptions& options)
{
    VersionInfoText version;
    if (!CheckSetupOptions(options, version))
        return EXIT_USAGE;
    auto start = Clock::now();
    AnsiCodePage codePage;
    std::vector<uint8_t> stub, archive, image;
    std::vector<std::string> notes;
    std::string payloadText, error;
    if (!LoadCodePage(options, codePage))
        return EXIT_REFUSED;
    if (!ReadFileBytes(options.stub, stub, error))
        return PrintError(error), EXIT_REFUSED;
    if (!MakeSetupArchive(options, codePage, archive, payloadText))
        return EXIT_REFUSED;
    if (!WritePayloadIntoStub(stub, archive, version, !options.bNoPayloadCheck, image, notes, error))
        return PrintError(error), EXIT_REFUSED;
    PrintMessages("note", notes);
    if (!WriteSetupOutput(options, image, version))
        return EXIT_REFUSED;
    std::printf("%s: %zu bytes, payload of %s (archive %zu bytes), version %s%s; %.3f s\n", options.output.c_str(),
                image.size(), payloadText.c_str(), archive.size(), VersionText(version.version).c_str(),
                options.sign.empty() ? "" : ", signed", SecondsSince(start));
    return 0;
}

int RunUninstaller(const ToolOptions& options)
{
    if (options.uninstaller.empty() || options.output.empty() || options.manifest.empty() == options.folder.empty())
        return UsageError("uninstaller needs --uninstaller BRAXDEL.DLL, --output FILE and --manifest or --folder"),
               EXIT_USAGE;
    if (!HasArguments(options, 0, "no further arguments"))
        return EXIT_USAGE;
    AnsiCodePage codePage;
    std::vector<PayloadSource> sources;
    std::vector<uint8_t> library;
    size_t nListSize = 0;
    std::string error;
    if (!LoadCodePage(options, codePage) || !CollectPayloadSources(options.manifest, options.folder, codePage, sources) ||
        !MakeUninstaller(options, codePage, sources, library, nListSize))
        return EXIT_REFUSED;
    if (!WriteFileAtomically(options.output, library, error))
        return PrintError(error), EXIT_REFUSED;
    std::printf("%s: %zu bytes, an installation list of %zu bytes\n", options.output.c_str(), library.size(), nListSize);
    return 0;
}

int RunWinget(const ToolOptions& options)
{
    if (options.packageId.empty() || options.url.empty() || options.output.empty())
        return UsageError("winget needs SETUP.EXE, --id PUBLISHER.PACKAGE, --url URL and --output DIR"), EXIT_USAGE;
    if (!HasArguments(options, 1, "one Setup.exe"))
        return EXIT_USAGE;
    std::vector<uint8_t> image;
    WingetPackage package;
    package.id = options.packageId;
    package.url = options.url;
    package.locale = options.locale.empty() ? "en-US" : options.locale;
    package.license = options.license.empty() ? "Proprietary" : options.license;
    package.description = options.description;
    std::vector<std::string> written;
    std::string error;
    if (!ReadFileBytes(options.positional[0], image, error) || !DescribeSetupForWinget(image, package, error) ||
        !WriteWingetManifests(package, options.output, written, error))
        return PrintError(error), EXIT_REFUSED;
    for (const std::string& path : written)
        std::printf("%s\n", path.c_str());
    std::printf("%s %s: manifest version %s, installer SHA-256 %s\n", package.id.c_str(), package.version.c_str(),
                WINGET_MANIFEST_VERSION, package.sha256.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    ToolOptions options;
    if (!ParseToolOptions(argc, argv, options))
        return EXIT_USAGE;
    if (options.bHelp || options.command.empty()) {
        std::fputs(PAYLOAD_HELP_TEXT, options.bHelp ? stdout : stderr);
        return options.bHelp ? 0 : EXIT_USAGE;
    }
    if (!CheckOptionsBelongToCommand(options))
        return EXIT_USAGE;
    static const std::pair<const char*, int (*)(const ToolOptions&)> s_commands[] = {
        {"build", RunBuild},   {"list", RunList},   {"verify", RunVerify},           {"extract", RunExtract},
        {"setup", RunSetup},   {"uninstaller", RunUninstaller}, {"winget", RunWinget},
    };
    for (const auto& command : s_commands)
        if (options.command == command.first)
            return command.second(options);
    UsageError("unknown command " + options.command);
    return EXIT_USAGE;
}
