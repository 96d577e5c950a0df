// payload: builds, lists, verifies and unpacks the payload archive that Setup.exe
// carries as its RT_RCDATA resource 127. Run "payload --help" for the whole story.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "engine/PayloadFormat.h"
#include "InstallListWriter.h"
#include "PayloadSource.h"
#include "SetupStub.h"
#include "Signer.h"
#include "VersionInfo.h"

namespace {

const int EXIT_REFUSED = 1;  // the input is faulty: a refused name, a damaged archive
const int EXIT_USAGE = 2;    // the command line is faulty

const char HELP_TEXT[] = R"(Usage: payload COMMAND [OPTIONS]

Builds, lists, verifies and unpacks the payload archive that the Pelorin setup
program (Setup.exe) carries as its RT_RCDATA resource 127 and unpacks when it
installs, and writes it into a Setup.exe.

Commands:
  build   (--manifest FILE | --folder DIR) --output ARCHIVE [-j N] [--level N]
          [--codepage N]
          Builds an archive from the files a manifest names, or from a folder.
          Refuses (see Refusals) every entry the setup program could not
          install, naming it, and warns about names too long for the default
          installation directory (see Paths).
  list    FILE
          Prints one line per entry: destination code, name, size, packed size.
  verify  FILE [-j N] [--codepage N]
          Checks that the setup program can install everything in the archive,
          reading it as the setup program does: every header lies inside it,
          every name is acceptable (see Refusals and Paths), the first entry is
          not empty, every stream inflates with a correct Adler-32 to at most
          its size, and the end record is there. Prints each problem; exits 0
          only when there is none. Warns, without counting it as a problem,
          about what the setup program copes with: a stream that inflates to
          fewer bytes than its size (it installs the bytes the stream holds),
          bytes after a stream's end inside its packed size, bytes after the
          end record (it never reads them), a name too long for the default
          installation directory, a name byte the code page leaves undefined.
  extract FILE DIR [--manifest OUT] [-j N] [--codepage N]
          Verifies the archive, then writes its files into DIR in the folder
          layout below (codes 13, 15, 16 into their subfolders, all others into
          DIR itself), creating DIR and those subfolders when missing, and no
          other folder. Each file holds what the setup program would write: the
          bytes its stream inflates to. Names are written in UTF-8, converted
          from the code page. Nothing is written when the archive has any
          problem, and no file is ever created outside DIR. With --manifest,
          also writes a manifest that builds the same archive again, byte for
          byte, when this tool built it (at the same level).
  setup   --stub SETUP.EXE (--manifest FILE | --folder DIR | --archive FILE)
          --output FILE [--uninstaller BRAXDEL.DLL [--docs DIR]]
          [--product-version X.Y.Z] [--company NAME] [--product NAME]
          [--sign PKCS12 --password-file FILE [--timestamp URL]]
          [-j N] [--level N] [--codepage N]
          Writes a vendor's Setup.exe: a copy of the stub (the Setup.exe the
          project builds once) with the payload as its resource 127, built
          from the files as build does (an --archive is verified and taken as
          it is). No compiler is involved: the tool rewrites the stub's
          resource section itself, keeping every other resource byte for byte.
          A payload the stub carries already is replaced, never added to.
          --uninstaller names the uninstaller stub (BraxDel.dll as the project
          builds it): the tool writes the installation list into a copy of it
          (the payload's files, and the manuals of --docs DIR, the medium's
          Docs folder, with their sizes and CRC-32s) and packs that copy as
          the system directory's BraxDel.dll, replacing one the files name.
          Without it the payload is packed as given and must bring its own
          uninstaller (entry "Remove", run by Rundll32 with the quoted
          installation directory).
          The version resource gets --product-version (file and product
          version; default 1.0.0), --company (default "Corvane Corporation")
          and --product (default "Pelorin"; the description is the product
          name and " Setup").
          --sign signs the result with Authenticode through osslsigncode
          (which must be on PATH), with the certificate and key of a PKCS#12
          file whose password is the first line of --password-file, time-
          stamped by --timestamp URL when given. The signature is made last,
          so it covers the payload. On Windows, sign the unsigned result with
          signtool instead (see README.md).
          The result is the same byte for byte for the same stub, files and
          options, whatever the machine, folder, file order on disk, time or
          -j; a signature without --timestamp takes its time from
          SOURCE_DATE_EPOCH when that is set. (The Windows build of this tool
          compresses with zlib: its results repeat too, but differ from the
          Linux build's.)
  uninstaller --uninstaller BRAXDEL.DLL (--manifest FILE | --folder DIR)
          [--docs DIR] --output FILE [--codepage N]
          Writes only the uninstaller with its installation list, as setup
          does before it packs it.
  help    Prints this text (also: --help, -h).

FILE is an archive file, or a built Setup.exe: then the archive is taken from
its resource 127 of type RT_RCDATA, found through the PE resource directory.

Options:
  -m, --manifest FILE  build: the manifest to read.
  -d, --folder DIR     build: the folder to pack.
  -o, --output ARCHIVE build: where to write the archive (replaced atomically).
  -j, --jobs N         threads that compress (build) or inflate (verify,
                       extract); default: one per processor. The archive is the
                       same byte for byte whatever N is.
  -l, --level N        compression level 0 to 9; default 9. The streams are
                       made by libdeflate, standard zlib streams all the same.
  --codepage N         the Windows ANSI code page the stored names are in: 1252
                       (the default, Western European, what the systems Pelorin
                       ships to use) or another of 1250 to 1258. build --folder
                       converts the host's UTF-8 file names into it, extract
                       converts the names back into UTF-8, and build and verify
                       check that each byte of a name is a character of it.

Manifest:
  One entry per line, in archive order, three fields separated by tabs:
      code<TAB>source-file<TAB>stored-name
  code         the destination: 13 the Windows system directory, 15 the
               installation directory's ChmMacros\, 16 its
               5&10ChannelExamples\, any other number below 0xFFFFFFFF the
               installation directory itself. Decimal or 0x-hexadecimal, or
               one of the words install (0), system (13), macros (15),
               examples (16).
  source-file  the file to pack; a relative path is taken from the manifest's
               own folder.
  stored-name  the name the setup program writes the file under, in the
               Windows ANSI code page, taken byte for byte (no trimming, no
               conversion).
  Blank lines and lines whose first non-blank character is # are ignored. A
  line may end in CR LF.

Folder layout (build --folder, extract):
  Every regular file directly in DIR gets code 0 (the installation directory).
  The files in the subfolders System, ChmMacros and 5&10ChannelExamples (the
  names in any case) get codes 13, 15 and 16. Any other subfolder, a folder
  inside those three, or anything that is not a regular file is an error.
  Symbolic links are followed. Stored names are the file names, converted
  from UTF-8 into the code page: the host name Caf\xC3\xA9.txt (an e with an
  acute accent) is stored as Caf\xE9.txt in Windows-1252, as list shows it. A
  name that is not UTF-8, or holds a character the code page lacks, is an
  error naming the file.
  Order: the largest file first (so that the setup program allocates its one
  decompression buffer once), then by code and stored name (bytewise).

Refusals (build refuses, verify and extract report, each naming the entry):
  - an empty first entry: the setup program fails with "Memory allocation
    error" on a zero-byte first file;
  - an empty name, or one longer than 255 bytes;
  - a backslash or slash anywhere in the name: the setup program creates no
    folders, so a name is a plain file name, never a path;
  - a drive (C:);
  - a character Windows file names cannot hold (control characters and
    < > : " | ? *), a name ending in a dot or a space (Windows drops them),
    or a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, ...);
  - a name too long for any installation directory (see Paths);
  - build only: a name with a byte the code page leaves undefined (in
    Windows-1252: 0x81, 0x8D, 0x8F, 0x90, 0x9D), and a file whose size or
    packed stream is 4 GiB or more (the header's sizes are 32-bit).
  A later entry that lands on the same file as an earlier one replaces it (a
  warning says so).

Paths:
  The setup program writes each file to a path of at most 255 characters:
  the installation directory (a full path ending in a backslash; C:\Pelorin\
  unless the user chooses another), or the Windows system directory for code
  13, then ChmMacros\ for code 15 or 5&10ChannelExamples\ for code 16, then the
  name. A name that does not fit even under a drive root (C:\, so at most 252
  characters for codes 0 and 13, 242 for 15, 232 for 16) is refused. A name
  that does not fit under C:\Pelorin\ (at most 244, 234, 224 characters), or
  for code 13 under the usual system directory C:\WINDOWS\SYSTEM32\ (at most
  235), draws a warning: it installs only into a shorter directory.

Archive format: entries back to back, each a 268-byte header (destination code,
256-byte NUL-terminated name, size, packed size; 32-bit little-endian) followed
by one zlib stream of the packed size, closed by a 268-byte header with the code
0xFFFFFFFF. No magic, no index, no checksum beyond each stream's Adler-32.

Exit status: 0 success; 1 refused input, a damaged archive or a failed write;
2 a faulty command line.

Examples:
  payload build --manifest demo.manifest --output payload.bin -j 2
  payload build --folder vendor-files/ -o payload.bin --level 6
  payload list build/win/bin/Setup.exe
  payload extract payload.bin unpacked/ --manifest unpacked.manifest
  payload setup --stub stub/Setup.exe --uninstaller stub/BraxDel.dll \
      --folder vendor-files/ --docs medium/Docs --product-version 2.1.0 \
      --sign vendor.p12 --password-file vendor.pass --output medium/Setup.exe
)";

struct CommandLine {
    std::string command;
    std::vector<std::string> positional;
    std::string manifest, folder, output;
    std::string stub, archive, uninstaller, docs;
    std::string productVersion, company, product;
    std::string sign, passwordFile, timestamp;
    unsigned nJobs = DefaultJobCount();
    int nLevel = 9;
    unsigned nCodePage = DEFAULT_ANSI_CODE_PAGE;
    bool bCodePageGiven = false;
    bool bHelp = false;
};

bool UsageError(const std::string& message)
{
    std::fprintf(stderr, "payload: %s\nRun \"payload --help\" for the usage.\n", message.c_str());
    return false;
}

bool ParseNumber(const std::string& text, long nMin, long nMax, long& value)
{
    char* pEnd = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &pEnd, 10);
    return !text.empty() && *pEnd == '\0' && errno == 0 && value >= nMin && value <= nMax;
}

