#!/usr/bin/env bash
# Installs what building and running Vantrelle need when it is missing (not what the
# tests need: scripts/test.sh installs that), builds the programs in build/ and starts
# the desktop program, or vantrelle-cli where there is no desktop build. Arguments go to
# the program.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
"$root/scripts/setup.sh" run

# A first configuration leaves the tests out, whose GoogleTest only scripts/test.sh
# installs; a build/ that scripts/test.sh configured keeps its tests.
configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    configure+=(-DBUILD_TESTING=OFF)
fi
echo "run: configuring $build"
mkdir -p "$build"
if ! cmake -S "$root" -B "$build" -G Ninja "${configure[@]}" >"$build/configure.log" 2>&1; then
    cat "$build/configure.log"
    echo "run: configuring failed (the whole output is above, and in $build/configure.log)" >&2
    exit 1
fi

targets=(vantrelle_cli)
if grep -q '^VANTRELLE_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    targets+=(vantrelle)
fi
echo "run: building ${targets[*]}"
if ! cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"; then
    echo "run: building failed; the compiler's messages are above" >&2
    exit 1
fi

if [[ -x "$build/vantrelle" ]]; then
    exec "$build/vantrelle" "$@"
fi
exec "$build/vantrelle-cli" "$@"
