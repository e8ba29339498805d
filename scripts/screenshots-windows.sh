#!/usr/bin/env bash
# Starts build-win/Vantrelle.exe under Wine on a virtual X display, clicks through it as a
# user would and saves pictures in OUTDIR (docs/screenshots/windows by default):
#   welcome-en, main-en, warning-en, prompt-en, outcome-en   English, Special path, recursive
#   welcome-fa, main-fa, warning-fa, outcome-fa              Farsi, warning declined, normal
#   system-drive-{en,fa}                                      Start on C:, declined
#   update-{en,fa}-{verdict,empty,refused}                   the update window of each language
# The drive is T:, a temporary folder whose entries Wine's own attrib hid; one of them,
# autorun.inf, is made immutable (chattr +i, as root), so that Wine cannot reset it and a
# real repair prompt appears. The update
# window reaches the loopback server of build/ on 127.0.0.1, given to Wine as its proxy.
# Checks with attrib what became visible and ends with "N passed, M failed".
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
outdir="$(realpath -m "${1:-$root/docs/screenshots/windows}")"
source "$root/tests/support/volume_test_lib.sh"
box_inset=7
source "$root/tests/support/click_through_lib.sh"
source "$root/tests/support/wine_display_lib.sh"

program="$root/build-win/Vantrelle.exe"
server="$root/build/tests/support/loopback_http_serve"
site="$(sed -n 's/^VANTRELLE_SITE_HOST:STRING=//p' "$root/build-win/CMakeCache.txt")"
update_url="http://$site/appupdate/vtr/vtr.auf"

make_workdir
server_pid=""
trap '[[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null; stop_display
      chattr -i "$work/stick/autorun.inf" 2>/dev/null; cleanup' EXIT
mkdir -p "$outdir"

fail_now() {
    echo "screenshots-windows: $*"
    echo "$((checks - failures)) passed, $((failures + 1)) failed"
    exit 1
}

[[ -x "$program" ]] || fail_now "$program is missing: build build-win/ first"
[[ -x "$server" ]] || fail_now "$server is missing: build build/ first"
start_display || fail_now "Xvfb did not start: $(cat "$work/xvfb.log")"
export LC_ALL=C.UTF-8
start_wine || fail_now "wineboot failed"

# ---- the stick ------------------------------------------------------------------------
stick="$work/stick"
mkdir -p "$stick/Photos" "$stick/Documents"
echo beach >"$stick/Photos/holiday.jpg"
echo report >"$stick/Documents/report.odt"
echo notes >"$stick/notes.txt"
echo "[autorun]" >"$stick/autorun.inf"
ln -s "$stick" "$WINEPREFIX/dosdevices/t:"
# A removable drive, as a stick is: the drive list starts on it.
wine reg add 'HKLM\Software\Wine\Drives' /v 't:' /d floppy /f >/dev/null 2>&1
wineserver -w