// Splits "--level=9" and "-j2" into option and value; returns the option's canonical name.
std::string CanonicalOption(const std::string& arg, std::string& inlineValue, bool& bHasInline)
{
    static const char* const s_options[][2] = {
        {"-m", "--manifest"}, {"-d", "--folder"}, {"-o", "--output"}, {"-j", "--jobs"}, {"-l", "--level"},
        {"", "--codepage"}, {"", "--stub"}, {"", "--archive"}, {"", "--uninstaller"}, {"", "--docs"},
        {"", "--product-version"}, {"", "--company"}, {"", "--product"}, {"", "--sign"}, {"", "--password-file"},
        {"", "--timestamp"},
    };
    bHasInline = false;
    for (const auto& option : s_options) {
        std::string shortName = option[0], longName = option[1];
        if (arg == longName || (!shortName.empty() && arg == shortName))
            return longName;
        if (arg.rfind(longName + "=", 0) == 0) {
            inlineValue = arg.substr(longName.size() + 1);
            bHasInline = true;
            return longName;
        }
        if (!shortName.empty() && arg.size() > 2 && arg.rfind(shortName, 0) == 0) {
            inlineValue = arg.substr(2);
            bHasInline = true;
            return longName;
        }
    }
    return "";
}

// The options that take a text as it stands.
bool TextOption(CommandLine& cmd, const std::string& option, const std::string& value)
{
    static const std::pair<const char*, std::string CommandLine::*> s_fields[] = {
        {"--stub", &CommandLine::stub},
        {"--archive", &CommandLine::archive},
        {"--uninstaller", &CommandLine::uninstaller},
        {"--docs", &CommandLine::docs},
        {"--product-version", &CommandLine::productVersion},
        {"--company", &CommandLine::company},
        {"--product", &CommandLine::product},
        {"--sign", &CommandLine::sign},
        {"--password-file", &CommandLine::passwordFile},
        {"--timestamp", &CommandLine::timestamp},
    };
    for (const auto& field : s_fields) {
        if (option == field.first) {
            cmd.*field.second = value;
            return true;
        }
    }
    return false;
}

