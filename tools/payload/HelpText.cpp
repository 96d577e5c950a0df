// The text "payload --help" prints.
#include "HelpText.h"

const char PAYLOAD_HELP_TEXT[] = R"(Usage: payload COMMAND [OPTIONS]

Builds, lists, verifies and unpacks the payload archive that the Pelorin setup
program (Setup.exe) carries as its RT_RCDATA resource 127 and unpacks when it
installs, writes it into a Setup.exe, and describes a built Setup.exe for
winget.

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
          [--no-payload-check] [-j N] [--level N] [--codepage N]
          Writes a vendor's Setup.exe: a copy of the stub (the Setup.exe the
          project builds once) with the payload as its resource 127, built
          from the files as build does (an --archive is verified and taken as
          it is). No compiler is involved: the tool rewrites the stub's
          resource section itself, keeping every other resource byte for byte.
          A payload the stub carries already is replaced, never added to.
          Beside the payload goes the CRC-32 of its bytes (resource 126):
          Setup.exe compares it before it writes anything, so that a file
          damaged on its way to the user (a broken download, a scratched
          medium) installs nothing. --no-payload-check leaves it out (and
          drops one the stub carried); such a Setup.exe installs unchecked.
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
          does before it packs it. The files are checked as build checks
          them (see Refusals).
  winget  SETUP.EXE --id PUBLISHER.PACKAGE --url URL --output DIR
          [--license TEXT] [--description TEXT] [--locale TAG]
          Writes the winget manifest of a finished (signed) Setup.exe, in the
          multi-file form of manifest version 1.6.0: DIR/ID.yaml (version),
          DIR/ID.installer.yaml and DIR/ID.locale.TAG.yaml (default locale,
          en-US unless --locale). Publisher, product name and version come
          from the file's version resource, the elevation from its manifest,
          the architecture from its header, InstallerSha256 from its bytes;
          --url is where winget downloads it (http or https). The installer
          is of type exe, for the machine, with the switches -silent,
          -dir="<INSTALLPATH>" and -log="<LOGPATH>", the return codes 1, 2,
          3 and 1618, and the uninstall entry's key as its ProductCode.
          --license (default "Proprietary") and --description (default
          "PRODUCT by PUBLISHER") fill the locale's required fields.
  help    Prints this text (also: --help, -h).

FILE is an archive file, or a built Setup.exe: then the archive is taken from
its resource 127 of type RT_RCDATA, found through the PE resource directory.

Options:
  -m, --manifest FILE  build: the manifest to read.
  -d, --folder DIR     build: the folder to pack.
  -o, --output ARCHIVE build: where to write the archive (replaced atomically;
                       winget: the folder for the manifest).
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

Refusals (build, setup and uninstaller refuse, verify and extract report,
each naming the entry):
  - an empty first entry: the setup program fails with "Memory allocation
    error" on a zero-byte first file;
  - an empty name, or one longer than 255 bytes;
  - a backslash or slash anywhere in the name: the setup program creates no
    folders, so a name is a plain file name, never a path;
  - a drive (C:);
  - a character Windows file names cannot hold (control characters and
    < > : " | ? *), a name ending in a dot or a space (Windows drops them),
    or a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, COM and LPT
    followed by a superscript 1, 2 or 3, with or without an extension);
  - Comctl32.dll or Comdlg32.dll for the system directory (code 13): the
    setup program deletes these names again on Windows NT after writing
    them, which there would take the system's own library away;
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
  payload winget medium/Setup.exe --id Corvane.Pelorin \
      --url https://downloads.example.com/pelorin/2.1.0/Setup.exe --output winget/
)";
