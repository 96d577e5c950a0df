# Sources that need no Windows API (also built and tested on the host).
set(FRAMEWORK_PORTABLE_SOURCES framework/String.cpp)
set(FRAMEWORK_WIN32_SOURCES
    framework/StringLoad.cpp
    framework/Wnd.cpp
    framework/WinApp.cpp
    framework/Dialog.cpp
    framework/Memory.cpp)
