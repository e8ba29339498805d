#!/usr/bin/env bash
# Makes the fuzzer's seeds from real images: FAT12, FAT16 and FAT32 by mkfs.vfat and
# mtools, exFAT by mkfs.exfat and exfat-fuse on a loop device (root), each with hidden
# files, a long name, a folder two levels deep and a reserved folder.
#   make_seeds.sh OUTDIR
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$1"
work="$(mktemp -d)"
trap 'umount "$work/mnt" 2>/dev/null || true; [[ -n "${loop:-}" ]] && losetup -d "$loop"; rm -rf "$work"' EXIT
export MTOOLS_SKIP_CHECK=1
echo payload >"$work/payload"
for kind in 12:200K 16:9M 32:34M; do
    image="$work/fat${kind%%:*}.img"
    truncate -s "${kind#*:}" "$image"
    mkfs.vfat -F "${kind%%:*}" -s 1 "$image" >/dev/null
    mmd -i "$image" ::/Docs ::/Docs/Inner "::/System Volume Information"
    mcopy -i "$image" "$work/payload" "::/A long file name.txt"
    mcopy -i "$image" "$work/payload" ::/SHORT.TXT
    mcopy -i "$image" "$work/payload" ::/Docs/Inner/deep.txt
    mattrib -i "$image" +h +s "::/A long file name.txt" ::/Docs ::/Docs/Inner/deep.txt
    mattrib -i "$image" +r ::/SHORT.TXT
    python3 "$here/image_to_seed.py" "$image" "$out/fat${kind%%:*}"
done
image="$work/exfat.img"
truncate -s 1M "$image"
mkfs.exfat -b 4K -c 512 "$image" >/dev/null
loop="$(losetup -f --show "$image")"
mkdir "$work/mnt"
mount.exfat-fuse "$loop" "$work/mnt"
mkdir -p "$work/mnt/Docs/Inner" "$work/mnt/System Volume Information"
for i in $(seq 1 20); do echo "$i" >"$work/mnt/Docs/a file with a name long enough for two name entries $i"; done
echo deep >"$work/mnt/Docs/Inner/deep.txt"
umount "$work/mnt"
losetup -d "$loop"
loop=""
python3 "$here/../exfat_attributes.py" set "$image" /Docs 0x36
for path in /Docs/Inner/deep.txt "/Docs/a file with a name long enough for two name entries 7"; do
    python3 "$here/../exfat_attributes.py" set "$image" "$path" 0x26
done
python3 "$here/image_to_seed.py" "$image" "$out/exfat"