bool ParseCommandLine(int argc, char** argv, CommandLine& cmd)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help" || (arg == "help" && cmd.command.empty())) {
            cmd.bHelp = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::string value;
            bool bInline;
            std::string option = CanonicalOption(arg, value, bInline);
            if (option.empty())
                return UsageError("unknown option " + arg);
            if (!bInline) {
                if (i + 1 >= argc)
                    return UsageError(option + " needs a value");
                value = argv[++i];
            }
            long n;
            if (option == "--manifest")
                cmd.manifest = value;
            else if (option == "--folder")
                cmd.folder = value;
            else if (option == "--output")
                cmd.output = value;
            else if (TextOption(cmd, option, value))
                ;
            else if (option == "--jobs" && ParseNumber(value, 1, 256, n))
                cmd.nJobs = static_cast<unsigned>(n);
            else if (option == "--level" && ParseNumber(value, 0, 9, n))
                cmd.nLevel = static_cast<int>(n);
            else if (option == "--codepage" && ParseNumber(value, 1250, 1258, n))
                cmd.nCodePage = static_cast<unsigned>(n), cmd.bCodePageGiven = true;
            else
                return UsageError(option + " takes a number (" +
                                  (option == "--jobs" ? "1 to 256" : option == "--level" ? "0 to 9" : "1250 to 1258") +
                                  "), not \"" + value + "\"");
            continue;
        }
        if (cmd.command.empty())
            cmd.command = arg;
        else
            cmd.positional.push_back(arg);
    }
    return true;
}

