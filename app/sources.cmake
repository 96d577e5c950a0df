set(APP_PORTABLE_SOURCES app/InstallSwitches.cpp app/InstallLog.cpp)
# The application object and the entry point go into Setup.exe only (APP_MAIN_SOURCES).
set(APP_WIN32_SOURCES
    app/SetupWnd.cpp
    app/RestartWindows.cpp
    app/RunSequence.cpp
    app/InstallSequence.cpp
    app/SetupFinished.cpp
    app/RunProgram.cpp
    app/InstallLogStep.cpp
    app/OnlyCopy.cpp)
set(APP_MAIN_SOURCES app/SetupApp.cpp framework/WinMain.cpp)
