#!/usr/bin/env bash
# vantrelle-cli on FAT volumes through the kernel's own vfat driver, in User-mode Linux.
# The images are made with mkfs.vfat and hidden with mtools on the host, repaired inside
# UML by build/vantrelle-cli (UML's root is the host's /), then read back with mtools and
# checked with fsck.vfat -n: the checking tools never run our code. One boot runs every
# case, each on an image of its own.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"
source "$root/tests/support/uml_boot.sh"
cli="$root/build/vantrelle-cli"

skip() {
    echo "vfat: skipped: $*"
    echo "vfat: 0 passed, 0 failed"
    exit 0
}
finish() {
    echo "vfat: $((checks - failures)) passed, $failures failed"
    ((failures == 0))
}

[[ -x "$cli" ]] || skip "build/vantrelle-cli is not built"
reason="$(uml_missing)"
[[ -z "$reason" ]] || skip "$reason"
for tool in mkfs.vfat fsck.vfat mattrib mcopy mmd perl setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8
make_workdir
results="$work/results"
mkdir "$results"
images=()
declare -A case_mounts
plan="$work/plan.sh"
: >"$plan"

readonly FARSI_FILE="فایل پنهان.txt"
readonly FARSI_FOLDER="پوشه"
readonly FARSI_TWIN="کتاب"  # as long as FARSI_FOLDER: both show as "????" without utf8
readonly LONG_NAME="A long file name that needs several directory entries.txt"

