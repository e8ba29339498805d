#!/usr/bin/env bash
# Times `vantrelle-cli --recursive --on-error=continue` against the floor program over
# 100,000 entries (1,000 folders of 100 files) on tmpfs, each hidden and system in
# user.DOSATTRIB; the two run in turn in each round, in alternating order, on a tree
# hidden afresh before every run. Prints each median and the median of the paired
# ratios, then the peak memory of normal mode on a flat folder of 1,000 and 100,000, and
# how far the recursive walk of a chain 2,000 folders deep raises the peak memory above
# the program's start (bench/deep_walk.cpp; also the Windows build under Wine when
# build-win/ holds it), and, when build-win/ holds vantrelle-cli.exe and Wine is installed,
# the Windows build against its own floor under Wine (bench/wine.sh).
# With --ntfs, the same comparison follows on an ntfs-3g volume of 10,000 entries (100
# folders of 100 files; FUSE makes a larger one slow to build). With --vfat, it follows
# on a FAT32 image of 10,000 entries through the kernel's vfat driver in User-mode Linux,
# both programs timed inside UML.
#   bench/run.sh [ROUNDS] [--ntfs|--vfat]   (default 7; needs root for the tmpfs, else /dev/shm)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rounds="${1:-7}"
volume="${2:-}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target vantrelle_cli deep_walk >/dev/null
cli="$root/build/vantrelle-cli"
floor="$root/build/bench/floor"
mkdir -p "$root/build/bench"
g++ -std=c++20 -O2 -Wall -Wextra -o "$floor" "$root/bench/floor.cpp"

work="$(mktemp -d /tmp/vantrelle-bench.XXXXXX)"
mounted=""
ntfs_mount=""
cleanup() {
    [[ -n "$ntfs_mount" ]] && umount "$ntfs_mount"
    [[ -n "$mounted" ]] && umount "$mounted"
    rm -rf "$work"
}
trap cleanup EXIT
if ((EUID == 0)) && mount -t tmpfs -o size=2g vantrelle-bench "$work"; then
    mounted="$work"
else
    rm -rf "$work"
    work="$(mktemp -d /dev/shm/vantrelle-bench.XXXXXX)"
fi

