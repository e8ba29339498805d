#!/usr/bin/env bash
# vantrelle-cli over a real tmpfs tree whose DOS attributes live in user.DOSATTRIB, as
# Wine and Samba keep them: both modes, reserved names, links, a name that is not
# UTF-8, a reset the file system refuses (answered with continue, stop and ask), a
# read-only mount, several PATHs, exit statuses, and names and contents unchanged.
# Usage: dosattrib_volume_test.sh VANTRELLE_CLI [sanitized]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../support/volume_test_lib.sh"

cli="$(realpath "$1")"
[[ "${2:-}" == "sanitized" ]] && skip "real-volume tests run in the plain build"
command -v setfattr >/dev/null || skip "setfattr (package attr) is not installed"

make_workdir
root="$work/vol"
mkdir "$root"
if ((EUID == 0)) && mount -t tmpfs -o mode=755 vantrelle-test "$root"; then
    mounts+=("$root")
fi
if ! setfattr -n user.DOSATTRIB -v '"0x0"' "$root" 2>/dev/null; then
    skip "the temporary folder's file system keeps no user extended attributes"
fi
setfattr -x user.DOSATTRIB "$root"

attr_of() {
    getfattr -h --only-values -n user.DOSATTRIB "$1" 2>/dev/null || echo absent
}
hide() {
    local value="$1"
    shift
    for entry; do setfattr -h -n user.DOSATTRIB -v "\"$value\"" "$entry"; done
}

odd_name="$(printf 'caf\xe9')"  # Latin-1, not UTF-8