hide() {
    local letters="$1" entry="$2" folder=() i
    [[ -d "$entry" ]] && folder=(/d)
    for ((i = 0; i < ${#letters}; i++)); do
        wine attrib "+${letters:i:1}" "${folder[@]}" "T:\\$entry" >/dev/null 2>&1
    done
}
hide_everything() {
    hide hs Photos
    hide hs Documents
    hide h 'Photos\holiday.jpg'
    hide h notes.txt
    hide hsr 'Documents\report.odt'
}
# The letters attrib shows for T:\$1, Archive left out.
flags_of() {
    local line
    line="$(wine attrib /d "T:\\$1" 2>/dev/null | tr -d '\r' | head -1)"
    line="${line%%T:\\*}"
    line="${line//A/}"
    line="${line// /}"
    [[ -n "$line" ]] && printf '%s' "$line" | fold -w1 | LC_ALL=C sort | tr -d '\n'
    true
}
hide_everything
check "attrib hid Photos" HS "$(flags_of Photos)"
hide hs autorun.inf
# An immutable file keeps its extended attributes, where Wine keeps DOS attributes.
if chattr +i "$stick/autorun.inf" 2>"$work/chattr.log"; then
    locked=1
else
    locked=0
    echo "screenshots-windows: no entry that cannot be reset ($(cat "$work/chattr.log")); no repair prompt"
fi

# ---- the clicks -----------------------------------------------------------------------
# Opens the update window from the menu (its first item), waits for the verdict and
# takes its picture, then closes it with its Close button.
update_window() {
    local window="$1" menu="$2" title="$3" picture="$4" close_left="$5" update
    xdotool mousemove --window "$window" 20 $((menu / 2)) click 1
    sleep 0.5
    xdotool key Down Return
    if ! update="$(wait_window "$title")"; then
        check "the update window $title opens" open missing
        return 1
    fi
    sleep 4  # the verdict
    shoot "$update" "$picture"
    click "$update" 0 "$close_left" 2160 1215 375
    wait_gone "$title" || check "Close closes $title" closed open
}

# The program reads its proxy once, at its start: one server a run, told to answer with
# an empty body (SIGUSR1) and then stopped, so that its port refuses the connection.
serve() {
    "$server" "$update_url" good >"$work/server" 2>"$work/server.log" &
    server_pid=$!
    for _ in $(seq 50); do
        (($(wc -l <"$work/server") >= 2)) && break
        sleep 0.1
    done
    export http_proxy="$(sed -n 1p "$work/server")"
}
serve_empty() { kill -USR1 "$server_pid"; sleep 0.2; }
refuse() {
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    server_pid=""
}

exit_through_menu() {
    local window="$1" menu="$2"
    xdotool mousemove --window "$window" 20 $((menu / 2)) click 1
    sleep 0.5
    xdotool key Up Return
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        check "Exit ends the program" ended running
        kill "$pid"
    else
        wait "$pid"
        check "Exit ends the program with status 0" 0 "$?"
    fi
}

# The system's own drive, chosen in the drive list (the entry after the stick): Start asks
# first, and No leaves it alone, with no outcome box. Escape answers, whatever the default.
system_drive() {
    local window="$1" menu="$2" drive_left="$3" start_left="$4" start_top="$5" title="$6"
    click "$window" "$menu" "$drive_left" 120 1575 315         # Drive1
    xdotool key Down Return
    sleep 0.5
    click "$window" "$menu" "$start_left" "$start_top" 1215 375  # Start
    answer_box "$title" Escape "$7"
    sleep 1
    local outcome=none
    xdotool search --onlyvisible --name '^Done$' >/dev/null 2>&1 && outcome=shown
    check "No on the system drive: nothing repaired, no outcome" none "$outcome"
}

start_program() {
    (cd "$stick" && exec wine "$program") >"$work/program.log" 2>&1 &
    pid=$!
    welcome="$(wait_window Vantrelle)" || fail_now "no welcome window: $(cat "$work/program.log")"
}

serve

echo "-- English"
start_program
shoot "$welcome" welcome-en
click "$welcome" 0 5760 4680 1215 375                      # Continue
main="$(wait_window Vantrelle "$welcome")" || fail_now "Continue opened no main window"
menu="$(menu_height "$main" 4980)"
click "$main" "$menu" 240 600 1215 375 ltr                 # Check1, Special path
click "$main" "$menu" 240 960 3015 495 ltr                 # Check2, recursive
answer_box Warning Return warning-en
shoot "$main" main-en
click "$main" "$menu" 4680 4320 1215 375                   # Start
((locked)) && answer_box "Error [0-9]*" Return prompt-en
answer_box Done Return outcome-en
((locked)) && check "autorun.inf, which could not be reset, is still hidden" HS "$(flags_of autorun.inf)"
check "Photos, recursive" "" "$(flags_of Photos)"
check "Photos\\holiday.jpg, recursive" "" "$(flags_of 'Photos\holiday.jpg')"
check "Documents\\report.odt, recursive" "" "$(flags_of 'Documents\report.odt')"
check "notes.txt, recursive" "" "$(flags_of notes.txt)"
click "$main" "$menu" 240 960 3015 495 ltr                 # Check2 cleared: no warning
system_drive "$main" "$menu" 1320 4680 4320 Warning system-drive-en
update_window "$main" "$menu" Update update-en-verdict 5160
serve_empty
update_window "$main" "$menu" Update update-en-empty 5160
refuse
update_window "$main" "$menu" Update update-en-refused 5160
exit_through_menu "$main" "$menu"

echo "-- Farsi"
serve
hide_everything
start_program
click "$welcome" 0 6240 480 255 495 rtl                    # Option2, Farsi
shoot "$welcome" welcome-fa
click "$welcome" 0 5760 4680 1215 375                      # Continue
main="$(wait_window Vantrelle "$welcome")" || fail_now "Continue opened no main window"
menu="$(menu_height "$main" 5025)"
click "$main" "$menu" 3240 960 2655 255 rtl                # Check2, recursive
answer_box "هشدار" Escape warning-fa
shoot "$main" main-fa
click "$main" "$menu" 360 4440 1215 375                    # Start
((locked)) && answer_box "Error [0-9]*" Return
answer_box Done Return outcome-fa
check "Photos, normal" "" "$(flags_of Photos)"
check "Photos\\holiday.jpg, normal: not reached" H "$(flags_of 'Photos\holiday.jpg')"
check "notes.txt, normal" "" "$(flags_of notes.txt)"
system_drive "$main" "$menu" 3480 360 4440 "هشدار" system-drive-fa
fa_update="$(printf '\u0628\u0647 \u0631\u0648\u0632 \u0631\u0633\u0627\u0646\u064A')"
update_window "$main" "$menu" "$fa_update" update-fa-verdict 240
serve_empty
update_window "$main" "$menu" "$fa_update" update-fa-empty 240
refuse
update_window "$main" "$menu" "$fa_update" update-fa-refused 240
exit_through_menu "$main" "$menu"

finish
