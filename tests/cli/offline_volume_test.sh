#!/usr/bin/env bash
# vantrelle-cli on unmounted FAT12, FAT16, FAT32 and exFAT images: made by mkfs.vfat and
# mtools, by mkfs.exfat and exfat-fuse on a loop device, hidden by mattrib and by
# exfat_attributes.py (the attribute field and the set checksum only), repaired in both
# modes, judged by fsck.vfat -n / fsck.exfat -n, read back by mattrib and
# exfat_attributes.py, names and contents compared. Then the refusals: an image in use by
# a loop device or a mount, a claimed block device, a dirty volume; and the corruptions
# that fail one folder or one entry while the rest is repaired.
# Usage: offline_volume_test.sh VANTRELLE_CLI [sanitized]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../support/volume_test_lib.sh"

cli="$(realpath "$1")"
attributes="$here/../platform/files/offline/exfat_attributes.py"
[[ "${2:-}" == "sanitized" ]] && skip "real-volume tests run in the plain build"
for tool in mkfs.vfat fsck.vfat mcopy mattrib mmd mkfs.exfat fsck.exfat python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
export MTOOLS_SKIP_CHECK=1
make_workdir
echo payload >"$work/payload"
loops=()
cleanup_loops() {
    local loop
    for loop in "${loops[@]}"; do losetup -d "$loop" 2>/dev/null; done
    cleanup
}
trap cleanup_loops EXIT

# What mtools shows of every entry: attributes and names.
fat_attributes() { mattrib -i "$1" -/ :: | sed 's/  */ /g'; }
# Names and contents of every entry, extracted by mtools.
fat_fingerprint() {
    rm -rf "$work/out" && mkdir "$work/out" && mcopy -s -i "$1" "::*" "$work/out/" && fingerprint "$work/out"
}

make_fat() {
    local image="$1" bits="$2" size="$3"
    rm -f "$image"
    truncate -s "$size" "$image"
    mkfs.vfat -F "$bits" "$image" >/dev/null
    mmd -i "$image" ::/Docs ::/Docs/Inner "::/System Volume Information" ::/recycler
    mcopy -i "$image" "$work/payload" "::/A long file name.txt"
    mcopy -i "$image" "$work/payload" ::/Docs/Inner/deep.txt
    mcopy -i "$image" "$work/payload" "::/System Volume Information/inside.txt"
    mcopy -i "$image" "$work/payload" ::/recycler/binned.txt
    mattrib -i "$image" +h +s "::/A long file name.txt" ::/Docs ::/Docs/Inner \
        ::/Docs/Inner/deep.txt "::/System Volume Information" \
        "::/System Volume Information/inside.txt" ::/recycler ::/recycler/binned.txt
}

for kind in 12:4M 16:32M 32:64M; do
    bits="${kind%%:*}"
    image="$work/fat$bits.img"
    make_fat "$image" "$bits" "${kind#*:}"
    before="$(fat_fingerprint "$image")"

    out="$("$cli" -q --on-error=continue "$image" 2>"$work/err")"
    check "FAT$bits normal: exit status" 0 $?
    check "FAT$bits normal: outcome" "$SUCCESS_TEXT" "$out"
    check "FAT$bits normal: the root's entries, not below, nor the reserved ones" \
        " ::/
 ::/Docs
 SH ::/Docs/Inner
 A SH ::/Docs/Inner/deep.txt
 SH ::/System Volume Information
 A SH ::/System Volume Information/inside.txt
 SH ::/recycler
 A SH ::/recycler/binned.txt
 ::/A long file name.txt" "$(fat_attributes "$image")"

    out="$("$cli" -q --recursive --on-error=continue "$image" 2>"$work/err")"
    check "FAT$bits recursive: exit status" 0 $?
    check "FAT$bits recursive: everything but what the reserved folders hold" \
        " ::/
 ::/Docs
 ::/Docs/Inner
 ::/Docs/Inner/deep.txt
 ::/System Volume Information
 A SH ::/System Volume Information/inside.txt
 ::/recycler
 A SH ::/recycler/binned.txt
 ::/A long file name.txt" "$(fat_attributes "$image")"
    fsck="$(fsck.vfat -n "$image" 2>&1)"
    check "FAT$bits: fsck.vfat -n finds it clean: $fsck" 0 $?
    check "FAT$bits: fsck.vfat -n reports nothing" "" "$(grep -iE 'dirty|differ|invalid|bad' <<<"$fsck")"
    check "FAT$bits: names and contents unchanged" "$before" "$(fat_fingerprint "$image")"

    mattrib -i "$image" +h ::/Docs/Inner/deep.txt ::/Docs/Inner
    out="$("$cli" -q --on-error=continue "$image:/docs/inner" 2>"$work/err")"
    check "FAT$bits: a folder inside, named in another case" "0 ::/Docs/Inner/deep.txt" \
        "$? $(mattrib -i "$image" ::/Docs/Inner/deep.txt | sed 's/  */ /g;s/^ //')"
    check "FAT$bits: the folder named keeps its own attributes" " H ::/Docs/Inner" \
        "$(mattrib -i "$image" ::/Docs/Inner | sed 's/  */ /g')"
