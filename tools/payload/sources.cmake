# The payload tool's sources, one list for its Linux build (tools/payload/CMakeLists.txt)
# and its Windows build (cmake/Win32Build.cmake): everything but main.cpp, which each
# build adds to its program.
set(PAYLOAD_TOOL_SOURCE_NAMES
    AnsiCodePage.cpp
    ArchiveBuilder.cpp
    ArchiveCheck.cpp
    ArchiveExtractor.cpp
    ArchiveFile.cpp
    DisplayText.cpp
    FileIo.cpp
    HelpText.cpp
    InstallListWriter.cpp
    PayloadName.cpp
    PayloadSource.cpp
    PayloadStream.cpp
    PayloadWriter.cpp
    PeHeaders.cpp
    PeResource.cpp
    PeResourceEditor.cpp
    SetupStub.cpp
    Sha256.cpp
    Signer.cpp
    ToolOptions.cpp
    VersionInfo.cpp
    WingetManifest.cpp)
list(TRANSFORM PAYLOAD_TOOL_SOURCE_NAMES PREPEND ${CMAKE_SOURCE_DIR}/tools/payload/ OUTPUT_VARIABLE PAYLOAD_TOOL_SOURCES)
