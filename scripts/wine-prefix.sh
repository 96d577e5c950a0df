#!/usr/bin/env bash
# Creates the throwaway 32-bit Wine prefix of a build tree (never the user's own) and
# starts a persistent wineserver for it. Usage: wine-prefix.sh PREFIX
# SETUP_WINEARCH=win64 makes a 64-bit prefix instead (the Windows tests' 64-bit build).
# The prefix runs every program inside one 1024x768 virtual desktop, so that windows
# get frames and captions under a bare X server and screenshots show them.
set -euo pipefail
# Wine refuses a relative WINEPREFIX.
prefix=$(realpath -m "$1")
# No Mono or Gecko prompts; no winemenubuilder, which would mirror every shortcut the
# setup program makes into the host's own desktop menus.
export WINEPREFIX=$prefix WINEARCH=${SETUP_WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [[ ! -f "$prefix/system.reg" ]]; then
    mkdir -p "$(dirname "$prefix")"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d "" /f >/dev/null 2>&1
    # The backdrop's titles ask for Times New Roman; Liberation Serif has its metrics.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Times New Roman" /d "Liberation Serif" /f >/dev/null 2>&1
    wineserver -w
fi
# Wine draws the caption buttons with the Marlett font (Debian's fonts-wine); without it
# they show letters, in every window and screenshot of the tests. This Wine does not take
# it from its own data folder, so the prefix gets a copy among its fonts, or is refused.
marlett=/usr/share/wine/fonts/marlett.ttf
fonts=$prefix/drive_c/windows/Fonts
if [[ ! -f $fonts/marlett.ttf ]]; then
    if [[ ! -f $marlett ]]; then
        echo "wine-prefix.sh: no Marlett font at $marlett: install Debian's fonts-wine (scripts/install-deps.sh)" >&2
        exit 1
    fi
    mkdir -p "$fonts"
    cp "$marlett" "$fonts/"
fi
# Wine's long-lived helper processes inherit the output of whoever starts them first:
# start them here, detached, so that no test runner waits on their pipes.
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null
