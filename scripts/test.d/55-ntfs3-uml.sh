#!/usr/bin/env bash
# vantrelle-cli through the kernel's own ntfs3, exfat, udf, isofs and squashfs drivers, in
# a User-mode Linux kernel built from Debian's linux-source-6.1 (scripts/build-uml-kernel.sh;
# Debian's binary kernels have no ntfs3). NTFS images are made and hidden with ntfs-3g on
# the host, repaired through ntfs3 inside UML by build/vantrelle-cli (UML's root is the
# host's /), then read back with ntfs-3g and checked with ntfsfix -n: two drivers must
# agree. One boot runs every case, each on an image of its own.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"
source "$root/tests/support/uml_boot.sh"
cli="$root/build/vantrelle-cli"

skip() {
    echo "uml: skipped: $*"
    echo "uml: 0 passed, 0 failed"
    exit 0
}
finish() {
    echo "uml: $((checks - failures)) passed, $failures failed"
    ((failures == 0))
}

[[ -x "$cli" ]] || skip "build/vantrelle-cli is not built"
for tool in mkntfs ntfs-3g ntfsfix getfattr setfattr mkfs.exfat fsck.exfat mkudffs xorriso \
    mksquashfs; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -c /dev/fuse && $EUID -eq 0 ]] || skip "ntfs-3g needs root and /dev/fuse here"

export LC_ALL=C.UTF-8
make_workdir
start=$SECONDS
if ! UML_KERNEL="$(bash "$root/scripts/build-uml-kernel.sh" 2>"$work/kernel.log" | tail -1)"; then
    tail -20 "$work/kernel.log"
    check "the UML kernel with ntfs3 was built" yes no
    finish
    exit 1
fi
grep '^uml-kernel:' "$work/kernel.log"
echo "uml: the kernel took $((SECONDS - start)) s"
export UML_KERNEL
reason="$(uml_missing)"
[[ -z "$reason" ]] || skip "$reason"

results="$work/results"
mkdir "$results"
images=()
plan="$work/plan.sh"
: >"$plan"
ntfs_mnt="$work/ntfs"
mkdir "$ntfs_mnt"

readonly FARSI_FILE="فایل پنهان.txt"
readonly LONG_NAME="A long file name that goes on well past what a short name holds.txt"

