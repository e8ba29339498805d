#!/usr/bin/env bash
# The desktop program started where there is no display: one line that says so and
# points at vantrelle-cli, exit status 1, instead of the toolkit's abort.
# Usage: no_display_test.sh VANTRELLE
set -uo pipefail
said="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1)"
status=$?
lines="$(printf '%s\n' "$said" | wc -l)"
if ((status == 1)) && ((lines == 1)) && [[ "$said" == *"no display"*vantrelle-cli* ]]; then
    echo "1 passed, 0 failed"
    exit 0
fi
printf 'FAIL: exit status %s, said:\n%s\n' "$status" "$said"
exit 1
