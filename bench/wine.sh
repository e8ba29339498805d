#!/usr/bin/env bash
# Times the Windows build under Wine: `vantrelle-cli.exe --recursive --on-error=continue`
# against bench/floor_win32.cpp over 2,000 entries (20 folders of 99 files) on tmpfs,
# each hidden and system in user.DOSATTRIB, where Wine keeps DOS attributes. The two run
# in turn in each round, in alternating order, on a tree hidden afresh before every run
# (by bench/floor.cpp); one wineserver serves every run, so that none pays for starting
# it. Prints each median and the median of the paired ratios.
#   bench/wine.sh [ROUNDS] [BUILD_WIN]   (default 7 and build-win/; needs wine and mingw-w64)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rounds="${1:-7}"
build_win="${2:-$root/build-win}"
cli="$build_win/vantrelle-cli.exe"
[[ -f "$cli" ]] || { echo "wine: no $cli"; exit 1; }

# The Wine prefix on disk, the tree on tmpfs where root may mount one.
work="$(mktemp -d /tmp/vantrelle-wine-bench.XXXXXX)"
tree="$work/tree"
mkdir "$tree"
mounted=""
cleanup() {
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    [[ -n "$mounted" ]] && umount "$mounted"
    rm -rf "$work"
}
trap cleanup EXIT
if ((EUID == 0)) && mount -t tmpfs -o size=64m vantrelle-wine-bench "$tree"; then
    mounted="$tree"
fi

floor="$work/floor"
floor_win32="$work/floor_win32.exe"
g++ -std=c++20 -O2 -Wall -Wextra -o "$floor" "$root/bench/floor.cpp"
x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -municode -static -o "$floor_win32" \
    "$root/bench/floor_win32.cpp"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1 || true  # without wine32 it reports a failure, yet the prefix is made
wineserver -w
wineserver -p

"$floor" populate "$tree" 20 99
echo "tree: 20 folders of 99 files = $(find "$tree" -mindepth 1 | wc -l) entries, tmpfs," \
    "user.DOSATTRIB 0x6, under $(wine --version)"
tree_win="Z:${tree//\//\\}"

now() { date +%s%N; }
timed() {
    "$floor" hide "$tree"
    sync
    local start end
    start="$(now)"
    wine "$@" >/dev/null
    end="$(now)"
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run of each before measuring, so that neither pays for loading Wine's files.
timed "$cli" --recursive --on-error=continue "$tree_win" >/dev/null
timed "$floor_win32" "$tree_win" >/dev/null

cli_times=()
floor_times=()
ratios=()
for ((round = 1; round <= rounds; round++)); do
    if ((round % 2)); then
        c="$(timed "$cli" --recursive --on-error=continue "$tree_win")"
        f="$(timed "$floor_win32" "$tree_win")"
    else
        f="$(timed "$floor_win32" "$tree_win")"
        c="$(timed "$cli" --recursive --on-error=continue "$tree_win")"
    fi
    cli_times+=("$c")
    floor_times+=("$f")
    ratios+=("$(awk -v c="$c" -v f="$f" 'BEGIN { printf "%.3f", c / f }')")
done
echo "Wine, FindFirstFileExW and SetFileAttributesW floor, $rounds paired rounds:" \
    "vantrelle-cli.exe median $(printf '%s\n' "${cli_times[@]}" | median) ms," \
    "floor median $(printf '%s\n' "${floor_times[@]}" | median) ms," \
    "ratio (median of pairs) $(printf '%s\n' "${ratios[@]}" | median)"
