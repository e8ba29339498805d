#!/usr/bin/env bash
# A stick pulled out mid-repair: an NTFS image mounted with ntfs-3g in the test's own
# temporary folder, 20,000 hidden files, the ntfs-3g process killed while
# `vantrelle-cli --on-error=continue` repairs the volume root in normal mode. From then
# on the next-name step and the reset of the same entry fail by turns, with two texts;
# the run must end, with exit status 1, in seconds, and say that it gave up.
# Usage: ntfs_pulled_out_test.sh VANTRELLE_CLI [sanitized]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../support/volume_test_lib.sh"

cli="$(realpath "$1")"
[[ "${2:-}" == "sanitized" ]] && skip "real-volume tests run in the plain build"
for tool in mkntfs ntfs-3g setfattr timeout; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
((EUID == 0)) || skip "mounting with ntfs-3g needs root"
[[ -c /dev/fuse ]] || skip "FUSE is not available (/dev/fuse)"

make_workdir
image="$work/volume.img"
mnt="$work/mnt"
mkdir "$mnt"
truncate -s 96M "$image"
mkntfs -F -f -q "$image" >/dev/null 2>&1 || { echo "FAIL: mkntfs"; exit 1; }
# In the foreground, so that the test knows which process to kill.
ntfs-3g -o no_detach "$image" "$mnt" >"$work/ntfs-3g.log" 2>&1 &
driver=$!
mounts+=("$mnt")
for _ in $(seq 50); do mountpoint -q "$mnt" && break; sleep 0.1; done
mountpoint -q "$mnt" || { echo "FAIL: mounting with ntfs-3g"; exit 1; }

readonly count=20000
(cd "$mnt" && seq -f 'f%05g' "$count" | xargs touch)
seq -f 'f%05g' "$count" |
    awk -v mnt="$mnt" '{ print "# file: " mnt "/" $1 "\nsystem.ntfs_attrib_be=0x00000022\n" }' \
        >"$work/hidden.dump"
setfattr --restore="$work/hidden.dump" || { echo "FAIL: hiding the files"; exit 1; }

started=$SECONDS
timeout 60 "$cli" -q --on-error=continue "$mnt/" >"$work/out" 2>"$work/err" &
repair=$!
sleep 0.4
kill -KILL "$driver"
wait "$repair"
status=$?
took=$((SECONDS - started))

check "the repair ends by itself (124: killed after 60 s)" 1 "$status"
check "within seconds" yes "$( ((took <= 15)) && echo yes || echo "no: $took s")"
check "outcome" "$ERRORS_TEXT" "$(cat "$work/out")"
check_contains "the failures are told" ": Error 107: " "$(cat "$work/err")"
check "it says it gave up on the entry" yes \
    "$(tail -1 "$work/err" | grep -q ': failed 5 times in a row: giving up$' && echo yes)"
check "one line per failure, far fewer than the entries" yes \
    "$( (($(wc -l <"$work/err") < count / 4)) && echo yes)"
tail -3 "$work/err"

finish