# --- images, made and read on the host ---------------------------------------------------
new_image() {  # NAME FAT-BITS SIZE-MB
    local image="$work/$1.img"
    truncate -s "${3}M" "$image"
    mkfs.vfat -F "$2" -n STICK "$image" >/dev/null || echo "FAIL: mkfs.vfat $1"
    echo "$image"
}
put() {  # IMAGE PATH ATTRIBUTES...
    local image="$1" path="$2"
    shift 2
    printf 'contents of %s\n' "$path" >"$work/payload"
    mcopy -i "$image" "$work/payload" "::$path"
    (($# == 0)) || mattrib -i "$image" "$@" "::$path"
}
folder() {  # IMAGE PATH ATTRIBUTES...
    local image="$1" path="$2"
    shift 2
    mmd -i "$image" "::$path"
    (($# == 0)) || mattrib -i "$image" "$@" "::$path"
}
# The attribute letters mtools shows for one entry, "" for Normal.
attrs_of() {
    mattrib -i "$1" "::$2" 2>&1 | head -1 | sed -e 's/::.*//' -e 's/ //g'
}
all_attrs() { mattrib -i "$1" -/ :: 2>&1 | LC_ALL=C sort; }
contents_of() {
    local out="$work/contents.$RANDOM"
    mkdir "$out"
    mcopy -s -n -i "$1" "::/*" "$out/" 2>/dev/null
    fingerprint "$out"
    rm -rf "$out"
}

# The attribute letters of the entry whose full name mtools lists as PATH, which reaches
# names that its own lookup would change.
listed_attrs() {
    local line
    while IFS= read -r line; do
        [[ "${line#*::}" == "$2" ]] && { echo "${line%%::*}" | tr -d ' '; }
    done < <(mattrib -i "$1" -/ :: 2>&1)
}
# Renames an entry in place by rewriting one UTF-16 stretch of its long name, so that it
# holds what no kernel or mtools writes: a name ending in a dot.
rename_raw() {  # IMAGE FROM TO (of one length, unique in the image)
    perl -e '
        my ($image, $from, $to) = @ARGV;
        open(my $fh, "+<:raw", $image) or die "$image: $!";
        my $data = do { local $/; <$fh> };
        my ($f, $t) = map { join("", map { $_ . "\0" } split(//, $_)) } ($from, $to);
        my $at = index($data, $f);
        die "not once: $from\n" if $at < 0 || index($data, $f, $at + 1) >= 0;
        seek($fh, $at, 0);
        print $fh $t;
    ' "$@" || echo "FAIL: renaming $2 in $1"
}
# Beside a file and the reserved RECYCLER, entries of the same names and a final dot.
populate_dots() {
    local image="$1"
    put "$image" /secretfileX +h +s
    put "$image" /secretfile -a
    folder "$image" /RECYCLER +h +s
    put "$image" /RECYCLER/inside.txt +h +s
    folder "$image" /RECYCLERX +h
    put "$image" /RECYCLERX/dotted.txt +h
    rename_raw "$image" tfileX tfile.
    rename_raw "$image" LERX LER.
}

# The tree of every case: hidden entries three levels deep, reserved folders in odd
# letter case with hidden contents, long and Farsi names.
populate() {
    local image="$1" level
    folder "$image" /one +h
    folder "$image" /one/two +h +s
    folder "$image" /one/two/three +h
    for level in "" /one /one/two /one/two/three; do
        put "$image" "$level/hidden.txt" +h
        put "$image" "$level/system.dat" +h +s
        put "$image" "$level/readonly.txt" +r
    done
    put "$image" /RECYCLER.old +h
    put "$image" /one/RECYCLER +h
    put "$image" "/$LONG_NAME" +h +s
    put "$image" "/$FARSI_FILE" +h
    folder "$image" "/$FARSI_FOLDER" +h
    put "$image" "/$FARSI_FOLDER/$FARSI_FILE" +h +s
    for reserved in "system volume information" "\$Recycle.Bin" recycler; do
        folder "$image" "/$reserved" +h +s
        put "$image" "/$reserved/inside.txt" +h +s
    done
}
entries_of_root=(hidden.txt system.dat readonly.txt RECYCLER.old one "$LONG_NAME" "$FARSI_FILE"
    "$FARSI_FOLDER")

# --- the plan run inside UML --------------------------------------------------------------
# A case: the image becomes the next block device, mounted with OPTIONS at $work/mnt-NAME;
# USER runs the command line there. Its output, prompts and exit status land in $results.
case_on() {  # NAME IMAGE FSTYPE OPTIONS USER CLI-ARGUMENTS...
    local name="$1" image="$2" fstype="$3" options="$4" user="$5"
    shift 5
    local letters=(a b c d e f g h i j k l m n o p)
    local device="/dev/ubd${letters[${#images[@]}]}"
    images+=("$image")
    case_mounts[$name]=1
    mkdir -p "$work/mnt-$name"
    local run=("$cli" -q "$@" "$work/mnt-$name")
    [[ "$user" == root ]] || run=(setpriv --reuid="$user" --regid="$user" --clear-groups "${run[@]}")
    cat >>"$plan" <<EOF
mount -t $fstype -o '$options' $device '$work/mnt-$name' 2>'$results/$name.mount'
$(printf '%q ' "${run[@]}") <'$results/answers' >'$results/$name.out' 2>'$results/$name.err'
echo \$? >'$results/$name.status'
umount '$work/mnt-$name'
EOF
}

desktop="shortname=mixed,utf8"
for name in normal recursive defaults readonly owner stranger; do
    bits=32
    [[ "$name" == owner || "$name" == stranger || "$name" == defaults ]] && bits=16
    image="$(new_image "$name" "$bits" 40)"
    populate "$image"
    eval "before_attrs_$name=\"\$(all_attrs \"\$image\")\""
    eval "before_contents_$name=\"\$(contents_of \"\$image\")\""
done
put "$work/defaults.img" "/$FARSI_TWIN" +h
for name in dots-normal dots-recursive; do
    populate_dots "$(new_image "$name" 32 40)"
    check "$name: the renamed entries as mtools lists them" "ASH H" \
        "$(listed_attrs "$work/$name.img" /secretfile.) $(listed_attrs "$work/$name.img" /RECYCLER.)"
done

case_on normal "$work/normal.img" vfat "$desktop" root --on-error=continue
case_on recursive "$work/recursive.img" vfat "$desktop" root --recursive --on-error=continue
case_on defaults "$work/defaults.img" vfat defaults root --recursive --on-error=continue
case_on readonly "$work/readonly.img" vfat "ro,$desktop" root --recursive --on-error=continue
case_on owner "$work/owner.img" vfat "uid=65534,gid=65534,$desktop" 65534 --recursive --on-error=continue
case_on stranger "$work/stranger.img" vfat "$desktop" 65534 --on-error=continue
case_on dots-normal "$work/dots-normal.img" vfat "$desktop" root --on-error=continue
case_on dots-recursive "$work/dots-recursive.img" vfat "$desktop" root --recursive --on-error=continue

: >"$results/answers"
init="$work/init.sh"
{
    echo "#!/bin/bash"
    echo "source \"\${0%/*}/uml-prelude.sh\""
    cat "$plan"
    echo "halt -f"
} >"$init"
start=$SECONDS
UML_LOG="$work/uml.log" uml_run "$init" "${images[@]}"
echo "vfat: UML ran ${#images[@]} cases in $((SECONDS - start)) s"
if [[ ! -e "$results/normal.status" ]]; then
    tail -20 "$work/uml.log"
    check "UML booted and ran the cases" yes no
    finish
    exit 1
fi

for name in "${!case_mounts[@]}"; do
    check "$name: mounted" "" "$(cat "$results/$name.mount")"
done
outcome() { cat "$results/$1.out"; }
status() { cat "$results/$1.status"; }
# No one is asked (continue): one line per failure.
prompts() { grep -c ': Error [0-9-]*: ' "$results/$1.err"; }
unchanged() {  # NAME IMAGE
    local attrs contents
    eval "attrs=\$before_attrs_$1 contents=\$before_contents_$1"
    check "$1: every attribute as it was" "$attrs" "$(all_attrs "$2")"
    check "$1: names and contents unchanged" "$contents" "$(contents_of "$2")"
}
clean_and_same() {  # NAME IMAGE
    local contents
    eval "contents=\$before_contents_$1"
    fsck.vfat -n "$2" >"$work/fsck.log" 2>&1
    check "$1: fsck.vfat -n finds the volume clean" 0 $?
    check "$1: names and contents unchanged" "$contents" "$(contents_of "$2")"
}

# --- normal mode, as a desktop mounts a stick ----------------------------------------------
image="$work/normal.img"
check "normal: exit status" 0 "$(status normal)"
check "normal: outcome" "$SUCCESS_TEXT" "$(outcome normal)"
check "normal: no prompt" "" "$(cat "$results/normal.err")"
for entry in "${entries_of_root[@]}"; do
    check "normal: resets '$entry'" "" "$(attrs_of "$image" "/$entry")"
done
check "normal: contents of a sub-folder stay hidden" AH "$(attrs_of "$image" /one/hidden.txt)"
check "normal: a Farsi folder's contents stay hidden" ASH \
    "$(attrs_of "$image" "/$FARSI_FOLDER/$FARSI_FILE")"
for reserved in "system volume information" "\$Recycle.Bin" recycler; do
    check "normal: skips '$reserved'" SH "$(attrs_of "$image" "/$reserved")"
done
clean_and_same normal "$image"

# --- recursive mode ----------------------------------------------------------------------
image="$work/recursive.img"
check "recursive: exit status" 0 "$(status recursive)"
check "recursive: outcome" "$SUCCESS_TEXT" "$(outcome recursive)"
check "recursive: no prompt" "" "$(cat "$results/recursive.err")"
for level in "" /one /one/two /one/two/three; do
    for entry in hidden.txt system.dat readonly.txt; do
        check "recursive: resets '$level/$entry'" "" "$(attrs_of "$image" "$level/$entry")"
    done
done
for entry in /one /one/two /one/two/three /one/RECYCLER "/$LONG_NAME" "/$FARSI_FOLDER" \
    "/$FARSI_FOLDER/$FARSI_FILE"; do
    check "recursive: resets '$entry'" "" "$(attrs_of "$image" "$entry")"
done
for reserved in "system volume information" "\$Recycle.Bin" recycler; do
    check "recursive: resets the reserved folder '$reserved' itself" "" \
        "$(attrs_of "$image" "/$reserved")"
    check "recursive: leaves the contents of '$reserved'" ASH \
        "$(attrs_of "$image" "/$reserved/inside.txt")"
done
clean_and_same recursive "$image"

# --- the kernel's default mount options: names outside its character set show as '?' -------
# Two Farsi names of one length look alike there, and a lookup of either finds the first:
# both are reported, neither is passed; a name that is alone with its look is reset.
image="$work/defaults.img"
check "defaults: exit status" 1 "$(status defaults)"
check "defaults: outcome" "$ERRORS_TEXT" "$(outcome defaults)"
check "defaults: the two look-alikes reported" 2 "$(prompts defaults)"
check_contains "defaults: the prompt says why" "several entries" "$(cat "$results/defaults.err")"
check "defaults: the look-alike file stays hidden" AH "$(attrs_of "$image" "/$FARSI_TWIN")"
check "defaults: the look-alike folder stays hidden" H "$(attrs_of "$image" "/$FARSI_FOLDER")"
check "defaults: a Farsi name alone with its look is reset" "" \
    "$(attrs_of "$image" "/$FARSI_FILE")"
check "defaults: a long name is reset" "" "$(attrs_of "$image" "/$LONG_NAME")"
check "defaults: the tree is reset" "" "$(attrs_of "$image" /one/two/three/system.dat)"
check "defaults: a reserved folder's contents are left" ASH \
    "$(attrs_of "$image" "/recycler/inside.txt")"
fsck.vfat -n "$image" >/dev/null 2>&1
check "defaults: fsck.vfat -n finds the volume clean" 0 $?

# --- a read-only mount: said once with what to do, nothing passed --------------------------
image="$work/readonly.img"
check "read-only: exit status" 1 "$(status readonly)"
check "read-only: outcome" "$ERRORS_TEXT" "$(outcome readonly)"
check "read-only: said once" 1 "$(prompts readonly)"
check_contains "read-only: the failure names the cause" "Error 30: Read-only file system" \
    "$(cat "$results/readonly.err")"
check_contains "read-only: what to do" "remount it read-write" "$(cat "$results/readonly.err")"
unchanged readonly "$image"

# --- an unprivileged user ------------------------------------------------------------------
image="$work/owner.img"
check "owner: exit status on a mount the user owns" 0 "$(status owner)"
check "owner: outcome" "$SUCCESS_TEXT" "$(outcome owner)"
check "owner: resets the tree" "" "$(attrs_of "$image" /one/two/three/hidden.txt)"
clean_and_same owner "$image"

image="$work/stranger.img"
check "stranger: exit status on a mount the user does not own" 1 "$(status stranger)"
check "stranger: outcome" "$ERRORS_TEXT" "$(outcome stranger)"
check "stranger: one prompt per entry" "${#entries_of_root[@]}" "$(prompts stranger)"
check_contains "stranger: the prompt names the cause" "Operation not permitted" \
    "$(cat "$results/stranger.err")"
unchanged stranger "$image"

# --- names ending in a dot, which the kernel's lookup drops -----------------------------
image="$work/dots-normal.img"
check "dots, normal: exit status" 0 "$(status dots-normal)"
check "dots, normal: no prompt" "" "$(cat "$results/dots-normal.err")"
check "dots, normal: 'secretfile.' is reset" "" "$(listed_attrs "$image" /secretfile.)"
check "dots, normal: 'RECYCLER.' is reset" "" "$(listed_attrs "$image" /RECYCLER.)"
check "dots, normal: the reserved RECYCLER is not" "SH" "$(listed_attrs "$image" /RECYCLER)"
image="$work/dots-recursive.img"
check "dots, recursive: exit status" 0 "$(status dots-recursive)"
check "dots, recursive: no prompt" "" "$(cat "$results/dots-recursive.err")"
check "dots, recursive: 'secretfile.' is reset" "" "$(listed_attrs "$image" /secretfile.)"
check "dots, recursive: inside 'RECYCLER.' is reset" "" \
    "$(listed_attrs "$image" /RECYCLER./dotted.txt)"
check "dots, recursive: inside the reserved RECYCLER is not" "ASH" \
    "$(listed_attrs "$image" /RECYCLER/inside.txt)"
fsck.vfat -n "$image" >/dev/null 2>&1
check "dots: fsck.vfat -n finds the volume clean" 0 $?

finish
