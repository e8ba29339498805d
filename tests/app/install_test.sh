#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the headless front end always, and with the
# desktop program its .desktop entry and the icon that entry names.
# Arguments: BUILD_DIR GUI(ON|OFF)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/volume_test_lib.sh"
build="$1" gui="$2"

make_workdir
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1
check "cmake --install succeeds" 0 "$?"

[[ -x "$prefix/bin/vantrelle-cli" ]]
check "bin/vantrelle-cli is installed and executable" 0 "$?"
"$prefix/bin/vantrelle-cli" >/dev/null 2>&1
check "the installed vantrelle-cli runs (usage error without a path)" 2 "$?"

if [[ "$gui" == ON ]]; then
    # The update check is a module found from the program's own folder, wherever installed.
    "$prefix/bin/vantrelle-cli" --check-update --update-url=http://127.0.0.1:9/ >/dev/null 2>&1
    check "the installed vantrelle-cli --check-update loads its module from the prefix" 1 "$?"
    [[ -x "$prefix/bin/vantrelle" ]]
    check "bin/vantrelle is installed and executable" 0 "$?"
    entry="$prefix/share/applications/vantrelle.desktop"
    check "the desktop entry starts the program" "Exec=vantrelle" "$(grep '^Exec=' "$entry")"
    icon="$(sed -n 's/^Icon=//p' "$entry")"
    [[ -s "$prefix/share/icons/hicolor/256x256/apps/$icon.png" ]]
    check "the icon the desktop entry names is installed" 0 "$?"
    if command -v desktop-file-validate >/dev/null; then
        check "the desktop entry is valid" "" "$(desktop-file-validate "$entry" 2>&1)"
    fi
fi
finish
