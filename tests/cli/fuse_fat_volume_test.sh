#!/usr/bin/env bash
# vantrelle-cli on FAT and exFAT volumes mounted through FUSE (fusefat, exfat-fuse), whose
# drivers keep the volumes' DOS attributes but offer no way to change them: every entry
# is reported, nothing passed as success, and mtools reads the FAT image back unchanged.
# Usage: fuse_fat_volume_test.sh VANTRELLE_CLI [sanitized]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../support/volume_test_lib.sh"

cli="$(realpath "$1")"
[[ "${2:-}" == "sanitized" ]] && skip "real-volume tests run in the plain build"
for tool in fusefat mkfs.vfat mcopy mattrib; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
((EUID == 0)) || skip "mounting through FUSE needs root here"
[[ -c /dev/fuse ]] || skip "FUSE is not available (/dev/fuse)"

export MTOOLS_SKIP_CHECK=1
make_workdir
mnt="$work/mnt"
mkdir "$mnt"

# --- fusefat ----------------------------------------------------------------------------
image="$work/fat.img"
truncate -s 32M "$image"
mkfs.vfat "$image" >/dev/null
echo one >"$work/payload"
for name in hidden.txt system.dat; do
    mcopy -i "$image" "$work/payload" "::/$name"
    mattrib -i "$image" +h +s "::/$name"
done
before="$(mattrib -i "$image" -/ ::)"
fusefat -o rw+ "$image" "$mnt" >/dev/null 2>&1 || skip "fusefat could not mount the image"
mounts+=("$mnt")
out="$("$cli" -q --on-error=continue "$mnt" 2>"$work/err")"
check "fusefat: exit status" 1 $?
check "fusefat: outcome" "$ERRORS_TEXT" "$out"
# The volume's failure, not the entry's: said once with what to do, and the repair stops.
check "fusefat: said once" 1 "$(grep -c ': Error ' "$work/err")"
check_contains "fusefat: what to do" "vantrelle-cli: the driver this volume is mounted with" \
    "$(cat "$work/err")"
check_contains "fusefat: the prompt says why" "FUSE driver of a FAT, exFAT or NTFS volume" \
    "$(cat "$work/err")"
umount "$mnt" && mounts=()
check "fusefat: the entries stay as they were" "$before" "$(mattrib -i "$image" -/ ::)"

# --- exfat-fuse, which wants a block device ----------------------------------------------
if command -v mount.exfat-fuse >/dev/null && command -v mkfs.exfat >/dev/null &&
    loop="$(losetup -f --show "$image" 2>/dev/null)"; then
    mkfs.exfat "$loop" >/dev/null
    if mount.exfat-fuse "$loop" "$mnt" >/dev/null 2>&1; then
        mounts+=("$mnt")
        echo two >"$mnt/entry.txt"
        out="$("$cli" -q --on-error=continue "$mnt" 2>"$work/err")"
        check "exfat-fuse: exit status" 1 $?
        check "exfat-fuse: said once" 1 "$(grep -c ': Error ' "$work/err")"
        check_contains "exfat-fuse: the prompt names the driver" "(fuseblk)" "$(cat "$work/err")"
        umount "$mnt" && mounts=()
    else
        echo "note: exfat-fuse could not mount; only fusefat tried"
    fi
    losetup -d "$loop"
else
    echo "note: no exfat-fuse or no loop device; only fusefat tried"
fi

finish
