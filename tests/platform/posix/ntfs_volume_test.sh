#!/usr/bin/env bash
# Vantrelle over a real NTFS volume: an image made with mkntfs, mounted with ntfs-3g in
# the test's own temporary folder. The volume root is the target, so every path carries
# a doubled separator. Both modes through vantrelle-cli, then the library's own checks
# (NTFS_LIBRARY_CHECK) on a fresh volume.
# Usage: ntfs_volume_test.sh VANTRELLE_CLI NTFS_LIBRARY_CHECK [sanitized]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../support/volume_test_lib.sh"

cli="$(realpath "$1")"
library_check="$(realpath "$2")"
[[ "${3:-}" == "sanitized" ]] && skip "real-volume tests run in the plain build"
for tool in mkntfs ntfs-3g getfattr setfattr; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
((EUID == 0)) || skip "mounting with ntfs-3g needs root"
[[ -c /dev/fuse ]] || skip "FUSE is not available (/dev/fuse)"

make_workdir
image="$work/volume.img"
mnt="$work/mnt"
mkdir "$mnt"

# Unmounts the volume at $mnt, keeping whatever else the test mounted on the list.
unmount_volume() {
    umount "$mnt" || exit 1
    local kept=() mount
    for mount in "${mounts[@]}"; do
        [[ "$mount" == "$mnt" ]] || kept+=("$mount")
    done
    mounts=("${kept[@]}")
}

fresh_volume() {
    if mountpoint -q "$mnt"; then
        unmount_volume
    fi
    rm -f "$image"
    truncate -s 32M "$image"
    mkntfs -F -f -q "$image" >/dev/null 2>&1 || { echo "FAIL: mkntfs"; exit 1; }
    ntfs-3g "$image" "$mnt" || { echo "FAIL: mounting with ntfs-3g"; exit 1; }
    mounts+=("$mnt")
}

