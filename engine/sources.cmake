set(ENGINE_PORTABLE_SOURCES engine/PayloadReader.cpp engine/InstallDirText.cpp engine/DeviceName.cpp)
set(ENGINE_WIN32_SOURCES engine/Archive.cpp engine/Extract.cpp engine/InflatePipeline.cpp engine/InstallDir.cpp engine/Manuals.cpp engine/Shortcuts.cpp engine/ErrorText.cpp
    engine/SpecialFolder.cpp engine/UninstallEntry.cpp engine/PayloadCheck.cpp)
# The system test and the medium beside the setup program. The setup directory's
# derivation is portable (tested on the host), but the tools have no use for it.
set(ENGINE_SETUP_PORTABLE_SOURCES engine/SetupDirectory.cpp)
list(APPEND ENGINE_WIN32_SOURCES engine/IsWin9x.cpp engine/SetupDirectoryResolve.cpp)