void PrintMessages(const char* pszKind, const std::vector<std::string>& messages)
{
    for (const std::string& message : messages)
        std::fprintf(stderr, "payload: %s: %s\n", pszKind, message.c_str());
}

bool LoadCodePage(const CommandLine& cmd, AnsiCodePage& codePage)
{
    std::string error;
    if (codePage.Load(cmd.nCodePage, error))
        return true;
    std::fprintf(stderr, "payload: %s\n", error.c_str());
    return false;
}

bool ReadTextFile(const std::string& path, std::string& text)
{
    FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return false;
    char buffer[65536];
    size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
        text.append(buffer, nRead);
    bool bOk = !std::ferror(pFile);
    std::fclose(pFile);
    return bOk;
}

int RunBuild(const CommandLine& cmd)
{
    if (cmd.manifest.empty() == cmd.folder.empty())
        return UsageError("build needs either --manifest FILE or --folder DIR"), EXIT_USAGE;
    if (cmd.output.empty())
        return UsageError("build needs --output ARCHIVE"), EXIT_USAGE;
    if (!cmd.positional.empty())
        return UsageError("build takes no further arguments: " + cmd.positional[0]), EXIT_USAGE;

    AnsiCodePage codePage;
    if (!LoadCodePage(cmd, codePage))
        return EXIT_REFUSED;
    std::vector<PayloadSource> sources;
    std::vector<std::string> errors;
    if (!cmd.manifest.empty()) {
        std::string text;
        if (!ReadTextFile(cmd.manifest, text)) {
            std::fprintf(stderr, "payload: cannot read the manifest %s: %s\n", cmd.manifest.c_str(), std::strerror(errno));
            return EXIT_REFUSED;
        }
        std::string baseDir = std::filesystem::path(cmd.manifest).parent_path().string();
        ParsePayloadManifest(text, cmd.manifest, baseDir.empty() ? "." : baseDir, sources, errors);
    } else {
        ScanPayloadFolder(cmd.folder, codePage, sources, errors);
    }
    if (errors.empty())
        CheckPayloadSources(sources, codePage, errors);
    if (!errors.empty()) {
        PrintMessages("refused", errors);
        return EXIT_REFUSED;
    }

    auto start = std::chrono::steady_clock::now();
    PayloadBuildOptions options;
    options.nJobs = cmd.nJobs;
    options.nLevel = cmd.nLevel;
    options.nCodePage = cmd.nCodePage;
    std::vector<uint8_t> archive;
    PayloadBuildReport report;
    if (!BuildPayloadArchive(sources, options, archive, report, errors)) {
        PrintMessages("refused", errors);
        return EXIT_REFUSED;
    }
    std::string error;
    if (!WriteFileAtomically(cmd.output, archive, error)) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return EXIT_REFUSED;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PrintMessages("warning", report.warnings);
    std::printf("%s: %zu entries, %llu bytes packed to %llu; archive %zu bytes; level %d, %u jobs, %.3f s\n",
                cmd.output.c_str(), report.nEntries, static_cast<unsigned long long>(report.nTotalSize),
                static_cast<unsigned long long>(report.nTotalPacked), archive.size(), cmd.nLevel, cmd.nJobs, seconds);
    return 0;
}