# --- NTFS images, made, hidden and read on the host through ntfs-3g ------------------------
# ENTRY VALUE: what each entry of the tree is hidden with (32 bits, as ntfs-3g takes them).
tree=(
    "hidden.txt 0x00000006" "readonly.txt 0x00000001" "archive.txt 0x00000020"
    "one 0x00000002" "one/deep.txt 0x00000006" "one/two 0x00000006" "one/two/three.txt 0x00000007"
    "RECYCLER 0x00000006" "RECYCLER/kept.txt 0x00000006"
    "$FARSI_FILE 0x00000002" "$LONG_NAME 0x00000006" "empty.dat 0x00000006"
)
ntfs_mount() { ntfs-3g "$@" "$ntfs_mnt" && mounts+=("$ntfs_mnt"); }
ntfs_umount() { umount "$ntfs_mnt" && mounts=(); }
new_ntfs() {  # NAME: makes $work/NAME.img
    local image="$work/$1.img" line entry
    truncate -s 32M "$image"
    mkntfs -F -f -q "$image" >/dev/null 2>&1
    check "$1: mkntfs made the image" 0 $?
    ntfs_mount "$image"
    for line in "${tree[@]}"; do
        entry="${line% *}"
        case "$entry" in
            one | one/two | RECYCLER) mkdir "$ntfs_mnt/$entry" ;;
            empty.dat) : >"$ntfs_mnt/$entry" ;;
            *) printf 'contents of %s\n' "$entry" >"$ntfs_mnt/$entry" ;;
        esac
    done
    # ntfs-3g keeps these Interix-style, as plain files marked System (and Archive): ntfs3
    # shows them as such, and the reset must keep System, or they turn into plain files.
    ln -s hidden.txt "$ntfs_mnt/link"
    mkfifo "$ntfs_mnt/fifo"
    for line in "${tree[@]}"; do
        setfattr -h -n system.ntfs_attrib_be -v "${line##* }" "$ntfs_mnt/${line% *}"
    done
    fingerprint "$ntfs_mnt" >"$work/$1.before"
    ntfs_umount
}
# The DOS bits of an entry as ntfs-3g reads them.
dos_of() {
    local hex
    hex="$(getfattr -h -e hex -n system.ntfs_attrib_be "$ntfs_mnt/$1" 2>/dev/null |
        sed -n 's/^system.ntfs_attrib_be=0x//p')"
    [[ -n "$hex" ]] || { echo unreadable; return; }
    printf '0x%02x\n' $((16#$hex & 0x27))
}
hidden_with() {  # ENTRY: the value the tree hid it with, as dos_of shows it
    local line
    for line in "${tree[@]}"; do
        [[ "${line% *}" == "$1" ]] && printf '0x%02x\n' $((${line##* } & 0x27))
    done
}

# --- the plan run inside UML ---------------------------------------------------------------
letters=(a b c d e f g h i j k l m n o p)
next_device() { echo "/dev/ubd${letters[${#images[@]}]}"; }
# NAME FSTYPE OPTIONS IMAGE PREPARE CLI-ARGUMENTS...: mounts the image at $work/mnt-NAME,
# runs the shell text PREPARE there, then the command line, then the shell text $after;
# the output of each, and the command line's failures and exit status, land in $results.
case_on() {
    local name="$1" fstype="$2" options="$3" image="$4" prepare="$5"
    shift 5
    local device mnt="$work/mnt-$name"
    device="$(next_device)"
    images+=("$image")
    mkdir -p "$mnt"
    cat >>"$plan" <<EOF
mount -t $fstype -o '$options' $device '$mnt' 2>'$results/$name.mount'
(cd '$mnt' && $prepare) >'$results/$name.prepared' 2>&1
$(printf '%q ' "$cli" -q "$@" "$mnt") </dev/null >'$results/$name.out' 2>'$results/$name.err'
echo \$? >'$results/$name.status'
(cd '$mnt' && ${after:-:}) >'$results/$name.after' 2>&1
umount '$mnt'
EOF
}
for name in normal recursive defaults readonly stray-ea; do
    new_ntfs "$name"
done
# Desktops mount ntfs3 with iocharset=utf8; the kernel's default character set shows a
# Farsi name as underscores, by which no lookup finds it.
desktop=iocharset=utf8
case_on normal ntfs3 "$desktop" "$work/normal.img" : --on-error=continue
case_on recursive ntfs3 "$desktop" "$work/recursive.img" : --recursive --on-error=continue
case_on defaults ntfs3 rw "$work/defaults.img" : --recursive --on-error=continue
case_on readonly ntfs3 "ro,$desktop" "$work/readonly.img" : --recursive --on-error=continue

# A stick on which a tool that tried system.ntfs_attrib_be first "reset" every entry:
# through ntfs3 6.1 that wrote an extended attribute of that name (Normal, 0x80), and the
# entries stayed hidden. The attribute must not be taken for the attributes, nor touched.
stray_ea='for e in . ./*; do setfattr -h -n system.ntfs_attrib_be -v 0x00000080 "$e"; done
          setfattr -h -n system.ntfs_attrib_be -v 0x00000006 one/deep.txt
          getfattr -h -e hex -n system.ntfs_attrib_be . ./* one/deep.txt'
after='getfattr -h -e hex -n system.ntfs_attrib_be . ./* one/deep.txt' \
    case_on stray-ea ntfs3 "$desktop" "$work/stray-ea.img" "$stray_ea" --recursive --on-error=continue

# exFAT: 6.1's exfat has no attribute call; its entries must be reported, never passed.
truncate -s 32M "$work/exfat.img"
mkfs.exfat "$work/exfat.img" >/dev/null
make_small_tree='mkdir one && echo a >a.txt && echo b >one/b.txt'
case_on exfat-normal exfat rw "$work/exfat.img" "$make_small_tree" --on-error=continue
cp "$work/exfat.img" "$work/exfat-recursive.img"
case_on exfat-recursive exfat rw "$work/exfat-recursive.img" "$make_small_tree" \
    --recursive --on-error=continue

# Formats whose attributes cannot be changed. UDF is written inside UML: the host's kernel
# may have no udf.
truncate -s 16M "$work/udf.img"
mkudffs --media-type=hd --blocksize=512 "$work/udf.img" >/dev/null 2>&1
check "udf: mkudffs made the image" 0 $?
case_on udf udf rw "$work/udf.img" "$make_small_tree" --on-error=continue
mkdir -p "$work/tree/one"
echo a >"$work/tree/a.txt"
echo b >"$work/tree/one/b.txt"
xorriso -as mkisofs -quiet -R -J -o "$work/iso9660.img" "$work/tree" 2>/dev/null
check "iso9660: xorriso made the image" 0 $?
case_on iso9660 iso9660 ro "$work/iso9660.img" : --on-error=continue
mksquashfs "$work/tree" "$work/squashfs.img" -quiet -noappend >/dev/null
check "squashfs: mksquashfs made the image" 0 $?
case_on squashfs squashfs ro "$work/squashfs.img" : --on-error=continue

init="$work/init.sh"
{
    echo "#!/bin/bash"
    echo "source \"\${0%/*}/uml-prelude.sh\""
    cat "$plan"
    echo "halt -f"
} >"$init"
start=$SECONDS
UML_LOG="$work/uml.log" uml_run "$init" "${images[@]}"
echo "uml: ran ${#images[@]} cases in $((SECONDS - start)) s"
if [[ ! -e "$results/squashfs.status" ]]; then
    tail -20 "$work/uml.log"
    check "UML booted and ran the cases" yes no
    finish
    exit 1
fi

for mount_log in "$results"/*.mount; do
    check "$(basename "$mount_log" .mount): mounted" "" "$(cat "$mount_log")"
done
outcome() { cat "$results/$1.out"; }
status() { cat "$results/$1.status"; }
# No one is asked: one line per failure; a volume's failure is said once.
failures_of() { grep -c ': Error [0-9-]*: ' "$results/$1.err"; }
# NAME: the volume is consistent, names and contents are as they were; leaves it mounted
# read-only through ntfs-3g for the checks that follow.
ntfs_judged() {
    local image="$work/$1.img"
    ntfsfix -n "$image" >"$work/ntfsfix.log" 2>&1
    check "$1: ntfsfix -n finds the volume consistent" 0 $?
    ntfs_mount -o ro "$image"
    check "$1: names and contents unchanged, as ntfs-3g reads them" "$(cat "$work/$1.before")" \
        "$(fingerprint "$ntfs_mnt")"
}

# --- ntfs3, normal mode: the folder's own entries ------------------------------------------
check "normal: exit status" 0 "$(status normal)"
check "normal: outcome" "$SUCCESS_TEXT" "$(outcome normal)"
check "normal: no prompt" "" "$(cat "$results/normal.err")"
ntfs_judged normal
for entry in hidden.txt readonly.txt archive.txt one "$FARSI_FILE" "$LONG_NAME"; do
    check "normal: '$entry' is reset" 0x00 "$(dos_of "$entry")"
done
for entry in one/deep.txt RECYCLER RECYCLER/kept.txt; do
    check "normal: '$entry' is left" "$(hidden_with "$entry")" "$(dos_of "$entry")"
done
ntfs_umount

# --- ntfs3, recursive mode ------------------------------------------------------------------
check "recursive: exit status" 0 "$(status recursive)"
check "recursive: outcome" "$SUCCESS_TEXT" "$(outcome recursive)"
check "recursive: no prompt" "" "$(cat "$results/recursive.err")"
ntfs_judged recursive
for line in "${tree[@]}"; do
    entry="${line% *}"
    [[ "$entry" == RECYCLER/kept.txt ]] && continue
    check "recursive: '$entry' is reset" 0x00 "$(dos_of "$entry")"
done
check "recursive: the reserved folder's contents are left" 0x06 "$(dos_of RECYCLER/kept.txt)"
for entry in link fifo; do
    check "recursive: ntfs-3g's $entry keeps its System bit alone" 0x04 "$(dos_of "$entry")"
done
# ntfs3 marks its folders with 0x10000000 of its own: the reset keeps it, and ntfs-3g
# still reads a folder (0x10).
check "recursive: a folder stays a folder" 0x10000010 \
    "$(getfattr -h --absolute-names -e hex -n system.ntfs_attrib_be "$ntfs_mnt/one/two" |
        sed -n 's/^system.ntfs_attrib_be=//p')"
ntfs_umount

# --- ntfs3 with the kernel's default character set: the name it cannot show is reported ---
check "defaults: exit status" 1 "$(status defaults)"
check "defaults: the Farsi name reported, alone" 1 "$(failures_of defaults)"
check_contains "defaults: the failure says why" "No such file or directory" \
    "$(cat "$results/defaults.err")"
ntfs_judged defaults
check "defaults: the Farsi name stays hidden" 0x02 "$(dos_of "$FARSI_FILE")"
check "defaults: the rest is reset" 0x00 "$(dos_of one/two/three.txt)"
ntfs_umount

# --- ntfs3 mounted read-only: the volume's failure said once, nothing passed -----------------
check "read-only: exit status" 1 "$(status readonly)"
check "read-only: outcome" "$ERRORS_TEXT" "$(outcome readonly)"
check "read-only: the volume's failure said once" 1 "$(failures_of readonly)"
check_contains "read-only: the failure names the cause" "Read-only file system" \
    "$(cat "$results/readonly.err")"
ntfs_judged readonly
check "read-only: an entry stays hidden" 0x06 "$(dos_of one/two)"
ntfs_umount

# --- ntfs3 with a stray extended attribute named system.ntfs_attrib_be -----------------------
check "stray EA: written through ntfs3" 12 "$(grep -c '^system.ntfs_attrib_be=' "$results/stray-ea.prepared")"
check "stray EA: exit status" 0 "$(status stray-ea)"
check "stray EA: no prompt" "" "$(cat "$results/stray-ea.err")"
check "stray EA: the extended attributes are left as they were" \
    "$(cat "$results/stray-ea.prepared")" "$(cat "$results/stray-ea.after")"
ntfs_judged stray-ea
for line in "${tree[@]}"; do
    entry="${line% *}"
    [[ "$entry" == RECYCLER/kept.txt ]] && continue
    check "stray EA: '$entry' is reset" 0x00 "$(dos_of "$entry")"
done
ntfs_umount

# --- exFAT through the kernel's exfat -----------------------------------------------------
check "exfat, normal: exit status" 1 "$(status exfat-normal)"
check "exfat, normal: outcome" "$ERRORS_TEXT" "$(outcome exfat-normal)"
check "exfat, normal: the volume's failure said once" 1 "$(failures_of exfat-normal)"
check_contains "exfat: the failure says why" "cannot change DOS attributes" \
    "$(cat "$results/exfat-normal.err")"
check "exfat, recursive: exit status" 1 "$(status exfat-recursive)"
check "exfat, recursive: the volume's failure said once" 1 "$(failures_of exfat-recursive)"
for image in exfat exfat-recursive; do
    fsck.exfat -n "$work/$image.img" >"$work/fsck.log" 2>&1
    check "$image: fsck.exfat -n finds the volume clean" 0 $?
done

# --- formats whose attributes cannot be changed ----------------------------------------------
# (isofs gives a file another inode number in its listing than in a lookup: such an
# entry is reported as no longer the one listed before the volume is asked.)
for format in "udf:UDF" "iso9660:ISO 9660" "squashfs:squashfs"; do
    name="${format%%:*}"
    check "$name: exit status" 1 "$(status "$name")"
    check "$name: outcome" "$ERRORS_TEXT" "$(outcome "$name")"
    check "$name: the volume's failure said once, naming the format" 1 \
        "$(grep -c ": Error 95: .*${format#*:}" "$results/$name.err")"
done

# --- offline repairs, judged by the kernel's own exfat and vfat ----------------------------
# Images whose files a kernel driver wrote, hidden apart from the program (exFAT by the
# tests' own writer, FAT by mtools), repaired unmounted on the host, then mounted by the
# kernel again: it lists every file, with its contents, and finds every entry set sound.
offline_exfat="$work/offline-exfat.img"
cp "$work/exfat-recursive.img" "$offline_exfat"  # a.txt and one/b.txt, written by exfat
python3 "$root/tests/platform/files/offline/exfat_attributes.py" hide-all "$offline_exfat"
"$cli" -q --recursive --on-error=continue "$offline_exfat" >"$work/offline.out" 2>&1
check "offline exfat: repaired" "0 $SUCCESS_TEXT" "$? $(head -1 "$work/offline.out")"
offline_fat="$work/offline-vfat.img"
truncate -s 40M "$offline_fat"
mkfs.vfat -F 32 "$offline_fat" >/dev/null
echo a >"$work/a.txt"
echo b >"$work/b.txt"
export MTOOLS_SKIP_CHECK=1
mmd -i "$offline_fat" ::/one && mcopy -i "$offline_fat" "$work/a.txt" ::/a.txt &&
    mcopy -i "$offline_fat" "$work/b.txt" ::/one/b.txt &&
    mattrib -i "$offline_fat" +h +s ::/a.txt && mattrib -i "$offline_fat" +h +s ::/one/b.txt &&
    mattrib -i "$offline_fat" +h ::/one
check "offline vfat: made and hidden with mtools" 0 $?
"$cli" -q --recursive --on-error=continue "$offline_fat" >"$work/offline.out" 2>&1
check "offline vfat: repaired" "0 $SUCCESS_TEXT" "$? $(head -1 "$work/offline.out")"
cat >"$work/offline-init.sh" <<EOF
#!/bin/bash
source "\${0%/*}/uml-prelude.sh"
for disk in ubda:exfat ubdb:vfat; do
    dir="$work/kernel-\${disk#*:}"
    mkdir -p "\$dir"
    mount -t "\${disk#*:}" -o ro "/dev/\${disk%%:*}" "\$dir" &&
        (cd "\$dir" && find . -type f | LC_ALL=C sort | xargs md5sum) \
            >"$results/offline-\${disk#*:}.list" 2>&1
    dmesg | grep -ci "checksum\|corrupt\|error" >"$results/offline-\${disk#*:}.complaints"
    umount "\$dir"
done
halt -f
EOF
UML_LOG="$work/uml-offline.log" uml_run "$work/offline-init.sh" "$offline_exfat" "$offline_fat"
expected="$(cd "$work" && md5sum a.txt | sed 's| a.txt$| ./a.txt|')
$(cd "$work" && md5sum b.txt | sed 's| b.txt$| ./one/b.txt|')"
for format in exfat vfat; do
    check "offline $format: the kernel lists every file with its contents" "$expected" \
        "$(cat "$results/offline-$format.list" 2>/dev/null)"
    check "offline $format: the kernel finds nothing wrong" 0 \
        "$(cat "$results/offline-$format.complaints" 2>/dev/null)"
done
fsck.vfat -n "$offline_fat" >"$work/fsck.log" 2>&1
check "offline vfat: fsck.vfat -n finds the volume clean" 0 $?
fsck.exfat -n "$offline_exfat" >"$work/fsck.log" 2>&1
check "offline exfat: fsck.exfat -n finds the volume clean" 0 $?

finish
