set(UI_PORTABLE_SOURCES)
set(UI_WIN32_SOURCES)
# Directory chooser and backdrop.
list(APPEND UI_PORTABLE_SOURCES ui/ChooserPath.cpp ui/BackdropLayout.cpp)
list(APPEND UI_WIN32_SOURCES ui/DirectoryDlg.cpp ui/Backdrop.cpp)
# Pages and progress dialog: message, agreement, options, progress.
list(APPEND UI_PORTABLE_SOURCES ui/ProgressTimeline.cpp)
list(APPEND UI_WIN32_SOURCES ui/MessageDlg.cpp ui/AgreementDlg.cpp ui/OptionsDlg.cpp ui/ProgressDlg.cpp)
