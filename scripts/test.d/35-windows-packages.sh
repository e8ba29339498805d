#!/usr/bin/env bash
# The Windows downloads, built by the cross build's target windows-packages and used
# under Wine as a Windows user would: the portable zip unpacked and run, the installer run
# silently for the current user and for every user, each install checked (files, Start
# menu shortcuts, the uninstall key), the desktop program started where there is one,
# then uninstalled silently with the command the uninstall key gives, leaving nothing.
# A second cross build with a stand-in Vantrelle.exe checks that the desktop program
# joins the zip, the installer and the shortcuts by itself while build-win has none.
# Ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"

jobs="$(nproc)"
make_workdir
trap 'wineserver -k 2>/dev/null; cleanup' EXIT

fail_now() {
    echo "windows-packages: $*"
    echo "$checks passed, $((failures + 1)) failed"
    exit 1
}

# Builds the packages in build directory $1 (configured as the Windows stage does, so
# that build-win/ is not built again); further arguments go to cmake.
build_packages() {
    local build="$1"
    shift
    cmake -S "$root" --preset build-win -B "$build" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" \
        >"$work/configure.log" 2>&1 ||
        { cat "$work/configure.log"; fail_now "configuring $build failed"; }
    cmake --build "$build" -j "$jobs" --target windows-packages || fail_now "building the packages in $build failed"
}

export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No menu entries or file associations for the Linux desktop from the shortcuts made.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8
wineboot -i >/dev/null 2>&1 || fail_now "wineboot failed"
wine_path() { winepath -u "$1" 2>/dev/null; }
win_var() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
user_programs="$(win_var LOCALAPPDATA)\\Programs\\Vantrelle"
user_menu="$(win_var APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs"
machine_menu="$(win_var ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs"
machine_programs="C:\\Program Files\\Vantrelle"
key_path='Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrelle'

