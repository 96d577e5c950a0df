set(ENGINE_PORTABLE_SOURCES engine/PayloadReader.cpp engine/InstallDirText.cpp engine/DeviceName.cpp)
set(ENGINE_WIN32_SOURCES engine/Archive.cpp engine/Extract.cpp engine/InstallDir.cpp engine/Manuals.cpp engine/Shortcuts.cpp engine/ErrorText.cpp
    engine/SpecialFolder.cpp engine/UninstallEntry.cpp)
