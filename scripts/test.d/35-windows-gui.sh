#!/usr/bin/env bash
# The Windows desktop program under Wine on a virtual display: the tests of the Win32
# windowing layer and of the WinHTTP download, built as .exe in build-win/ (CTest label
# "gui"), the download against the loopback server of build/ on 127.0.0.1; then the
# click-through of the real Vantrelle.exe. Runs after the Windows stage, which builds
# build-win/. Ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"
source "$root/tests/support/wine_display_lib.sh"

build="$root/build-win"
server="$root/build/tests/support/loopback_http_serve"

for tool in wine Xvfb fluxbox; do
    if ! command -v "$tool" >/dev/null; then
        echo "windows-gui: skipped, $tool is missing"
        echo "0 passed, 0 failed"
        exit 0
    fi
done

make_workdir
trap 'stop_display; cleanup' EXIT

fail_now() {
    echo "windows-gui: $*"
    echo "$((checks - failures)) passed, $((failures + 1)) failed"
    exit 1
}

echo "-- cross build in build-win/"
cmake -S "$root" --preset build-win -B "$build" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; fail_now "configuring build-win failed"; }
cmake --build "$build" -j "$(nproc)" || fail_now "building build-win failed"

[[ -x "$server" ]] || fail_now "$server is missing: build build/ first (scripts/test.sh does)"
"$server" >"$work/server" 2>"$work/server.log" &
display_pids+=($!)
for _ in $(seq 50); do
    (($(wc -l <"$work/server") >= 2)) && break
    sleep 0.1
done
export VANTRELLE_LOOPBACK="$(sed -n 1p "$work/server")"
export VANTRELLE_REFUSED_PORT="$(sed -n 2p "$work/server")"
[[ -n "$VANTRELLE_REFUSED_PORT" ]] || fail_now "the loopback server did not start: $(cat "$work/server.log")"

start_display || fail_now "Xvfb did not start: $(cat "$work/xvfb.log")"
export LC_ALL=C.UTF-8
start_wine || fail_now "wineboot failed: $(cat "$work/wineboot.log")"
echo "-- display $DISPLAY, Wine prefix in $WINEPREFIX"

# One at a time: the tests look for their windows by title on a shared screen.
ctest --test-dir "$build" -L gui --output-on-failure 2>&1 | tee "$work/ctest.log"
summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$work/ctest.log")"
if [[ "$summary" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    failures=$((failures + BASH_REMATCH[1]))
    checks=$((checks + BASH_REMATCH[2]))
else
    fail_now "the tests on the display did not run"
fi

# The real program clicked through as a user would, into pictures of this run only; it
# starts a display and a Wine prefix of its own.
stop_display
"$root/scripts/screenshots-windows.sh" "$work/pictures" 2>&1 | tee "$work/pictures.log"
summary="$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$work/pictures.log" | tail -1)"
if [[ "$summary" =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    checks=$((checks + BASH_REMATCH[1] + BASH_REMATCH[2]))
    failures=$((failures + BASH_REMATCH[2]))
else
    checks=$((checks + 1))
    failures=$((failures + 1))
fi

finish