now() { date +%s%N; }
# Runs a command on a freshly hidden tree and prints its wall time in milliseconds.
floor_kind=()
timed() {
    local tree="$1"
    shift
    "$floor" "${floor_kind[@]}" hide "$tree"
    sync
    local start end
    start="$(now)"
    "$@" >/dev/null
    end="$(now)"
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

tree="$work/tree"
mkdir "$tree"
"$floor" populate "$tree" 1000 100
echo "tree: 1,000 folders of 100 files = $(find "$tree" -mindepth 1 | wc -l) entries, tmpfs, user.DOSATTRIB 0x6"

compare() {
local tree="$1" floor_mode
for floor_mode in replace read-write; do
    cli_times=()
    floor_times=()
    ratios=()
    for ((round = 1; round <= rounds; round++)); do
        if ((round % 2)); then
            c="$(timed "$tree" "$cli" --recursive --on-error=continue "$tree")"
            f="$(timed "$tree" "$floor" "${floor_kind[@]}" "$floor_mode" "$tree")"
        else
            f="$(timed "$tree" "$floor" "${floor_kind[@]}" "$floor_mode" "$tree")"
            c="$(timed "$tree" "$cli" --recursive --on-error=continue "$tree")"
        fi
        cli_times+=("$c")
        floor_times+=("$f")
        ratios+=("$(awk -v c="$c" -v f="$f" 'BEGIN { printf "%.3f", c / f }')")
    done
    cli_median="$(printf '%s\n' "${cli_times[@]}" | median)"
    floor_median="$(printf '%s\n' "${floor_times[@]}" | median)"
    ratio_median="$(printf '%s\n' "${ratios[@]}" | median)"
    echo "floor '$floor_mode', $rounds paired rounds: vantrelle-cli median ${cli_median} ms," \
        "floor median ${floor_median} ms, ratio (median of pairs) ${ratio_median}"
done
}
compare "$tree"

for entries in 1000 100000; do
    flat="$work/flat$entries"
    mkdir "$flat"
    "$floor" populate "$flat" 0 "$entries"
    peak="$( { /usr/bin/time -f '%M' "$cli" --on-error=continue "$flat" >/dev/null; } 2>&1 | tail -1)"
    echo "normal mode, flat folder of $entries entries: peak memory ${peak} KiB"
    rm -rf "$flat"
done

"$root/build/bench/deep_walk" || true
if [[ -x "$root/build-win/bench/deep_walk.exe" ]] && command -v wine >/dev/null; then
    echo -n "Windows build under Wine: "
    WINEPREFIX="$work/wine" WINEDEBUG=-all wine "$root/build-win/bench/deep_walk.exe" | tr -d '\r' || true
fi
if [[ -f "$root/build-win/vantrelle-cli.exe" ]] && command -v wine >/dev/null; then
    "$root/bench/wine.sh" "$rounds" "$root/build-win" || true
fi

if [[ "$volume" == "--ntfs" ]]; then
    truncate -s 256M "$work/ntfs.img"
    mkntfs -F -f -q "$work/ntfs.img" >/dev/null 2>&1
    mkdir "$work/ntfs"
    ntfs-3g "$work/ntfs.img" "$work/ntfs"
    ntfs_mount="$work/ntfs"
    floor_kind=(--ntfs)
    "$floor" --ntfs populate "$ntfs_mount" 100 100
    echo "tree: 100 folders of 100 files = 10,100 entries, ntfs-3g, Hidden and System"
    compare "$ntfs_mount"
fi

if [[ "$volume" == "--vfat" ]]; then
    source "$root/tests/support/uml_boot.sh"
    reason="$(uml_missing)"
    if [[ -n "$reason" ]]; then
        echo "vfat: skipped: $reason"
        exit 0
    fi
    image="$work/vfat.img"
    truncate -s 256M "$image"
    mkfs.vfat -F 32 -n BENCH "$image" >/dev/null
    mkdir "$work/vfat"
    times="$work/vfat-times"
    # Inside UML: each round times both programs, in alternating order, on a tree hidden
    # afresh; one line per round and floor form: FORM CLI-MS FLOOR-MS.
    cat >"$work/vfat-init.sh" <<EOF
#!/bin/bash
source "\${0%/*}/uml-prelude.sh"
mount -t vfat -o shortname=mixed,utf8 /dev/ubda "$work/vfat"
"$floor" --fat populate "$work/vfat" 100 100
timed() {
    "$floor" --fat hide "$work/vfat"
    sync
    local start=\$(date +%s%N)
    "\$@" >/dev/null
    echo \$(( (\$(date +%s%N) - start) / 1000000 ))
}
for form in replace read-write; do
    for ((round = 1; round <= $rounds; round++)); do
        if ((round % 2)); then
            c=\$(timed "$cli" --recursive --on-error=continue "$work/vfat")
            f=\$(timed "$floor" --fat \$form "$work/vfat")
        else
            f=\$(timed "$floor" --fat \$form "$work/vfat")
            c=\$(timed "$cli" --recursive --on-error=continue "$work/vfat")
        fi
        echo "\$form \$c \$f" >>"$times"
    done
done
umount "$work/vfat"
halt -f
EOF
    UML_LOG="$work/uml.log" uml_run "$work/vfat-init.sh" "$image"
    echo "tree: 100 folders of 100 files = 10,100 entries, vfat in User-mode Linux, Hidden and System"
    for form in replace read-write; do
        rows="$(awk -v form="$form" '$1 == form' "$times" 2>/dev/null)"
        if [[ -z "$rows" ]]; then
            echo "vfat: no timings came back from UML"
            tail -5 "$work/uml.log"
            exit 1
        fi
        cli_median="$(awk '{ print $2 }' <<<"$rows" | median)"
        floor_median="$(awk '{ print $3 }' <<<"$rows" | median)"
        ratio_median="$(awk '{ printf "%.3f\n", $2 / ($3 > 0 ? $3 : 1) }' <<<"$rows" | median)"
        echo "floor '$form', $rounds paired rounds: vantrelle-cli median ${cli_median} ms," \
            "floor median ${floor_median} ms, ratio (median of pairs) ${ratio_median}"
    done
fi