bool LoadForReading(const CommandLine& cmd, size_t nArguments, ArchiveFile& archive)
{
    if (cmd.positional.size() != nArguments) {
        UsageError(cmd.command + (nArguments == 1 ? " takes one file" : " takes a file and a folder"));
        return false;
    }
    std::string error;
    if (!LoadArchiveFile(cmd.positional[0], archive, error)) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return false;
    }
    return true;
}

int RunList(const CommandLine& cmd)
{
    ArchiveFile archive;
    if (!LoadForReading(cmd, 1, archive))
        return cmd.positional.size() == 1 ? EXIT_REFUSED : EXIT_USAGE;
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

int RunVerify(const CommandLine& cmd)
{
    ArchiveFile archive;
    AnsiCodePage codePage;
    if (!LoadForReading(cmd, 1, archive) || !LoadCodePage(cmd, codePage))
        return cmd.positional.size() == 1 ? EXIT_REFUSED : EXIT_USAGE;
    ArchiveCheck check;
    CheckArchive(archive.Data(), archive.nSize, cmd.nJobs, check);
    CheckNamesInCodePage(codePage, check);
    PrintMessages("warning", check.warnings);
    PrintMessages("problem", check.problems);
    if (!check.problems.empty()) {
        std::printf("%s: %zu problem%s\n", cmd.positional[0].c_str(), check.problems.size(),
                    check.problems.size() == 1 ? "" : "s");
        return EXIT_REFUSED;
    }
    std::printf("%s: OK, %zu entries\n", cmd.positional[0].c_str(), check.entries.size());
    return 0;
}

int RunExtract(const CommandLine& cmd)
{
    if (!cmd.folder.empty() || !cmd.output.empty())
        return UsageError("extract takes an archive and a folder (and --manifest OUT)"), EXIT_USAGE;
    ArchiveFile archive;
    AnsiCodePage codePage;
    if (!LoadForReading(cmd, 2, archive) || !LoadCodePage(cmd, codePage))
        return cmd.positional.size() == 2 ? EXIT_REFUSED : EXIT_USAGE;
    ArchiveCheck check;
    CheckArchive(archive.Data(), archive.nSize, cmd.nJobs, check);
    CheckNamesInCodePage(codePage, check);
    PrintMessages("warning", check.warnings);
    if (!check.problems.empty()) {
        PrintMessages("refused", check.problems);
        return EXIT_REFUSED;
    }
    const std::string& folder = cmd.positional[1];
    std::vector<ExtractedFile> files;
    std::string error;
    if (!ExtractArchiveEntries(check, folder, codePage, files, error) ||
        (!cmd.manifest.empty() && !WriteExtractManifest(cmd.manifest, folder, files, error))) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return EXIT_REFUSED;
    }
    std::printf("%s: %zu files written\n", folder.c_str(), files.size());
    return 0;
}