done

# --- exFAT ------------------------------------------------------------------------------
exfat_ready=""
if ((EUID == 0)) && [[ -c /dev/fuse ]] && command -v mount.exfat-fuse >/dev/null; then
    exfat_ready=yes
fi
exfat="$work/exfat.img"
mnt="$work/mnt"
mkdir "$mnt"
volume_dirty() { echo $(($(od -An -tu1 -j106 -N1 "$1") & 2)); }
exfat_mount() {  # IMAGE [OPTIONS]: mounts through a loop device of its own
    local loop
    loop="$(losetup -f --show "$1")" || return 1
    loops+=("$loop")
    mount.exfat-fuse ${2:+-o "$2"} "$loop" "$mnt" >/dev/null 2>&1 && mounts+=("$mnt")
}
exfat_unmount() {
    umount "$mnt" && mounts=()
    losetup -d "${loops[-1]}" && unset 'loops[-1]'
}
exfat_fingerprint() { exfat_mount "$1" ro && fingerprint "$mnt" && exfat_unmount; }
exfat_get() { python3 "$attributes" get "$exfat" "$1"; }

if [[ -n "$exfat_ready" ]]; then
    truncate -s 64M "$exfat"
    mkfs.exfat "$exfat" >/dev/null
    exfat_mount "$exfat"
    mkdir -p "$mnt/Docs/Inner" "$mnt/System Volume Information" "$mnt/\$RECYCLE.BIN"
    # Enough names to spread the folder's entry sets over several clusters.
    for i in $(seq 1 150); do echo "$i" >"$mnt/Docs/a name long enough for three name entries, number $i"; done
    echo deep >"$mnt/Docs/Inner/deep.txt"
    echo inside >"$mnt/System Volume Information/inside.txt"
    echo "فارسی" >"$mnt/فایل مخفی.txt"
    exfat_unmount
    for path in /Docs /Docs/Inner "/System Volume Information" "/\$RECYCLE.BIN"; do
        python3 "$attributes" set "$exfat" "$path" 0x36
    done
    for path in "/فایل مخفی.txt" /Docs/Inner/deep.txt "/System Volume Information/inside.txt" \
        "/Docs/a name long enough for three name entries, number 77"; do
        python3 "$attributes" set "$exfat" "$path" 0x27
    done
    fsck.exfat -n "$exfat" >/dev/null 2>&1
    check "exFAT: hidden by the helper, still clean" 0 $?
    before="$(exfat_fingerprint "$exfat")"

    out="$("$cli" -q --on-error=continue "$exfat" 2>"$work/err")"
    check "exFAT normal: exit status" 0 $?
    check "exFAT normal: the root's entries" "0x0 0x10 0x36 0x27" \
        "$(exfat_get "/فایل مخفی.txt") $(exfat_get /Docs) $(exfat_get "/System Volume Information") $(exfat_get /Docs/Inner/deep.txt)"

    out="$("$cli" -q --recursive --on-error=continue "$exfat" 2>"$work/err")"
    check "exFAT recursive: exit status" 0 $?
    check "exFAT recursive: everything but what the reserved folders hold" \
        "0x10 0x0 0x0 0x10 0x27 0x10" \
        "$(exfat_get /Docs/Inner) $(exfat_get /Docs/Inner/deep.txt) $(exfat_get "/Docs/a name long enough for three name entries, number 77") $(exfat_get "/System Volume Information") $(exfat_get "/System Volume Information/inside.txt") $(exfat_get "/\$RECYCLE.BIN")"
    fsck="$(fsck.exfat -n "$exfat" 2>&1)"
    check "exFAT: fsck.exfat -n finds it clean: $fsck" 0 $?
    check "exFAT: VolumeDirty stays clear" 0 "$(volume_dirty "$exfat")"
    check "exFAT: names and contents unchanged" "$before" "$(exfat_fingerprint "$exfat")"

    # Refused while in use; nothing written.
    python3 "$attributes" set "$exfat" /Docs/Inner/deep.txt 0x27
    sum="$(md5sum <"$exfat")"
    exfat_mount "$exfat"
    out="$("$cli" -q --on-error=continue "$exfat" 2>"$work/err")"
    check "exFAT mounted: exit status" 1 $?
    check_contains "exFAT mounted: the image is in use" "loop device ${loops[-1]} uses it" "$(cat "$work/err")"
    out="$("$cli" -q --on-error=continue "${loops[-1]}" 2>"$work/err")"
    check "exFAT mounted: the loop device, exit status" 1 $?
    check_contains "exFAT mounted: the loop device is in use" "in use" "$(cat "$work/err")"
    exfat_unmount
    check "exFAT mounted: nothing written" "$sum" "$(md5sum <"$exfat")"

    # Dirty: refused, with the checker to run.
    printf '\x02' | dd of="$exfat" bs=1 seek=106 conv=notrunc status=none
    sum="$(md5sum <"$exfat")"
    out="$("$cli" -q --on-error=continue "$exfat" 2>"$work/err")"
    check "exFAT dirty: exit status" 1 $?
    check_contains "exFAT dirty: says so and names the checker" "marked dirty (VolumeDirty)" "$(cat "$work/err")"
    check_contains "exFAT dirty: names the checker" "fsck.exfat" "$(cat "$work/err")"
    check "exFAT dirty: nothing written" "$sum" "$(md5sum <"$exfat")"
    printf '\x00' | dd of="$exfat" bs=1 seek=106 conv=notrunc status=none

    # A set whose checksum no longer fits: that entry fails, the others are reset.
    python3 "$attributes" set "$exfat" "/Docs/a name long enough for three name entries, number 5" 0x26
    python3 "$attributes" set "$exfat" "/Docs/a name long enough for three name entries, number 9" 0x26
    offset="$(python3 - "$exfat" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
