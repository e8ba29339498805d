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
wineserver -f -p &
server=$!

"$floor" populate "$tree" 20 99
echo "tree: 20 folders of 99 files = $(find "$tree" -mindepth 1 | wc -l) entries, tmpfs," \
    "user.DOSATTRIB 0x6, under $(wine --version)"
tree_win="Z:${tree//\//\\}"

# Runs a program under Wine on a freshly hidden tree and prints its wall time and the
# processor time it cost, both in milliseconds: its own and the wineserver's, which does
# much of the work of every file call (its run time from /proc, to the nanosecond).
timed() {
    "$floor" hide "$tree"
    sync
    python3 - "$server" "$@" <<'PY'
import resource, subprocess, sys, time
def served():
    with open(f"/proc/{sys.argv[1]}/schedstat") as f:
        return int(f.read().split()[0])
before_children = resource.getrusage(resource.RUSAGE_CHILDREN)
before_server = served()
start = time.perf_counter_ns()
subprocess.run(["wine"] + sys.argv[2:], stdout=subprocess.DEVNULL, check=False)
wall = time.perf_counter_ns() - start
after = resource.getrusage(resource.RUSAGE_CHILDREN)
own = (after.ru_utime + after.ru_stime) - (before_children.ru_utime + before_children.ru_stime)
print(f"{wall / 1e6:.1f} {own * 1e3 + (served() - before_server) / 1e6:.1f}")
PY
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run of each before measuring, so that neither pays for loading Wine's files.
timed "$cli" -q --recursive --on-error=continue "$tree_win" >/dev/null
timed "$floor_win32" "$tree_win" >/dev/null

rows=()  # per round: cli wall, cli processor, floor wall, floor processor
for ((round = 1; round <= rounds; round++)); do
    if ((round % 2)); then
        c="$(timed "$cli" -q --recursive --on-error=continue "$tree_win")"
        f="$(timed "$floor_win32" "$tree_win")"
    else
        f="$(timed "$floor_win32" "$tree_win")"
        c="$(timed "$cli" -q --recursive --on-error=continue "$tree_win")"
    fi
    rows+=("$c $f")
done
column() { printf '%s\n' "${rows[@]}" | awk -v n="$1" '{ print $n }' | median; }
ratio() { printf '%s\n' "${rows[@]}" | awk -v a="$1" -v b="$2" '{ printf "%.3f\n", $a / $b }' | median; }
echo "Wine, FindFirstFileExW and SetFileAttributesW floor, $rounds paired rounds:" \
    "vantrelle-cli.exe median $(column 1) ms, floor median $(column 3) ms," \
    "ratio (median of pairs) $(ratio 1 3); processor time (the program's and the" \
    "wineserver's) $(column 2) ms against $(column 4) ms, ratio $(ratio 2 4)"