// The payload's files as a manifest or a folder names them, checked.
bool CollectSources(const CommandLine& cmd, const std::string& manifest, const AnsiCodePage& codePage,
                    std::vector<PayloadSource>& sources)
{
    std::vector<std::string> errors;
    if (!manifest.empty()) {
        std::string text;
        if (!ReadTextFile(manifest, text)) {
            std::fprintf(stderr, "payload: cannot read the manifest %s: %s\n", manifest.c_str(), std::strerror(errno));
            return false;
        }
        std::string baseDir = std::filesystem::path(manifest).parent_path().string();
        ParsePayloadManifest(text, manifest, baseDir.empty() ? "." : baseDir, sources, errors);
    } else {
        ScanPayloadFolder(cmd.folder, codePage, sources, errors);
    }
    if (!errors.empty()) {
        PrintMessages("refused", errors);
        return false;
    }
    return true;
}

bool ReadInput(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::string error;
    if (ReadFileBytes(path, bytes, error))
        return true;
    std::fprintf(stderr, "payload: %s\n", error.c_str());
    return false;
}

// The uninstaller stub with the list of the payload's files and the manuals, as the
// system directory's BraxDel.dll in place of any the sources name.
bool AddUninstaller(const CommandLine& cmd, const AnsiCodePage& codePage, std::vector<PayloadSource>& sources)
{
    std::vector<uint8_t> stub;
    if (!ReadInput(cmd.uninstaller, stub))
        return false;
    sources.erase(std::remove_if(sources.begin(), sources.end(), IsUninstallerEntry), sources.end());
    std::string list, error;
    std::vector<uint8_t> library;
    std::vector<std::string> notes;
    if (!BuildInstallList(sources, cmd.docs, codePage, list, error) ||
        !WriteListIntoUninstaller(stub, list, library, notes, error)) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return false;
    }
    PrintMessages("note", notes);
    PayloadSource source;
    source.dwDestination = DEST_SYSTEM;
    source.sourcePath = cmd.uninstaller + " (with its installation list)";
    source.storedName = UNINSTALLER_NAME;
    source.origin = cmd.uninstaller;
    source.pContents = std::make_shared<const std::vector<uint8_t>>(std::move(library));
    sources.push_back(std::move(source));
    return true;
}

// A folder beside the output for unpacking an archive; removed again when it goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& near)
        : m_path(near + ".unpacked-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))
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

// The archive of a given file, checked as verify checks it.
bool LoadCheckedArchive(const CommandLine& cmd, const AnsiCodePage& codePage, ArchiveFile& archive, ArchiveCheck& check)
{
    std::string error;
    if (!LoadArchiveFile(cmd.archive, archive, error)) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return false;
    }
    CheckArchive(archive.Data(), archive.nSize, cmd.nJobs, check);
    CheckNamesInCodePage(codePage, check);
    PrintMessages("warning", check.warnings);
    if (!check.problems.empty()) {
        PrintMessages("refused", check.problems);
        return false;
    }
    return true;
}

