# The uninstaller's sources: the parts that need no Windows API (also built and tested on
# the host) and the rest, which uninstall/library.cmake builds into BraxDel.dll.
set(UNINSTALL_PORTABLE_SOURCES uninstall/RemoveArguments.cpp)
set(UNINSTALL_WIN32_SOURCES
    uninstall/Removal.cpp
    uninstall/RemovableFile.cpp
    uninstall/Refusal.cpp
    uninstall/SelfDeletion.cpp
    engine/SpecialFolder.cpp
    app/InstallLog.cpp
    app/InstallLogStep.cpp)