populate() {
    rm -rf "${root:?}"/* "$root"/.[!.]* 2>/dev/null
    mkdir -p "$root/one/two/three" "$root/sYSTEM vOLUME iNFORMATION" "$root/\$Recycle.Bin" \
        "$root/recycler" "$root/target"
    for folder in "$root" "$root/one" "$root/one/two" "$root/one/two/three"; do
        echo "hidden in $folder" >"$folder/hidden.txt"
        echo "system in $folder" >"$folder/system.dat"
        echo "plain in $folder" >"$folder/plain.txt"
        hide 0x2 "$folder/hidden.txt"
        hide 0x26 "$folder/system.dat"
    done
    echo old >"$root/RECYCLER.old"
    echo inside >"$root/one/RECYCLER"
    echo "$odd_name" >"$root/$odd_name"
    for reserved in "sYSTEM vOLUME iNFORMATION" "\$Recycle.Bin" recycler; do
        echo secret >"$root/$reserved/inside.txt"
        hide 0x6 "$root/$reserved/inside.txt" "$root/$reserved"
    done
    echo target >"$root/target/file.txt"
    hide 0x2 "$root/target" "$root/target/file.txt"
    ln -s target "$root/link-to-folder"
    ln -s nowhere "$root/dangling"
    hide 0x12 "$root/one" "$root/one/two" "$root/one/two/three"
    hide 0x2 "$root/RECYCLER.old" "$root/one/RECYCLER" "$root/$odd_name"
    hide 0x10 "$root"
}

# --- normal mode: only the folder's own entries -------------------------------------
populate
before="$(fingerprint "$root")"
out="$("$cli" --on-error=stop "$root/" 2>"$work/err")"
check "normal mode exit status" 0 $?
check "normal mode outcome" "$SUCCESS_TEXT" "$out"
check "normal mode: no prompt, the counts on standard error, which is no terminal" \
    "vantrelle-cli: $root/: 6 reset, 3 already normal, 0 failed, 3 reserved folders left alone" \
    "$(cat "$work/err")"
check "the folder itself keeps its attributes" 0x10 "$(attr_of "$root")"
for entry in hidden.txt system.dat RECYCLER.old "$odd_name" target; do
    check "normal mode resets $entry" 0x0 "$(attr_of "$root/$entry")"
done
check "a sub-folder is reset, keeping its directory bit" 0x10 "$(attr_of "$root/one")"
check "an entry without the attribute gets none" absent "$(attr_of "$root/plain.txt")"
check "contents of a sub-folder stay hidden" 0x2 "$(attr_of "$root/one/hidden.txt")"
for reserved in "sYSTEM vOLUME iNFORMATION" "\$Recycle.Bin" recycler; do
    check "normal mode skips $reserved" 0x6 "$(attr_of "$root/$reserved")"
done
check "a link's target is not touched" 0x2 "$(attr_of "$root/target/file.txt")"
check "names and contents unchanged (normal)" "$before" "$(fingerprint "$root")"

# --- on a terminal: a progress line, wiped before the outcome --------------------------
populate
script -qec "$(printf '%q ' "$cli" --recursive --on-error=stop "$root")" /dev/null \
    </dev/null >"$work/tty" 2>&1
tty="$(cat "$work/tty")"
wiped=$'\r'"$(printf '%79s' '')"$'\r'
check_contains "on a terminal: the progress line" $'\r'"1 seen, " "$tty"
check_contains "on a terminal: wiped before the outcome, counts after it" \
    "$wiped$SUCCESS_TEXT"$'\r\n'"vantrelle-cli: $root: 19 reset, 6 already normal" "$tty"
check "on a terminal: the tree is repaired" 0x0 "$(attr_of "$root/one/two/three/hidden.txt")"

# --- recursive mode ------------------------------------------------------------------
populate
before="$(fingerprint "$root")"
out="$("$cli" -q --recursive --on-error=stop "$root" 2>"$work/err")"
check "recursive exit status" 0 $?
check "recursive outcome" "$SUCCESS_TEXT" "$out"
check "recursive prompts" "" "$(cat "$work/err")"
check "the folder itself keeps its attributes (recursive)" 0x10 "$(attr_of "$root")"
for folder in "" /one /one/two /one/two/three; do
    check "recursive resets hidden.txt in '$folder'" 0x0 "$(attr_of "$root$folder/hidden.txt")"
    check "recursive resets system.dat in '$folder'" 0x0 "$(attr_of "$root$folder/system.dat")"
done
check "a file named like a reserved name is reset" 0x0 "$(attr_of "$root/one/RECYCLER")"
check "sub-folders keep their directory bit" 0x10 "$(attr_of "$root/one/two/three")"
for reserved in "sYSTEM vOLUME iNFORMATION" "\$Recycle.Bin" recycler; do
    check "a reserved folder itself is reset: $reserved" 0x0 "$(attr_of "$root/$reserved")"
    check "a reserved folder's contents are not: $reserved" 0x6 \
        "$(attr_of "$root/$reserved/inside.txt")"
done
check "the walk never enters a link to a folder" 0x0 "$(attr_of "$root/target/file.txt")"
check "names and contents unchanged (recursive)" "$before" "$(fingerprint "$root")"

# --- the folder named ".", as a technician in the stick's root would ----------------------
populate
out="$(cd "$root/one" && "$cli" -q --recursive --on-error=stop . 2>"$work/err")"
check "'.' recursive: exit status" 0 $?
check "'.' recursive: the tree is walked" "0x0 0x0" \
    "$(attr_of "$root/one/two/hidden.txt") $(attr_of "$root/one/two/three/system.dat")"

# --- a reset the file system refuses --------------------------------------------------
if ((EUID == 0)) && command -v setpriv >/dev/null; then
    as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    locked="$root/locked"
    refused() {
        rm -rf "${root:?}"/*
        mkdir "$root/sub"
        for name in a b c; do
            echo "$name" >"$root/$name"
            echo "$name" >"$root/sub/$name"
        done
        echo locked >"$locked"
        hide 0x2 "$root"/{a,b,c} "$root"/sub/{a,b,c} "$locked"
        chown -R nobody "$root"/{a,b,c,sub}
        chown root "$locked" "$root"
        chmod 644 "$locked"
    }
    prompt="Error 13
An error happened :
Permission denied (setting user.DOSATTRIB)
in File: $root/locked
Do you want to continue fixing other files?"
    # When no one is asked, one line; a trailing slash in PATH is not doubled.
    line="vantrelle-cli: $root/locked: Error 13: Permission denied (setting user.DOSATTRIB)"

    refused
    out="$("${as_nobody[@]}" "$cli" -q --on-error=continue "$root/" 2>"$work/err")"
    check "continue: exit status" 1 $?
    check "continue: outcome" "$ERRORS_TEXT" "$out"
    check "continue: one line" "$line" "$(cat "$work/err")"
    check "continue: the refused entry stays hidden" 0x2 "$(attr_of "$locked")"
    for name in a b c; do
        check "continue: $name is reset all the same" 0x0 "$(attr_of "$root/$name")"
    done

    refused
    out="$("${as_nobody[@]}" "$cli" -q -r --on-error continue "$root" 2>"$work/err")"
    check "continue, recursive: exit status" 1 $?
    check "continue, recursive: the walk goes on below" 0x0 "$(attr_of "$root/sub/c")"
    check "continue, recursive: one line" "$line" "$(cat "$work/err")"

    refused
    out="$("${as_nobody[@]}" "$cli" -q --on-error=stop "$root" 2>"$work/err")"
    check "stop: exit status" 1 $?
    check "stop: outcome" "$ERRORS_TEXT" "$out"
    check "stop: one line" "$line" "$(cat "$work/err")"

    refused
    out="$(echo yes | "${as_nobody[@]}" "$cli" -q "$root" 2>"$work/err")"
    check "ask, yes: exit status" 1 $?
    check_contains "ask, yes: the question" "$prompt
[y/n/a] " "$(cat "$work/err")"
    check "ask, yes: the rest is reset" "0x0 0x0 0x0" \
        "$(attr_of "$root/a") $(attr_of "$root/b") $(attr_of "$root/c")"

    refused
    "${as_nobody[@]}" "$cli" -q "$root" </dev/null >/dev/null 2>"$work/err"
    check "ask, end of input: exit status" 1 $?
    check_contains "ask, end of input means no" "end of input: no" "$(cat "$work/err")"

    # A folder the user may not read: said once with what to do, not once per step.
    refused
    chmod 700 "$root"
    out="$("${as_nobody[@]}" "$cli" -q --recursive --on-error=continue "$root" 2>"$work/err")"
    check "unreadable PATH: exit status" 1 $?
    check "unreadable PATH: said once, with what to do" \
        "vantrelle-cli: $root: Error 13: Permission denied (opening the folder)
vantrelle-cli: permission denied: run as the owner of the files or as root" "$(cat "$work/err")"
    chmod 755 "$root"
else
    echo "note: not root; the refused-reset cases need to run as root"
fi

# --- usage -----------------------------------------------------------------------------
"$cli" >/dev/null 2>"$work/err"
check "no PATH: exit status" 2 $?
check_contains "no PATH: message" "PATH is missing" "$(cat "$work/err")"
"$cli" -q --on-error=later "$root" >/dev/null 2>&1
check "bad --on-error: exit status" 2 $?
"$cli" --help >"$work/out"
check "--help: exit status" 0 $?
check_contains "--help explains" "--on-error=continue" "$(cat "$work/out")"
"$cli" --version >"$work/out"
check "--version: exit status" 0 $?
check_contains "--version" "vantrelle-cli (Vantrelle) 1.0" "$(cat "$work/out")"

# --- PATHs that are no folder, several PATHs, Farsi -------------------------------------
populate
echo file >"$root/a-file"
out="$("$cli" -q --on-error=continue "$root/missing" 2>"$work/err")"
check "a missing folder: exit status" 1 $?
check "a missing folder: one line" "vantrelle-cli: $root/missing: no such folder" \
    "$(cat "$work/err")"
check "a missing folder: no outcome" "" "$out"
out="$("$cli" -q -r "$root/a-file" 2>"$work/err")"
check "a file as PATH: exit status" 1 $?
check "a file as PATH: one line" "vantrelle-cli: $root/a-file: not a folder" "$(cat "$work/err")"
check "a file as PATH: no outcome" "" "$out"

out="$("$cli" -q --on-error=stop "$root/one/" "$root/missing" "$root/one/two" 2>"$work/err")"
check "several PATHs: the worst exit status" 1 $?
check "several PATHs: an outcome for each folder" "$root/one/: $SUCCESS_TEXT
$root/one/two: $SUCCESS_TEXT" "$out"
check "several PATHs: each repaired" "0x0 0x0" \
    "$(attr_of "$root/one/hidden.txt") $(attr_of "$root/one/two/system.dat")"

populate
out="$("$cli" -q --language=fa "$root" 2>"$work/err")"
check "Farsi: exit status" 0 $?
check "Farsi: the outcome" "$SUCCESS_TEXT_FA" "$out"

# --- a read-only mount: said once, with what to do, and the repair stops ---------------------
if ((EUID == 0)) && mountpoint -q "$root"; then
    populate
    mount -o remount,ro "$root"
    out="$("$cli" -q --recursive --on-error=continue "$root" 2>"$work/err")"
    check "read-only: exit status" 1 $?
    check "read-only: outcome" "$ERRORS_TEXT" "$out"
    check "read-only: two lines in all" 2 "$(wc -l <"$work/err")"
    check_contains "read-only: the failure" "Error 30: Read-only file system" "$(cat "$work/err")"
    check_contains "read-only: what to do" "vantrelle-cli: the volume is mounted read-only: remount it read-write" "$(cat "$work/err")"
    mount -o remount,rw "$root"
    check "read-only: nothing changed" 0x2 "$(attr_of "$root/hidden.txt")"
fi

finish