int RunSetup(const CommandLine& cmd)
{
    int nSources = !cmd.manifest.empty() + !cmd.folder.empty() + !cmd.archive.empty();
    if (cmd.stub.empty() || cmd.output.empty() || nSources != 1)
        return UsageError("setup needs --stub SETUP.EXE, --output FILE and one of --manifest, --folder, --archive"),
               EXIT_USAGE;
    if (!cmd.positional.empty())
        return UsageError("setup takes no further arguments: " + cmd.positional[0]), EXIT_USAGE;
    if (!cmd.docs.empty() && cmd.uninstaller.empty())
        return UsageError("--docs names the manuals the uninstaller removes: it needs --uninstaller"), EXIT_USAGE;
    if (!cmd.sign.empty() && cmd.passwordFile.empty())
        return UsageError("--sign needs --password-file FILE (the password is never given on the command line)"),
               EXIT_USAGE;
    if (cmd.sign.empty() && (!cmd.passwordFile.empty() || !cmd.timestamp.empty()))
        return UsageError("--password-file and --timestamp belong to --sign"), EXIT_USAGE;
    VersionInfoText version;
    if (!cmd.productVersion.empty() && !ParseVersionNumbers(cmd.productVersion, version.version))
        return UsageError("--product-version takes X.Y.Z or X.Y.Z.W, each 0 to 65535, not \"" + cmd.productVersion + "\""),
               EXIT_USAGE;
    if (!cmd.company.empty())
        version.company = cmd.company;
    if (!cmd.product.empty()) {
        version.product = cmd.product;
        version.description = cmd.product + " Setup";
    }

    auto start = std::chrono::steady_clock::now();
    AnsiCodePage codePage;
    std::vector<uint8_t> stub;
    if (!LoadCodePage(cmd, codePage) || !ReadInput(cmd.stub, stub))
        return EXIT_REFUSED;

    std::vector<uint8_t> archive;
    std::string payloadText;
    if (!cmd.archive.empty() && cmd.uninstaller.empty()) {
        // Taken as it is: the archive was made before and carries its own uninstaller.
        ArchiveFile file;
        ArchiveCheck check;
        if (!LoadCheckedArchive(cmd, codePage, file, check))
            return EXIT_REFUSED;
        archive.assign(file.Data(), file.Data() + file.nSize);
        payloadText = std::to_string(check.entries.size()) + " entries";
    } else {
        std::vector<PayloadSource> sources;
        std::unique_ptr<ScratchFolder> scratch;
        if (!cmd.archive.empty()) {
            // The uninstaller's list needs the files as they install: unpacked, then packed
            // again with the uninstaller in its place.
            ArchiveFile file;
            ArchiveCheck check;
            if (!LoadCheckedArchive(cmd, codePage, file, check))
                return EXIT_REFUSED;
            scratch = std::make_unique<ScratchFolder>(cmd.output);
            std::string manifest = scratch->Path() + "/archive.manifest", error;
            std::vector<ExtractedFile> files;
            if (!ExtractArchiveEntries(check, scratch->Path() + "/files", codePage, files, error) ||
                !WriteExtractManifest(manifest, scratch->Path() + "/files", files, error)) {
                std::fprintf(stderr, "payload: %s\n", error.c_str());
                return EXIT_REFUSED;
            }
            if (!CollectSources(cmd, manifest, codePage, sources))
                return EXIT_REFUSED;
        } else if (!CollectSources(cmd, cmd.manifest, codePage, sources)) {
            return EXIT_REFUSED;
        }
        std::vector<std::string> errors;
        if (!CheckPayloadSources(sources, codePage, errors) ||
            (!cmd.uninstaller.empty() && !AddUninstaller(cmd, codePage, sources))) {
            PrintMessages("refused", errors);
            return EXIT_REFUSED;
        }
        PayloadBuildOptions options;
        options.nJobs = cmd.nJobs;
        options.nLevel = cmd.nLevel;
        options.nCodePage = cmd.nCodePage;
        PayloadBuildReport report;
        if (!BuildPayloadArchive(sources, options, archive, report, errors)) {
            PrintMessages("refused", errors);
            return EXIT_REFUSED;
        }
        PrintMessages("warning", report.warnings);
        payloadText = std::to_string(report.nEntries) + " entries, " + std::to_string(report.nTotalSize) +
                      " bytes packed to " + std::to_string(report.nTotalPacked);
    }

    std::vector<uint8_t> image;
    std::vector<std::string> notes;
    std::string error;
    if (!WritePayloadIntoStub(stub, archive, version, image, notes, error)) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return EXIT_REFUSED;
    }
    PrintMessages("note", notes);
    if (cmd.sign.empty()) {
        if (!WriteFileAtomically(cmd.output, image, error)) {
            std::fprintf(stderr, "payload: %s\n", error.c_str());
            return EXIT_REFUSED;
        }
    } else {
        std::string unsigned_ = cmd.output + ".unsigned";
        SignOptions sign{cmd.sign, cmd.passwordFile, cmd.timestamp, version.description};
        bool bSigned = WriteFileAtomically(unsigned_, image, error) && SignImage(unsigned_, cmd.output + ".signed", sign, error);
        std::remove(unsigned_.c_str());
        if (!bSigned || std::rename((cmd.output + ".signed").c_str(), cmd.output.c_str()) != 0) {
            std::remove((cmd.output + ".signed").c_str());
            std::fprintf(stderr, "payload: %s\n", error.empty() ? ("cannot write " + cmd.output).c_str() : error.c_str());
            return EXIT_REFUSED;
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %zu bytes, payload of %s (archive %zu bytes), version %s%s; %.3f s\n", cmd.output.c_str(),
                image.size(), payloadText.c_str(), archive.size(), VersionText(version.version).c_str(),
                cmd.sign.empty() ? "" : ", signed", seconds);
    return 0;
}

