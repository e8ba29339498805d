#!/usr/bin/env bash
# The platform layer reaches nothing above it: no file under src/platform/ includes, or
# names a path into, the program (app/), its windows (windows/) or the update check
# (update/). Usage: layering_test.sh SOURCE_DIR
set -uo pipefail
found="$(grep -rnE '(^|[^A-Za-z0-9_])(app|windows|update)/' "$1/src/platform")"
if [[ -n "$found" ]]; then
    printf 'the platform layer reaches up:\n%s\n' "$found"
    exit 1
fi
