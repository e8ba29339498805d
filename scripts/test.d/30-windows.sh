#!/usr/bin/env bash
# The Windows build: cross-built with mingw-w64 into build-win/ and tested under Wine.
#   1. the engine's, the backend's and the resources' tests, as .exe under Wine (CTest);
#   2. vantrelle-cli.exe over real folders, hidden and checked with Wine's own attrib:
#      both modes, reserved folders in odd letter case, a drive root, a path over 260
#      characters, a missing path, Unicode names on a console and through a pipe;
#   3. the Linux and the Windows builds agree on what they hide and show, through the
#      user.DOSATTRIB extended attribute where Wine keeps DOS attributes.
# The Wine prefix lives in a temporary folder of this run. Ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"

build="$root/build-win"
linux_cli="$root/build/vantrelle-cli"
jobs="$(nproc)"

make_workdir
trap 'wineserver -k 2>/dev/null; cleanup' EXIT

fail_now() {
    echo "windows: $*"
    echo "$checks passed, $((failures + 1)) failed"
    exit 1
}

echo "-- cross build in build-win/"
cmake -S "$root" --preset build-win -B "$build" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; fail_now "configuring build-win failed"; }
cmake --build "$build" -j "$jobs" || fail_now "building build-win failed"
cli="$build/vantrelle-cli.exe"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
echo "-- Wine prefix in $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || fail_now "wineboot failed"

# --- 1. the unit tests as Windows programs ----------------------------------------
# Folder links: Wine has no CreateSymbolicLinkW, but shows POSIX links as reparse points.
links="$work/links"
mkdir -p "$links/tree" "$links/outside"
echo secret >"$links/outside/secret"
setfattr -n user.DOSATTRIB -v '"0x2"' "$links/outside/secret" ||
    fail_now "the temporary folder keeps no user extended attributes, which Wine needs"
ln -s ../outside "$links/tree/out"
ln -s . "$links/tree/loop"
# Hidden, so that a reset reaching a link's target would show.
setfattr -n user.DOSATTRIB -v '"0x12"' "$links/outside" "$links/tree"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

export VANTRELLE_LINK_FIXTURE="$(winpath "$links")"
# The programs that make windows run on a display, in the next stage.
# A test program that Wine fails to start on a loaded machine prints nothing and fails
# in a hundredth of a second: such a test gets one more start. A test that fails twice
# fails.
ctest --test-dir "$build" -j "$jobs" -LE gui --output-on-failure --repeat until-pass:2 2>&1 |
    tee "$work/ctest.log"
summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$work/ctest.log")"
if [[ "$summary" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    failures=$((failures + BASH_REMATCH[1]))
    checks=$((checks + BASH_REMATCH[2]))
else
    failures=$((failures + 1))
    checks=$((checks + 1))
fi
unset VANTRELLE_LINK_FIXTURE

# --- helpers over Wine's attrib --------------------------------------------------------
# The attribute letters of an attrib line in alphabetical order, without Archive,
# which Wine shows for every file. Empty means visible.
letters() {
    local flags="${1//A/}"
    flags="${flags// /}"
    [[ -n "$flags" ]] && printf '%s' "$flags" | fold -w1 | LC_ALL=C sort | tr -d '\n'
}

# The letters Wine's attrib shows for one entry, file or folder.
flags_of() {
    local line
    line="$(wine attrib /d "$(winpath "$1")" 2>/dev/null | tr -d '\r' | head -1)"
    letters "${line%%Z:\\*}"
}

# Every entry below $1 as "relative-path flags" lines, from one recursive listing.
flags_below() {
    local top
    top="$(winpath "$1")"
    wine attrib /s /d "$top\\*" 2>/dev/null | tr -d '\r' | while IFS= read -r line; do
        local path="Z:\\${line#*Z:\\}"
        printf '%s %s\n' "${path#"$top\\"}" "$(letters "${line%%Z:\\*}")"
    done | LC_ALL=C sort
}

# attrib takes one attribute a call; folders need /d.
hide() {
    local letters="$1" entry="$2" folder=() i
    [[ -d "$entry" ]] && folder=(/d)
    for ((i = 0; i < ${#letters}; i++)); do
        wine attrib "+${letters:i:1}" "${folder[@]}" "$(winpath "$entry")" >/dev/null 2>&1
    done
}

# The DOS attribute bits Wine stored for an entry; none stored means none set.
dos_bits() {
    local value
    value="$(getfattr --only-values -n user.DOSATTRIB "$1" 2>/dev/null)" || value=0
    printf '%d' "$((value & 0x7))"
}

# Hides through user.DOSATTRIB directly, many entries at once: the way Wine stores it.
hide_raw() {
    local value="$1"
    shift
    setfattr -n user.DOSATTRIB -v "\"$value\"" "$@"
}

run_cli() {
    local attempt
    for attempt in 1 2; do
        wine "$cli" -q "$@" 2>"$work/err" </dev/null | tr -d '\r' >"$work/out"
        status="${PIPESTATUS[0]}"
        tr -d '\r' <"$work/err" >"$work/err.txt"
        # Nothing at all, not even an outcome: Wine did not start the program (seen on a
        # loaded machine); or Wine lost its server under the program ("wine client error"):
        # one more start.
        if [[ "$status" != 0 && ! -s "$work/out" && ! -s "$work/err" ]]; then
            continue
        fi
        grep -q '^wine client error' "$work/err.txt" || break
    done
}

# --- 2. vantrelle-cli.exe over real folders ----------------------------------------
farsi="$(printf '\u0641\u0627\u064A\u0644 \u06A9')"
populate() {
    stick="$work/stick"
    rm -rf "$stick"
    mkdir -p "$stick/level1/level2/level3" "$stick/sYsTeM vOlUmE iNfOrMaTiOn" \
        "$stick/\$rEcYcLe.BiN" "$stick/level1/ReCyClEr"
    for folder in "$stick" "$stick/level1" "$stick/level1/level2" "$stick/level1/level2/level3"; do
        echo "in $folder" >"$folder/file.txt"
        echo "system in $folder" >"$folder/system.dat"
    done
    echo old >"$stick/RECYCLER.old"
    echo farsi >"$stick/$farsi"
    for reserved in "sYsTeM vOlUmE iNfOrMaTiOn" "\$rEcYcLe.BiN" "level1/ReCyClEr"; do
        echo kept >"$stick/$reserved/kept.txt"
        hide hs "$stick/$reserved/kept.txt"
        hide hs "$stick/$reserved"
    done
    for folder in "$stick" "$stick/level1" "$stick/level1/level2" "$stick/level1/level2/level3"; do
        hide hr "$folder/file.txt"
        hide hs "$folder/system.dat"
    done
    hide h "$stick/RECYCLER.old"
    hide h "$stick/$farsi"
    hide hs "$stick/level1"
    hide h "$stick/level1/level2"
    hide hs "$stick/level1/level2/level3"
    hide h "$stick"
}

echo "-- vantrelle-cli.exe, normal mode"
populate
check "attrib hid a file" HS "$(flags_of "$stick/level1/system.dat")"
check "attrib hid a folder" HS "$(flags_of "$stick/level1")"
before="$(fingerprint "$stick")"
run_cli --on-error=stop "$(winpath "$stick")"
check "normal mode exit status" 0 "$status"
check "normal mode outcome" "$SUCCESS_TEXT" "$(cat "$work/out")"
check "normal mode prompts" "" "$(cat "$work/err.txt")"
check "normal mode: what attrib shows afterwards" "\
\$rEcYcLe.BiN HS
\$rEcYcLe.BiN\\kept.txt HS
RECYCLER.old 
file.txt 
level1 
level1\\ReCyClEr HS
level1\\ReCyClEr\\kept.txt HS
level1\\file.txt HR
level1\\level2 H
level1\\level2\\file.txt HR
level1\\level2\\level3 HS
level1\\level2\\level3\\file.txt HR
level1\\level2\\level3\\system.dat HS
level1\\level2\\system.dat HS
level1\\system.dat HS
sYsTeM vOlUmE iNfOrMaTiOn HS
sYsTeM vOlUmE iNfOrMaTiOn\\kept.txt HS
system.dat " "$(flags_below "$stick" | grep -v '^?')"
check "normal mode resets a Farsi name" "" "$(flags_of "$stick/$farsi")"
check "normal mode leaves the folder itself hidden" H "$(flags_of "$stick")"
check "normal mode changes no name or content" "$before" "$(fingerprint "$stick")"

echo "-- vantrelle-cli.exe, recursive mode"
populate
run_cli --recursive --on-error=stop "$(winpath "$stick")"
check "recursive mode exit status" 0 "$status"
check "recursive mode outcome" "$SUCCESS_TEXT" "$(cat "$work/out")"
check "recursive mode prompts" "" "$(cat "$work/err.txt")"
check "recursive mode: what attrib shows afterwards" "\
\$rEcYcLe.BiN 
\$rEcYcLe.BiN\\kept.txt HS
RECYCLER.old 
file.txt 
level1 
level1\\ReCyClEr 
level1\\ReCyClEr\\kept.txt HS
level1\\file.txt 
level1\\level2 
level1\\level2\\file.txt 
level1\\level2\\level3 
level1\\level2\\level3\\file.txt 
level1\\level2\\level3\\system.dat 
level1\\level2\\system.dat 
level1\\system.dat 
sYsTeM vOlUmE iNfOrMaTiOn 
sYsTeM vOlUmE iNfOrMaTiOn\\kept.txt HS
system.dat " "$(flags_below "$stick" | grep -v '^?')"
check "recursive mode resets a Farsi name" "" "$(flags_of "$stick/$farsi")"
check "recursive mode leaves the folder itself hidden" H "$(flags_of "$stick")"
check "recursive mode changes no name or content" "$before" "$(fingerprint "$stick")"

echo "-- a drive root: the entries' paths hold two backslashes after T:\\"
drive="$work/drive"
mkdir -p "$drive/folder"
echo a >"$drive/a.txt"
echo b >"$drive/folder/b.txt"
ln -s "$drive" "$WINEPREFIX/dosdevices/t:"
hide_raw 0x22 "$drive/a.txt" "$drive/folder/b.txt"
hide_raw 0x12 "$drive/folder"
run_cli --on-error=stop 'T:\'
check "normal mode on a drive root: exit status" 0 "$status"
check "normal mode on a drive root: entries reset, contents kept" "0 0 2" \
    "$(dos_bits "$drive/a.txt") $(dos_bits "$drive/folder") $(dos_bits "$drive/folder/b.txt")"
hide_raw 0x22 "$drive/a.txt"
hide_raw 0x12 "$drive/folder"
# Started inside T:\folder, so that the drive's current folder is not its root: a bare
# drive still names the root, as the main window's drive list gives it.
(cd "$drive/folder" && run_cli --recursive --on-error=stop 'T:' && echo "$status" >"$work/status")
status="$(cat "$work/status")"
check "recursive mode on a drive: exit status" 0 "$status"
check "recursive mode on a drive: everything reset" "0 0 0" \
    "$(dos_bits "$drive/a.txt") $(dos_bits "$drive/folder") $(dos_bits "$drive/folder/b.txt")"

hide_raw 0x22 "$drive/a.txt"
# "T:\" typed in quotes reaches the program as T:" by the command-line rules.
run_cli --on-error=stop 'T:"'
check "a quoted drive root: exit status" 0 "$status"
check "a quoted drive root: its entries reset" 0 "$(dos_bits "$drive/a.txt")"

mkdir "$work/empty-drive"
ln -s "$work/empty-drive" "$WINEPREFIX/dosdevices/u:"
run_cli --recursive 'U:\'
check "recursive mode on an empty drive: exit status" 0 "$status"
run_cli 'U:\'
check "normal mode on an empty drive: exit status" 0 "$status"
check "normal mode on an empty drive: prompts" "" "$(cat "$work/err.txt")"

echo "-- a path over 260 characters"
deep="$work/long"
segment="a-folder-name-of-forty-characters-here--"
path="$deep"
while (($(printf '%s' "$(winpath "$path")" | wc -c) < 300)); do path="$path/$segment"; done
mkdir -p "$path"
echo deep >"$path/deep.txt"
hide_raw 0x22 "$path/deep.txt"
hide_raw 0x12 "$path"
hide_raw 0x16 "$deep/$segment"
winlong="$(winpath "$path")"
check "the deepest file's Windows path is over 260 characters" yes \
    "$( (($(printf '%s' "$winlong\\deep.txt" | wc -c) > 260)) && echo yes || echo no)"
run_cli "$winlong"
check "normal mode on the long path: exit status" 0 "$status"
check "normal mode on the long path resets the file" 0 "$(dos_bits "$path/deep.txt")"
hide_raw 0x22 "$path/deep.txt"
run_cli --recursive "$(winpath "$deep")"
check "recursive mode through the long path: exit status" 0 "$status"
check "recursive mode through the long path: prompts" "" "$(cat "$work/err.txt")"
hidden_left=0
while IFS= read -r -d '' entry; do
    (($(dos_bits "$entry") != 0)) && hidden_left=$((hidden_left + 1))
done < <(find "$deep" -mindepth 1 -print0)
check "recursive mode leaves nothing hidden below the long path" 0 "$hidden_left"

echo "-- names holding a separator, as Wine shows such Linux names"
# From tree, "..\..\victim.txt" would name a/victim.txt and "..\..\outside" the folder
# a/outside; "\" would name tree itself and make the recursive walk endless.
separators="$work/separators"
mkdir -p "$separators/a/b/tree" "$separators/a/outside"
echo victim >"$separators/a/victim.txt"
echo inner >"$separators/a/outside/inner.txt"
touch "$separators/a/b/tree/..\\..\\victim.txt"
mkdir "$separators/a/b/tree/..\\..\\outside" "$separators/a/b/tree/\\"
hide_raw 0x22 "$separators/a/victim.txt" "$separators/a/outside/inner.txt"
hide_raw 0x12 "$separators/a/b/tree" "$separators/a/outside"
for mode in "" --recursive; do
    timeout 120 wine "$cli" -q $mode --on-error=continue "$(winpath "$separators/a/b/tree")" \
        2>"$work/err" </dev/null | tr -d '\r' >"$work/out"
    status="${PIPESTATUS[0]}"
    check "separators ${mode:-normal}: the walk ends and reports errors" 1 "$status"
    check "separators ${mode:-normal}: each such name is refused with error 123" yes \
        "$( (($(grep -c ': Error 123: ' "$work/err") >= 3)) && echo yes || echo no)"
    check "separators ${mode:-normal}: nothing outside the tree changes" "2 2 2" \
        "$(dos_bits "$separators/a/victim.txt") $(dos_bits "$separators/a/outside/inner.txt") \
$(dos_bits "$separators/a/outside")"
    check "separators ${mode:-normal}: the given folder keeps its attributes" 2 \
        "$(dos_bits "$separators/a/b/tree")"
done

echo "-- the help"
run_cli '/?'
check "/? shows the help" 0 "$status"
check_contains "/? shows the usage" "Usage: vantrelle-cli [-r|--recursive]" "$(cat "$work/out")"
check "a build without the update check does not offer it" "" "$(grep -e --check-update "$work/out")"
run_cli '-?'
check "-? shows the help" 0 "$status"
check_contains "-? names attrib's switches" "-r, --recursive, /S, /D" "$(cat "$work/out")"
run_cli --version
check "--version: exit status" 0 "$status"
check_contains "--version" "vantrelle-cli (Vantrelle) 1.0" "$(cat "$work/out")"

echo "-- attrib's habits: /S and /D, several PATHs, a drive root's separator not doubled"
for switch in /S /d; do
    populate
    run_cli "$switch" --on-error=stop "$(winpath "$stick")"
    check "$switch: exit status" 0 "$status"
    check "$switch walks the sub-folders" "" "$(flags_of "$stick/level1/level2/level3/file.txt")"
done
hide_raw 0x22 "$drive/a.txt"
touch "$drive/bad\\name"
run_cli --on-error=continue 'T:\' "$(winpath "$work/missing")" 'U:\'
check "several PATHs: the worst exit status" 1 "$status"
check "several PATHs: an outcome for each folder" "T:\\: $ERRORS_TEXT
U:\\: $SUCCESS_TEXT" "$(cat "$work/out")"
check "several PATHs: each failure in one line, T:\\ not doubled" \
    "vantrelle-cli: T:\\bad\\name: Error 123: $(sed -n 's/^vantrelle-cli: T:\\bad\\name: Error 123: //p' "$work/err.txt")
vantrelle-cli: $(winpath "$work/missing"): no such folder" "$(cat "$work/err.txt")"
check "several PATHs: T:\\ repaired" 0 "$(dos_bits "$drive/a.txt")"
rm "$drive/bad\\name"

echo "-- the memory of a deep walk"
# Wine's cost per path grows with the square of its depth: 2,000 levels take 15 to 25
# minutes here, so the stage walks 800, where a walk holding each level's whole path
# already passes 16 MB (17.4 MB); bench/run.sh measures the 2,000.
timeout 600 wine "$build/bench/deep_walk.exe" 800 | tr -d '\r' | tee "$work/deep"
check "a walk 800 levels deep stays within 16 MB" 0 "${PIPESTATUS[0]}"

echo "-- a missing path"
missing="$(winpath "$work/missing")"
for mode in "" --recursive; do
    run_cli $mode "$missing"
    check "${mode:-normal} mode, missing path: exit status" 1 "$status"
    check "${mode:-normal} mode, missing path: no outcome" "" "$(cat "$work/out")"
    check "${mode:-normal} mode, missing path: said in one line" \
        "vantrelle-cli: $missing: no such folder" "$(cat "$work/err.txt")"
done
# Wine's folder model finds no folder by a file's name; its listing takes the name
# for an invalid one.
for mode in "" --recursive; do
    run_cli $mode "$(winpath "$stick/file.txt")"
    check "${mode:-normal} mode, a file as PATH: exit status" 1 "$status"
    check "${mode:-normal} mode, a file as PATH: no outcome" "" "$(cat "$work/out")"
    check_contains "${mode:-normal} mode, a file as PATH: said in one line" \
        "vantrelle-cli: $(winpath "$stick/file.txt"): no" "$(cat "$work/err.txt")"
    check "${mode:-normal} mode, a file as PATH: one line" 1 "$(wc -l <"$work/err.txt")"
done

echo "-- Unicode names on a console and through a pipe"
unseen="$(winpath "$work/$farsi")"
run_cli "$unseen"
check_contains "a Farsi name reaches a pipe as UTF-8" "vantrelle-cli: $unseen: " "$(cat "$work/err.txt")"
script -qec "wine '$cli' '$unseen'" /dev/null </dev/null | tr -d '\r' >"$work/console"
# Wine's console draws the spaces between words as cursor moves; the name comes whole.
check_contains "a Farsi name reaches the console" "$unseen" "$(cat "$work/console")"

# --- 3. the two builds agree -----------------------------------------------------
echo "-- the Linux and the Windows builds agree"
if [[ -x "$linux_cli" ]]; then
    agree="$work/agree"
    mkdir -p "$agree/sub"
    echo a >"$agree/a.txt"
    echo b >"$agree/sub/b.txt"
    hide hs "$agree/a.txt"
    hide h "$agree/sub/b.txt"
    hide hs "$agree/sub"
    "$linux_cli" --recursive --on-error=stop "$agree" >/dev/null 2>"$work/err"
    check "Linux build over entries Wine hid: exit status" 0 $?
    check "Wine sees what the Linux build reset" "a.txt 
sub 
sub\\b.txt " "$(flags_below "$agree")"

    hide_raw 0x26 "$agree/a.txt"
    hide_raw 0x22 "$agree/sub/b.txt"
    hide_raw 0x16 "$agree/sub"
    check "Wine sees what Linux hid" HS "$(flags_of "$agree/sub")"
    run_cli --recursive --on-error=stop "$(winpath "$agree")"
    check "Windows build over entries Linux hid: exit status" 0 "$status"
    for entry in a.txt sub sub/b.txt; do
        check "Linux sees $entry visible after the Windows build" 0 "$(dos_bits "$agree/$entry")"
    done
    "$linux_cli" --recursive --on-error=stop "$agree" >/dev/null 2>"$work/err"
    check "the Linux build then finds every entry normal already" \
        "vantrelle-cli: $agree: 0 reset, 3 already normal, 0 failed, 0 reserved folders left alone" \
        "$(cat "$work/err")"
else
    echo "FAIL: $linux_cli is missing: build build/ first (scripts/test.sh does)"
    failures=$((failures + 1))
    checks=$((checks + 1))
fi

finish