int RunUninstaller(const CommandLine& cmd)
{
    if (cmd.uninstaller.empty() || cmd.output.empty() || cmd.manifest.empty() == cmd.folder.empty())
        return UsageError("uninstaller needs --uninstaller BRAXDEL.DLL, --output FILE and --manifest or --folder"),
               EXIT_USAGE;
    if (!cmd.positional.empty())
        return UsageError("uninstaller takes no further arguments: " + cmd.positional[0]), EXIT_USAGE;
    AnsiCodePage codePage;
    std::vector<PayloadSource> sources;
    if (!LoadCodePage(cmd, codePage) || !CollectSources(cmd, cmd.manifest, codePage, sources))
        return EXIT_REFUSED;
    sources.erase(std::remove_if(sources.begin(), sources.end(), IsUninstallerEntry), sources.end());
    std::vector<uint8_t> stub, library;
    std::string list, error;
    std::vector<std::string> notes;
    if (!ReadInput(cmd.uninstaller, stub))
        return EXIT_REFUSED;
    if (!BuildInstallList(sources, cmd.docs, codePage, list, error) ||
        !WriteListIntoUninstaller(stub, list, library, notes, error) || !WriteFileAtomically(cmd.output, library, error)) {
        std::fprintf(stderr, "payload: %s\n", error.c_str());
        return EXIT_REFUSED;
    }
    PrintMessages("note", notes);
    std::printf("%s: %zu bytes, an installation list of %zu bytes\n", cmd.output.c_str(), library.size(), list.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine cmd;
    if (!ParseCommandLine(argc, argv, cmd))
        return EXIT_USAGE;
    if (cmd.bHelp || cmd.command.empty()) {
        std::fputs(HELP_TEXT, cmd.bHelp ? stdout : stderr);
        return cmd.bHelp ? 0 : EXIT_USAGE;
    }
    bool bMakesSetup = cmd.command == "setup" || cmd.command == "uninstaller";
    if (cmd.command != "build" && cmd.command != "extract" && !bMakesSetup && !cmd.manifest.empty())
        return UsageError("--manifest belongs to build, extract, setup and uninstaller"), EXIT_USAGE;
    if (!bMakesSetup && !(cmd.stub + cmd.archive + cmd.uninstaller + cmd.docs + cmd.productVersion + cmd.company +
                          cmd.product + cmd.sign + cmd.passwordFile + cmd.timestamp).empty())
        return UsageError("--stub, --archive, --uninstaller, --docs, the version and signing options belong to setup"),
               EXIT_USAGE;
    if (cmd.command == "list" && cmd.bCodePageGiven)
        return UsageError("--codepage belongs to build, verify and extract"), EXIT_USAGE;
    if (cmd.command == "build")
        return RunBuild(cmd);
    if (cmd.command == "list")
        return RunList(cmd);
    if (cmd.command == "verify")
        return RunVerify(cmd);
    if (cmd.command == "extract")
        return RunExtract(cmd);
    if (cmd.command == "setup")
        return RunSetup(cmd);
    if (cmd.command == "uninstaller")
        return RunUninstaller(cmd);
    UsageError("unknown command " + cmd.command);
    return EXIT_USAGE;
}
