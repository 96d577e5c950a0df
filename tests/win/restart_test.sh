#!/usr/bin/env bash
# The exit step's restart, seen from outside Wine: a restart ends every process of the
# prefix, so it runs in a prefix of its own, and the driver (tests/win/drivers) reports
# through a log file that this script reads once the prefix's processes are gone.
# Usage: restart_test.sh BIN_DIR PREFIX
set -u
bin=$1
prefix=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$root/scripts/wine-prefix.sh" "$prefix"

setup=$(winepath -w "$bin/Setup.exe")
passed=0
failed=0

# run NAME SCENARIO SETUP_EXE SETUP_ARGS [INSTALL_DIR]: the driver's log in $log
run() {
    local name=$1
    log="$prefix/drive_c/restart-$name.log"
    rm -f "$log"
    timeout 240 wine "$bin/restart_driver.exe" "C:\\restart-$name.log" "$2" "$3" "$4" "${5:-}" \
        </dev/null >/dev/null 2>&1
    # A restart goes on ending the prefix's processes for a while: every scenario starts
    # from a Wine session of its own.
    wineserver -k >/dev/null 2>&1
    wineserver -w
    "$root/scripts/wine-prefix.sh" "$prefix"
    echo "--- $name"
    cat "$log" 2>/dev/null
}

expect() {  # expect DESCRIPTION grep-pattern
    if grep -qxE "$2" "$log" 2>/dev/null; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $1 (no line matching '$2')"
    fi
}

expect_not() {
    if grep -qxE "$2" "$log" 2>/dev/null; then
        failed=$((failed + 1))
        echo "FAILED: $1 (a line matches '$2')"
    else
        passed=$((passed + 1))
    fi
}

expect_logged() {  # expect_logged DESCRIPTION setup-log-path grep-pattern: a line of the setup program's log
    if tr -d '\r' <"$2" 2>/dev/null | grep -qxE "[0-9-]{10} [0-9:]{8} $3"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $1 (no line matching '$3' in $2)"
    fi
}

expect_file() {  # expect_file DESCRIPTION path
    if [[ -f $2 ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $1"
    fi
}

# -autorun: the chooser comes first, nothing is shown at the end, and Windows restarts
# after the shell has been terminated with exit code 1.
rm -rf "$prefix/drive_c/RestartAutorun"
run autorun autorun-install "$setup" "-autorun" 'C:\RestartAutorun'
expect "autorun starts on the chooser" "first page Select Installation Directory"
expect "autorun still confirms the directory" "confirm The directory you selected for installation is:.*"
expect "the shell is terminated with exit code 1" "shell exit 1"
expect_not "no completion message in autorun mode" "page Installation Complete\.\.\."
expect_not "the restart ends the driver" "driver survived"
expect_file "the autorun installation wrote the application" "$prefix/drive_c/RestartAutorun/Varnix.exe"

# -autorun and a directory that cannot be prepared: the error is not shown, the setup
# program ends, and Windows restarts all the same.
mkdir -p "$prefix/drive_c"
: >"$prefix/drive_c/RestartBlocked"
run autorun-error autorun-install "$setup" "-autorun" 'C:\RestartBlocked\Sub'
expect "autorun starts on the chooser" "first page Select Installation Directory"
expect_not "no error message in autorun mode" "page Installation Error!!!"
expect "the shell is terminated" "shell exit 1"
expect_not "the restart ends the driver" "driver survived"

# -silent -restart: the installation runs without any page, and Windows restarts at its end.
rm -rf "$prefix/drive_c/RestartSilent"
run silent-restart silent "$setup" '-silent -restart -dir=C:\RestartSilent'
expect_not "a silent installation shows no page" "page .*"
expect_not "a silent installation shows no first page" "first page [^n].*"
expect "the shell is terminated" "shell exit 1"
expect_not "the restart ends the driver" "driver survived"
expect_file "the silent installation wrote the application" "$prefix/drive_c/RestartSilent/Varnix.exe"

# Windows refuses the restart (this Wine cannot start its shutdown program): the setup
# program's log says so after the request, and the setup program ends as it would.
setup_log="$prefix/drive_c/restart-refused-setup.log"
rm -f "$setup_log"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wineboot.exe=d" \
    run restart-refused silent "$setup" '-silent -restart -options=reader -log=C:\restart-refused-setup.log'
expect "the setup program ends with exit code 0" "setup exit 0"
expect "the shell is terminated before the request" "shell exit 1"
expect "no restart" "driver survived"
expect_logged "the request is logged" "$setup_log" "Restarting Windows"
expect_logged "the refusal is logged" "$setup_log" "Windows refused the restart \(error [0-9]+\)"

# A switch that cannot be understood does nothing at all: exit code 3, and no restart.
run silent-refused silent "$setup" '-silent -restart -options=everything'
expect "the refusal's exit code" "setup exit 3"
expect "the shell is left alone" "shell alive"
expect "no restart" "driver survived"

# -restart alone, in any case: the user cancels on the welcome, Windows restarts all the same.
run restart-cancel cancel "$setup" "-ReStart"
expect "-restart shows the welcome first" "first page Welcome\.\.\."
expect "the shell is terminated" "shell exit 1"
expect_not "the restart ends the driver" "driver survived"

# No switch: a cancel ends the setup program and nothing else.
run plain-cancel cancel "$setup" ""
expect "the welcome comes first" "first page Welcome\.\.\."
expect "the setup program ends with exit code 0" "setup exit 0"
expect "the shell is left alone" "shell alive"
expect "no restart" "driver survived"

# The switch is found inside longer words, whatever its case...
run autorun-word first-page "$setup" "-AUTORUNNING"
expect "a switch inside a longer word counts" "first page Select Installation Directory"

# ...and on the program's own path.
mkdir -p "$prefix/drive_c/media-autorun"
cp "$bin/Setup.exe" "$prefix/drive_c/media-autorun/Setup.exe"
run autorun-path first-page 'C:\media-autorun\Setup.exe' ""
expect "a switch on the program's path counts" "first page Select Installation Directory"

# A second copy while the first one waits on its welcome page does nothing: exit code
# 1618, nothing installed, and the restart is left to the first.
rm -rf "$prefix/drive_c/RestartSecond"
wine "$bin/Setup.exe" </dev/null >/dev/null 2>&1 &
sleep 10
run second-copy silent "$setup" '-silent -restart -dir=C:\RestartSecond'
expect "the second copy's exit code" "setup exit 1618"
expect "the shell is left alone" "shell alive"
expect "no restart" "driver survived"
if [[ -e "$prefix/drive_c/RestartSecond" ]]; then
    failed=$((failed + 1))
    echo "FAILED: the second copy installed"
else
    passed=$((passed + 1))
fi
wait

wineserver -k >/dev/null 2>&1
echo "restart_test: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