# The name's last File Name entry holds "mber 5" and then nothing.
print(data.find("mber 5".encode("utf-16-le") + b"\0\0"))
PY
)"
    printf 'X' | dd of="$exfat" bs=1 seek="$offset" conv=notrunc status=none
    out="$("$cli" -q --recursive --on-error=continue "$exfat" 2>"$work/err")"
    check "exFAT corrupt set: exit status" 1 $?
    check "exFAT corrupt set: one failure" 1 "$(grep -c ': Error [0-9]*: ' "$work/err")"
    check_contains "exFAT corrupt set: says why" "has a wrong checksum" "$(cat "$work/err")"
    check "exFAT corrupt set: the others are reset" "0x0 0x0" \
        "$(exfat_get "/Docs/a name long enough for three name entries, number 9") $(exfat_get /Docs/Inner/deep.txt)"
else
    echo "note: exFAT skipped: it needs root, /dev/fuse and exfat-fuse for making the image"
fi

# --- FAT refusals and corruption ---------------------------------------------------------
image="$work/fat16.img"
make_fat "$image" 16 32M
if ((EUID == 0)) && loop="$(losetup -f --show "$image" 2>/dev/null)"; then
    loops+=("$loop")
    out="$("$cli" -q --on-error=continue "$image" 2>"$work/err")"
    check "FAT attached to a loop device: exit status" 1 $?
    check_contains "FAT attached to a loop device: says so" "loop device $loop uses it" "$(cat "$work/err")"
    losetup -d "$loop" && unset 'loops[-1]'
fi
# FAT16's clean-shutdown bit in FAT[1] cleared.
fat1="$(($(od -An -tu2 -j14 -N2 "$image") * 512 + 2))"
printf '\xff\x7f' | dd of="$image" bs=1 seek="$fat1" conv=notrunc status=none
sum="$(md5sum <"$image")"
out="$("$cli" -q --on-error=continue "$image" 2>"$work/err")"
check "FAT16 dirty: exit status" 1 $?
check_contains "FAT16 dirty: says so and names the checker" "marked dirty" "$(cat "$work/err")"
check_contains "FAT16 dirty: names the checker" "fsck.vfat" "$(cat "$work/err")"
check "FAT16 dirty: nothing written" "$sum" "$(md5sum <"$image")"

image="$work/fat32.img"
make_fat "$image" 32 64M
printf '\x01' | dd of="$image" bs=1 seek=$((0x41)) conv=notrunc status=none
out="$("$cli" -q --on-error=continue "$image" 2>"$work/err")"
check "FAT32 boot sector dirty: exit status" 1 $?
check_contains "FAT32 boot sector dirty: says so" "marked dirty" "$(cat "$work/err")"
printf '\x00' | dd of="$image" bs=1 seek=$((0x41)) conv=notrunc status=none

# /Docs's cluster chain made to loop back on itself: that folder fails, the rest is reset.
# Its names fill more than its first cluster, so that the listing follows the chain.
for i in $(seq 1 20); do mcopy -i "$image" "$work/payload" "::/Docs/a long name to fill the folder $i"; done
docs="$(python3 - "$image" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(b"DOCS       ")
print(struct.unpack_from("<H", data, at + 20)[0] << 16 | struct.unpack_from("<H", data, at + 26)[0])
PY
)"
reserved="$(od -An -tu2 -j14 -N2 "$image")"
python3 - "$image" "$docs" "$reserved" <<'PY'
import struct, sys
image, cluster, reserved = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(image, "r+b") as disk:
    for fat in range(2):
        size = struct.unpack_from("<I", open(image, "rb").read(512), 36)[0]
        disk.seek((reserved + fat * size) * 512 + 4 * cluster)
        disk.write(struct.pack("<I", cluster))
PY
out="$("$cli" -q --recursive --on-error=continue "$image" 2>"$work/err")"
check "FAT32 looping folder: exit status" 1 $?
check_contains "FAT32 looping folder: says why" "cluster chain loops" "$(cat "$work/err")"
check "FAT32 looping folder: the other entries are reset" " ::/A long file name.txt" \
    "$(mattrib -i "$image" "::/A long file name.txt" | sed 's/  */ /g')"

finish
