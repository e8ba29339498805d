#!/usr/bin/env bash
# Times `vantrelle-cli --recursive --on-error=continue` against the floor program over
# 100,000 entries (1,000 folders of 100 files) on tmpfs, each hidden and system in
# user.DOSATTRIB; the two run in turn in each round, in alternating order, on a tree
# hidden afresh before every run. Prints each median and the median of the paired
# ratios; then --list against a repair of the same tree once clean, and the repair with
# its progress line on a terminal against one whose standard error is none; then the
# peak memory of normal mode on a flat folder of 1,000 and 100,000, and
# how far the recursive walk of a chain 2,000 folders deep raises the peak memory above
# the program's start (bench/deep_walk.cpp; also the Windows build under Wine when
# build-win/ holds it), and, when build-win/ holds vantrelle-cli.exe and Wine is installed,
# the Windows build against its own floor under Wine (bench/wine.sh).
# With --ntfs, the same comparison follows on an ntfs-3g volume of 10,000 entries (100
# folders of 100 files; FUSE makes a larger one slow to build). With --vfat, it follows
# on a FAT32 image of 10,000 entries through the kernel's vfat driver in User-mode Linux,
# both programs timed inside UML; with --ntfs3, on an NTFS image of 10,000 entries through
# the kernel's ntfs3 in the UML kernel that scripts/build-uml-kernel.sh builds (or takes
# from its cache).
# With --offline (after --vfat, or alone), the offline repair of an unmounted FAT32 and
# exFAT image of 10,000 entries (made by mtools and exfat-fuse, hidden by mattrib and
# exfat_attributes.py) is timed on the host, beside the mounted vfat repair in UML.
#   bench/run.sh [ROUNDS] [--ntfs|--vfat|--ntfs3] [--offline]
#                (default 7; needs root for the tmpfs, else /dev/shm)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rounds="${1:-7}"
volume="${2:-}"
offline=""
[[ " $* " == *" --offline "* ]] && offline=yes

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
# Milliseconds from the "XmY.YYYs" that the shell's `times` prints.
to_ms() { awk -v t="$1" 'BEGIN { split(t, p, "m"); sub("s", "", p[2]); printf "%d", (p[1] * 60 + p[2]) * 1000 }'; }
# Runs a command on a freshly hidden tree and prints its wall time and its CPU time
# (user and system, as the shell counts its children) in milliseconds.
floor_kind=()
# With keep_tree set, the tree is taken as it is.
timed() {
    local tree="$1"
    shift
    [[ -n "${keep_tree:-}" ]] || "$floor" "${floor_kind[@]}" hide "$tree"
    sync
    (
        start="$(now)"
        "$@" >/dev/null
        end="$(now)"
        times >"$work/times"  # a builtin: no child of its own to count
        read -r user system < <(tail -1 "$work/times")
        echo "$(((end - start) / 1000000)) $(($(to_ms "$user") + $(to_ms "$system")))"
    )
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints the medians of wall and CPU time of both programs and of their paired ratios,
# from rows "CLI-WALL CLI-CPU FLOOR-WALL FLOOR-CPU"; `first` and `second` name the two
# (vantrelle-cli and the floor unless set).
summarize() {
    local title="$1" column
    shift
    column() { printf '%s\n' "${@:2}" | awk -v c="$1" '{ print $c }' | median; }
    ratio() { printf '%s\n' "${@:3}" | awk -v a="$1" -v b="$2" '{ printf "%.3f\n", $a / ($b > 0 ? $b : 1) }' | median; }
    echo "$title: ${first:-vantrelle-cli} median $(column 1 "$@") ms wall, $(column 2 "$@") ms CPU;" \
        "${second:-floor} median $(column 3 "$@") ms wall, $(column 4 "$@") ms CPU;" \
        "ratio (median of pairs) $(ratio 1 3 "$@") wall, $(ratio 2 4 "$@") CPU"
}

tree="$work/tree"
mkdir "$tree"
"$floor" populate "$tree" 1000 100
echo "tree: 1,000 folders of 100 files = $(find "$tree" -mindepth 1 | wc -l) entries, tmpfs, user.DOSATTRIB 0x6"

# Runs the commands A and B in turn, in alternating order, on the tree `tree` (hidden
# afresh before each run unless `keep_tree` is set), and summarizes them as `first` and
# `second`.
pair() {
    local title="$1" a="$2" b="$3" rows=() round c f
    for ((round = 1; round <= rounds; round++)); do
        if ((round % 2)); then
            c="$(timed "$tree" "$a")"
            f="$(timed "$tree" "$b")"
        else
            f="$(timed "$tree" "$b")"
            c="$(timed "$tree" "$a")"
        fi
        rows+=("$c $f")  # A's wall and CPU, B's wall and CPU
    done
    summarize "$title" "${rows[@]}"
}
repair_hidden() { "$cli" -q --recursive --on-error=continue "$tree"; }
floor_walk() { "$floor" "${floor_kind[@]}" "$floor_mode" "$tree"; }

compare() {
    local tree="$1" floor_mode
    for floor_mode in replace read-write; do
        pair "floor '$floor_mode', $rounds paired rounds" repair_hidden floor_walk
    done
}
compare "$tree"

list_clean() { "$cli" -q --list --recursive "$tree"; }
repair_clean() { "$cli" -q --recursive "$tree"; }
# Both under script, so that its own start counts alike; only one has standard error on
# script's terminal.
on_terminal() { script -qec "$(printf '%q ' "$cli" --recursive "$tree")" /dev/null </dev/null; }
off_terminal() {
    script -qec "$(printf '%q ' "$cli" --recursive "$tree") 2>/dev/null" /dev/null </dev/null
}

# --list walks as the repair does and reads what it would change: over a clean tree it
# does what the repair of that tree does.
repair_clean >/dev/null
keep_tree=yes first="--list" second="repair" \
    pair "--list against a repair, both of the clean tree, $rounds paired rounds" \
    list_clean repair_clean
first="progress" second="no terminal" \
    pair "progress line on a terminal against none, hidden tree, $rounds paired rounds" \
    on_terminal off_terminal

for entries in 1000 100000; do
    flat="$work/flat$entries"
    mkdir "$flat"
    "$floor" populate "$flat" 0 "$entries"
    peak="$( { /usr/bin/time -f '%M' "$cli" -q --on-error=continue "$flat" >/dev/null; } 2>&1 | tail -1)"
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

# KIND FSTYPE OPTIONS IMAGE TITLE: both programs timed inside UML on the image, mounted
# as FSTYPE with OPTIONS, populated by the floor; KIND is the floor's. Leaves the median
# of vantrelle-cli's last series in uml_cli_median.
uml_compare() {
    local kind="$1" fstype="$2" options="$3" image="$4" title="$5"
    local mnt="$work/uml-mnt" times="$work/uml-times"
    mkdir -p "$mnt"
    # Inside UML: each round times both programs, in alternating order, on a tree hidden
    # afresh; one line per round and floor form: FORM CLI-MS FLOOR-MS.
    cat >"$work/uml-init.sh" <<EOF
#!/bin/bash
source "\${0%/*}/uml-prelude.sh"
mount -t $fstype -o $options /dev/ubda "$mnt"
"$floor" $kind populate "$mnt" 100 100
timed() {
    "$floor" $kind hide "$mnt"
    sync
    local start=\$(date +%s%N)
    "\$@" >/dev/null
    echo \$(( (\$(date +%s%N) - start) / 1000000 ))
}
for form in replace read-write; do
    for ((round = 1; round <= $rounds; round++)); do
        if ((round % 2)); then
            c=\$(timed "$cli" -q --recursive --on-error=continue "$mnt")
            f=\$(timed "$floor" $kind \$form "$mnt")
        else
            f=\$(timed "$floor" $kind \$form "$mnt")
            c=\$(timed "$cli" -q --recursive --on-error=continue "$mnt")
        fi
        echo "\$form \$c \$f" >>"$times"
    done
done
umount "$mnt"
halt -f
EOF
    UML_LOG="$work/uml.log" uml_run "$work/uml-init.sh" "$image"
    echo "tree: 100 folders of 100 files = 10,100 entries, $title, Hidden and System"
    for form in replace read-write; do
        rows="$(awk -v form="$form" '$1 == form' "$times" 2>/dev/null)"
        if [[ -z "$rows" ]]; then
            echo "$fstype: no timings came back from UML"
            tail -5 "$work/uml.log"
            exit 1
        fi
        cli_median="$(awk '{ print $2 }' <<<"$rows" | median)"
        floor_median="$(awk '{ print $3 }' <<<"$rows" | median)"
        ratio_median="$(awk '{ printf "%.3f\n", $2 / ($3 > 0 ? $3 : 1) }' <<<"$rows" | median)"
        echo "floor '$form', $rounds paired rounds: vantrelle-cli median ${cli_median} ms," \
            "floor median ${floor_median} ms, ratio (median of pairs) ${ratio_median}"
        uml_cli_median="$cli_median"
    done
}

if [[ "$volume" == "--vfat" ]]; then
    source "$root/tests/support/uml_boot.sh"
    reason="$(uml_missing)"
    if [[ -n "$reason" ]]; then
        echo "vfat: skipped: $reason"
        exit 0
    fi
    truncate -s 256M "$work/vfat.img"
    mkfs.vfat -F 32 -n BENCH "$work/vfat.img" >/dev/null
    uml_compare --fat vfat shortname=mixed,utf8 "$work/vfat.img" "vfat in User-mode Linux"
    vfat_cli_median="$uml_cli_median"
fi

if [[ "$volume" == "--ntfs3" ]]; then
    source "$root/tests/support/uml_boot.sh"
    UML_KERNEL="$("$root/scripts/build-uml-kernel.sh" | tail -1)"
    export UML_KERNEL
    truncate -s 256M "$work/ntfs3.img"
    mkntfs -F -f -q "$work/ntfs3.img" >/dev/null 2>&1
    uml_compare --ntfs3 ntfs3 rw "$work/ntfs3.img" "ntfs3 in User-mode Linux (Linux 6.1)"
fi

if [[ -n "$offline" ]]; then
    export MTOOLS_SKIP_CHECK=1
    attributes="$root/tests/platform/files/offline/exfat_attributes.py"
    source_tree="$work/offline-tree"
    mkdir "$source_tree"
    "$floor" populate "$source_tree" 100 100 >/dev/null
    fat_image="$work/offline-fat32.img"
    truncate -s 256M "$fat_image"
    mkfs.vfat -F 32 -n BENCH "$fat_image" >/dev/null
    mcopy -s -i "$fat_image" "$source_tree"/* ::/
    exfat_image="$work/offline-exfat.img"
    truncate -s 256M "$exfat_image"
    mkfs.exfat "$exfat_image" >/dev/null
    loop="$(losetup -f --show "$exfat_image")"
    mkdir "$work/exfat"
    mount.exfat-fuse "$loop" "$work/exfat"
    cp -r "$source_tree"/* "$work/exfat/"
    umount "$work/exfat"
    losetup -d "$loop"
    offline_round() {  # HIDE-COMMAND... : hides, then prints the repair's wall time in ms
        "$@" >/dev/null
        sync
        local start end
        start="$(now)"
        "$cli" -q --recursive --on-error=continue "$image" >/dev/null
        end="$(now)"
        echo $(((end - start) / 1000000))
    }
    echo "tree: 100 folders of 100 files = 10,100 entries, unmounted images, Hidden and System"
    for format in FAT32 exFAT; do
        samples=()
        for ((round = 1; round <= rounds; round++)); do
            if [[ "$format" == FAT32 ]]; then
                image="$fat_image"
                samples+=("$(offline_round mattrib -i "$fat_image" +h +s -/ "::/*")")
            else
                image="$exfat_image"
                samples+=("$(offline_round python3 "$attributes" hide-all "$exfat_image")")
            fi
        done
        offline_median="$(printf '%s\n' "${samples[@]}" | median)"
        line="offline $format, $rounds rounds: vantrelle-cli median ${offline_median} ms"
        if [[ -n "${vfat_cli_median:-}" ]]; then
            line+=", mounted vfat in UML ${vfat_cli_median} ms, ratio $(awk -v a="$offline_median" -v b="$vfat_cli_median" 'BEGIN { printf "%.3f", a / (b > 0 ? b : 1) }')"
        fi
        echo "$line"
    done
fi