set_attr() {
    local value="$1"
    shift
    for entry; do setfattr -h -n system.ntfs_attrib_be -v "$value" "$entry"; done
}
# The DOS attributes Vantrelle resets (Read-only, Hidden, System, Archive), in hex.
dos_of() {
    local hex
    hex="$(getfattr -h -e hex -n system.ntfs_attrib_be "$1" 2>/dev/null |
        sed -n 's/^system.ntfs_attrib_be=0x//p')"
    [[ -n "$hex" ]] || { echo unreadable; return; }
    printf '0x%02x\n' $((16#$hex & 0x27))
}

populate() {
    mkdir -p "$mnt/one/two/three" "$mnt/system volume information" "$mnt/\$recycle.bin" \
        "$mnt/Recycler" "$mnt/target"
    for folder in "$mnt" "$mnt/one" "$mnt/one/two" "$mnt/one/two/three"; do
        echo "hidden in $folder" >"$folder/hidden.txt"
        echo "system in $folder" >"$folder/system.dat"
        echo "read-only in $folder" >"$folder/readonly.txt"
        set_attr 0x00000022 "$folder/hidden.txt"
        set_attr 0x00000026 "$folder/system.dat"
        set_attr 0x00000021 "$folder/readonly.txt"
    done
    echo old >"$mnt/RECYCLER.old"
    echo inside >"$mnt/one/RECYCLER"
    for reserved in "system volume information" "\$recycle.bin" Recycler; do
        echo secret >"$mnt/$reserved/inside.txt"
        set_attr 0x00000006 "$mnt/$reserved/inside.txt" "$mnt/$reserved"
    done
    echo target >"$mnt/target/file.txt"
    set_attr 0x00000002 "$mnt/target/file.txt"
    ln -s target "$mnt/link-to-folder"
    set_attr 0x00000006 "$mnt/one" "$mnt/one/two" "$mnt/one/two/three" "$mnt/target"
    set_attr 0x00000022 "$mnt/RECYCLER.old" "$mnt/one/RECYCLER"
    volume_root_before="$(dos_of "$mnt")"
}

# --- normal mode -----------------------------------------------------------------------
fresh_volume
populate
before="$(fingerprint "$mnt")"
out="$("$cli" -q --on-error=stop "$mnt/" 2>"$work/err")"
check "normal mode exit status" 0 $?
check "normal mode outcome" "$SUCCESS_TEXT" "$out"
check "normal mode prompts" "" "$(cat "$work/err")"
for entry in hidden.txt system.dat readonly.txt RECYCLER.old one target; do
    check "normal mode resets $entry" 0x00 "$(dos_of "$mnt/$entry")"
done
check "a link's own attributes are reset, keeping what makes it a link" 0x04 \
    "$(dos_of "$mnt/link-to-folder")"
check "the link is still a link" target "$(readlink "$mnt/link-to-folder")"
check "contents of a sub-folder stay hidden" 0x22 "$(dos_of "$mnt/one/hidden.txt")"
for reserved in "system volume information" "\$recycle.bin" Recycler; do
    check "normal mode skips $reserved" 0x06 "$(dos_of "$mnt/$reserved")"
done
check "the volume root keeps its attributes" "$volume_root_before" "$(dos_of "$mnt")"
check "names and contents unchanged (normal)" "$before" "$(fingerprint "$mnt")"

# --- recursive mode ----------------------------------------------------------------------
fresh_volume
populate
before="$(fingerprint "$mnt")"
out="$("$cli" -q --recursive --on-error=stop "$mnt/" 2>"$work/err")"
check "recursive exit status" 0 $?
check "recursive outcome" "$SUCCESS_TEXT" "$out"
check "recursive prompts" "" "$(cat "$work/err")"
for folder in "" /one /one/two /one/two/three; do
    for entry in hidden.txt system.dat readonly.txt; do
        check "recursive resets '$folder/$entry'" 0x00 "$(dos_of "$mnt$folder/$entry")"
    done
done
check "sub-folders are reset" "0x00 0x00 0x00" \
    "$(dos_of "$mnt/one") $(dos_of "$mnt/one/two") $(dos_of "$mnt/one/two/three")"
check "a file named like a reserved name is reset" 0x00 "$(dos_of "$mnt/one/RECYCLER")"
for reserved in "system volume information" "\$recycle.bin" Recycler; do
    check "a reserved folder itself is reset: $reserved" 0x00 "$(dos_of "$mnt/$reserved")"
    check "a reserved folder's contents are not: $reserved" 0x06 \
        "$(dos_of "$mnt/$reserved/inside.txt")"
done
check "the link is still a link (recursive)" target "$(readlink "$mnt/link-to-folder")"
check "the volume root keeps its attributes (recursive)" "$volume_root_before" "$(dos_of "$mnt")"
check "names and contents unchanged (recursive)" "$before" "$(fingerprint "$mnt")"

# --- ntfs-3g showing NTFS's own metadata files ($Boot, $Extend ...) -----------------------
# Windows never lists them: they are left alone, and a user's file named with a '$' is not.
mountpoint -q "$mnt" && umount "$mnt"
ntfs-3g -o show_sys_files "$image" "$mnt" && mounts+=("$mnt")
metadata=("\$Boot" "\$Volume" "\$AttrDef" "\$UpCase" "\$Extend" "\$Extend/\$Quota")
metadata_of() { for entry in "${metadata[@]}"; do echo "$entry $(dos_of "$mnt/$entry")"; done; }
check "show_sys_files lists the metadata" yes "$([[ -e "$mnt/\$Boot" ]] && echo yes)"
metadata_before="$(metadata_of)"
echo user >"$mnt/\$user.txt"
set_attr 0x00000022 "$mnt/\$user.txt"
out="$("$cli" -q --recursive --on-error=stop "$mnt/" 2>"$work/err")"
check "metadata: exit status" 0 $?
check "metadata: prompts" "" "$(cat "$work/err")"
check "metadata: left alone" "$metadata_before" "$(metadata_of)"
check "metadata: a user's file named with a '\$' is reset" 0x00 "$(dos_of "$mnt/\$user.txt")"

# --- an NTFS volume mounted inside a tree that keeps user.DOSATTRIB ---------------------
# The walk stays on the volume it was given: the mount point's own attributes are reset
# through what its volume offers, and the volume is not entered.
outer="$work/outer"
mkdir "$outer"
if mount -t tmpfs -o mode=755 vantrelle-outer "$outer"; then
    mounts+=("$outer")
    echo outer >"$outer/outer.txt"
    setfattr -n user.DOSATTRIB -v '"0x2"' "$outer/outer.txt"
    mkdir "$outer/stick"
    umount "$mnt"
    mounts=("$outer")
    fresh_mount_at() { ntfs-3g "$image" "$1" && mounts+=("$1"); }
    fresh_mount_at "$outer/stick" || echo "FAIL: mounting inside the outer tree"
    echo inner >"$outer/stick/inner.txt"
    set_attr 0x00000022 "$outer/stick/inner.txt"
    set_attr 0x00000012 "$outer/stick"
    out="$("$cli" -q --recursive --on-error=stop "$outer" 2>"$work/err")"
    check "nested volumes: exit status" 0 $?
    check "nested volumes: prompts" "" "$(cat "$work/err")"
    check "nested volumes: the outer entry" 0x0 \
        "$(getfattr -h --only-values -n user.DOSATTRIB "$outer/outer.txt" 2>/dev/null)"
    check "nested volumes: the mount point, through NTFS" 0x00 "$(dos_of "$outer/stick")"
    check "nested volumes: no Samba attribute on NTFS" "" \
        "$(getfattr -h --only-values -n user.DOSATTRIB "$outer/stick" 2>/dev/null)"
    check "nested volumes: the mounted volume is not entered" 0x22 \
        "$(dos_of "$outer/stick/inner.txt")"
    umount "$outer/stick"
    mounts=("$outer")
else
    echo "note: could not mount a tmpfs; nested volumes not tried"
fi

# --- volumes as another system may leave them ----------------------------------------
# The index lists two records under one name: a lookup reaches the first only, so the
# second is reported, never called reset. Made by renaming dupB to dupA in the image.
fresh_volume
echo a >"$mnt/dupA"
echo b >"$mnt/dupB"
set_attr 0x00000026 "$mnt/dupA" "$mnt/dupB"
unmount_volume
perl -0777 -pi -e 's/d\x00u\x00p\x00B\x00/d\x00u\x00p\x00A\x00/g' "$image"
ntfs-3g "$image" "$mnt" && mounts+=("$mnt")
check "crafted volume: the index lists dupA twice" "dupA dupA" "$(ls "$mnt" | xargs)"
for mode in "" --recursive; do
    out="$("$cli" -q $mode --on-error=continue "$mnt/" 2>"$work/err")"
    check "two entries under one name${mode:+ ($mode)}: exit status" 1 $?
    check "two entries under one name${mode:+ ($mode)}: outcome" "$ERRORS_TEXT" "$out"
    check_contains "two entries under one name${mode:+ ($mode)}: why" \
        "leads to another entry than the one the folder listed" "$(cat "$work/err")"
done

# An EFS-encrypted file, which ntfs-3g refuses to open, first in the folder: it fails
# alone, if at all; the volume is still known from the folder itself.
mark_encrypted() {  # IMAGE MFT-RECORD: sets FILE_ATTRIBUTE_ENCRYPTED in $STANDARD_INFORMATION
    perl -e '
        my ($image, $record) = @ARGV;
        open(my $f, "+<:raw", $image) or die "$image: $!";
        read($f, my $boot, 512);
        my $cluster = unpack("v", substr($boot, 0x0B, 2)) * unpack("C", substr($boot, 0x0D, 1));
        my $raw = unpack("c", substr($boot, 0x40, 1));
        my $size = $raw < 0 ? 2 ** -$raw : $raw * $cluster;
        my $at = unpack("Q<", substr($boot, 0x30, 8)) * $cluster + $record * $size;
        seek($f, $at, 0); read($f, my $head, $size);
        die "not a FILE record\n" unless substr($head, 0, 4) eq "FILE";
        my $attr = unpack("v", substr($head, 0x14, 2));
        die "no standard information first\n" unless unpack("V", substr($head, $attr, 4)) == 0x10;
        my $flags = $attr + unpack("v", substr($head, $attr + 0x14, 2)) + 0x20;
        seek($f, $at + $flags, 0);
        print $f pack("V", unpack("V", substr($head, $flags, 4)) | 0x4000);
        close($f) or die "$image: $!";' "$@"
}
for mode in "" --recursive; do
    fresh_volume
    echo secret >"$mnt/aaa-encrypted"
    echo plain >"$mnt/zzz-plain"
    set_attr 0x00000026 "$mnt/aaa-encrypted" "$mnt/zzz-plain"
    record="$(stat -c %i "$mnt/aaa-encrypted")"
    unmount_volume
    mark_encrypted "$image" "$record" || echo "FAIL: marking the file encrypted"
    ntfs-3g "$image" "$mnt" && mounts+=("$mnt")
    check "encrypted file: ntfs-3g refuses to open it" refused \
        "$(cat "$mnt/aaa-encrypted" >/dev/null 2>&1 || echo refused)"
    out="$("$cli" -q $mode --on-error=continue "$mnt/" 2>"$work/err")"
    check "encrypted file first${mode:+ ($mode)}: exit status" 0 $?
    check "encrypted file first${mode:+ ($mode)}: prompts" "" "$(cat "$work/err")"
    check "encrypted file first${mode:+ ($mode)}: reset" 0x00 "$(dos_of "$mnt/aaa-encrypted")"
    check "encrypted file first${mode:+ ($mode)}: the next one too" 0x00 \
        "$(dos_of "$mnt/zzz-plain")"
done

# --- the same through the library --------------------------------------------------------
fresh_volume
VANTRELLE_NTFS_MOUNT="$mnt" "$library_check" >"$work/library.log" 2>&1
status=$?
check "library checks on the volume" 0 "$status"
((status == 0)) || cat "$work/library.log"

finish