# One value of the uninstall key under hive $1, empty when there is none.
key_value() {
    wine reg query "$1\\$key_path" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The text that a shortcut points at and the arguments it passes, as stored in the .lnk.
shortcut_text() { { strings -a "$1"; strings -a -el "$1"; } 2>/dev/null | tr '\n' ' '; }

# check_packages BUILD WITH_DESKTOP(yes|no)
check_packages() {
    local build="$1" desktop="$2" label="$3"
    local zip="$build/vantrelle-1.0-win64.zip" setup="$build/vantrelle-1.0-win64-setup.exe"
    local expected="LICENSE.txt README.txt vantrelle-cli.exe"
    [[ "$desktop" == yes ]] && expected="LICENSE.txt README.txt Vantrelle.exe vantrelle-cli.exe"

    echo "-- $label: the zip"
    check "$label: the zip's files, at its top" "$expected" \
        "$(cmake -E tar tf "$zip" | LC_ALL=C sort | xargs)"
    local unpacked="$work/unpacked-$desktop"
    mkdir -p "$unpacked"
    (cd "$unpacked" && cmake -E tar xf "$zip") || fail_now "cannot unpack $zip"
    local readme
    readme="$(cat "$unpacked/README.txt")"
    check "$label: README.txt starts with a byte-order mark" "efbbbf" \
        "$(head -c 3 "$unpacked/README.txt" | od -An -tx1 | tr -d ' ')"
    check "$label: README.txt has Windows line ends only" "$(grep -c '' "$unpacked/README.txt")" \
        "$(grep -c $'\r$' "$unpacked/README.txt")"
    check_contains "$label: README.txt in Farsi too" "اجرای برنامه" "$readme"
    check_contains "$label: README.txt names the version" "Vantrelle 1.0 for Windows (64-bit)" "$readme"
    check_contains "$label: LICENSE.txt is the MIT licence" "Copyright (c) 2026 The Vantrelle developers" \
        "$(cat "$unpacked/LICENSE.txt")"
    if [[ "$desktop" == yes ]]; then
        check_contains "$label: README.txt says how to start the desktop program" "Double-click Vantrelle.exe" "$readme"
    else
        check_contains "$label: README.txt says how to start the command line" "Open a Command Prompt" "$readme"
    fi
    wine "$unpacked/vantrelle-cli.exe" --help >"$work/help" 2>&1
    check "$label: the unpacked vantrelle-cli.exe runs from its folder" 0 $?

    local mode hive programs menu
    for mode in CurrentUser AllUsers; do
        if [[ "$mode" == CurrentUser ]]; then
            hive=HKCU programs="$user_programs" menu="$user_menu"
        else
            hive=HKLM programs="$machine_programs" menu="$machine_menu"
        fi
        echo "-- $label: the installer, /S /$mode"
        wine "$setup" /S "/$mode"
        check "$label, $mode: the installer's exit status" 0 $?
        wineserver -w
        local folder
        folder="$(wine_path "$programs")"
        check "$label, $mode: the installed files" "$(echo $expected Uninstall.exe | xargs -n1 | LC_ALL=C sort | xargs)" \
            "$(ls "$folder" 2>&1 | LC_ALL=C sort | xargs)"
        check "$label, $mode: the key names the install folder" "$programs" "$(key_value "$hive" InstallLocation)"
        check "$label, $mode: the key's name shown under Apps" "Vantrelle" "$(key_value "$hive" DisplayName)"
        check "$label, $mode: the key's version" "1.0" "$(key_value "$hive" DisplayVersion)"
        check "$label, $mode: the key's uninstall command" "\"$programs\\Uninstall.exe\" /$mode" \
            "$(key_value "$hive" UninstallString)"
        check_contains "$label, $mode: the command-line shortcut opens vantrelle-cli.exe" \
            "vantrelle-cli.exe\" --help" "$(shortcut_text "$(wine_path "$menu\\Vantrelle command line.lnk")")"
        if [[ "$desktop" == yes ]]; then
            check_contains "$label, $mode: the Start-menu shortcut starts Vantrelle.exe" \
                "$programs\\Vantrelle.exe" "$(shortcut_text "$(wine_path "$menu\\Vantrelle.lnk")")"
            if [[ "$mode" == CurrentUser ]]; then
                # The installed program opens its welcome window, titled "Vantrelle". Wine's
                # processes of the silent install run without a display; a window made
                # through them would never reach X, so they are ended first.
                wineserver -k 2>/dev/null
                wineserver -w
                xvfb-run -a bash -c "wine '$folder/Vantrelle.exe' & sleep 1; \
                    timeout 90 xdotool search --sync --onlyvisible --name '^Vantrelle\$' >/dev/null; \
                    status=\$?; wineserver -k; exit \$status" >"$work/desktop.log" 2>&1
                shown=$?
                check "$label, $mode: the installed Vantrelle.exe shows its window" 0 "$shown"
                ((shown == 0)) || cat "$work/desktop.log"
            fi
        else
            check "$label, $mode: no desktop-program shortcut without the program" no \
                "$([[ -e "$(wine_path "$menu\\Vantrelle.lnk")" ]] && echo yes || echo no)"
        fi

        # Uninstalled as Apps does it: with the quiet command the key gives.
        local quiet
        quiet="$(key_value "$hive" QuietUninstallString)"
        if [[ "$quiet" =~ ^\"([^\"]+)\"\ (.*)$ ]]; then
            # shellcheck disable=SC2086 # the command's arguments are words
            wine "$(wine_path "${BASH_REMATCH[1]}")" ${BASH_REMATCH[2]}
            check "$label, $mode: the silent uninstall's exit status" 0 $?
            wineserver -w
        else
            check "$label, $mode: the key gives a quiet uninstall command" "\"...\" ..." "$quiet"
        fi
        check "$label, $mode: the install folder is gone" no "$([[ -e "$folder" ]] && echo yes || echo no)"
        check "$label, $mode: the shortcuts are gone" "" "$(ls "$(wine_path "$menu")" | grep -i vantrelle)"
        wine reg query "$hive\\$key_path" >/dev/null 2>&1
        check "$label, $mode: the uninstall key is gone" 1 $?
    done
}

echo "-- the packages of build-win/"
build_packages "$root/build-win"
if [[ -n "$(find "$root/build-win" -maxdepth 3 -iname vantrelle.exe -not -path '*/packaging/*')" ]]; then
    check_packages "$root/build-win" yes "build-win"
else
    echo "note: build-win has no Vantrelle.exe yet: the packages hold vantrelle-cli.exe alone"
    check_packages "$root/build-win" no "build-win"
    echo "-- a cross build with a stand-in Vantrelle.exe"
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    build_packages "$root/build-win-stand-in" -DBUILD_TESTING=OFF "${launcher[@]}" \
        -DCMAKE_PROJECT_INCLUDE="$root/tests/packaging/stand_in_desktop_program.cmake"
    check_packages "$root/build-win-stand-in" yes "stand-in"
fi

finish
