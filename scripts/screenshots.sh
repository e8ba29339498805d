#!/usr/bin/env bash
# Starts the real program on a virtual X display, clicks through it as a user would and
# saves pictures in OUTDIR (docs/screenshots by default):
#   welcome-en, main-en, warning-en, prompt-en, outcome-en   English, recursive repair
#   welcome-fa, main-fa, warning-fa, outcome-fa              Farsi, normal repair
#   system-drive-{en,fa}                                      Start on the system's drive
#   update-{en,fa}-{waiting,verdict}                          the update window
# The drive is an ext4 image labelled STICK with hidden entries, mounted at /media/STICK
# inside a mount namespace of this script's own: the machine's mounts do not change.
# It checks on the way that the program really repaired the stick in both languages and
# ends with "N passed, M failed", so the tests run it as a stage. Needs root (for the
# loop device); asks sudo otherwise.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
outdir="$(realpath -m "${1:-$root/docs/screenshots}")"

if [[ -z "${VANTRELLE_SCREENSHOTS_INSIDE:-}" ]]; then
    "$root/scripts/setup.sh"
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$root/build" -j "$(nproc)" --target vantrelle update_window_screenshot >/dev/null
    sudo=()
    if ((EUID != 0)); then
        sudo=(sudo)
    fi
    exec "${sudo[@]}" env VANTRELLE_SCREENSHOTS_INSIDE=1 \
        unshare --mount --propagation private "$BASH" "${BASH_SOURCE[0]}" "$outdir"
fi

source "$root/tests/support/volume_test_lib.sh"
source "$root/tests/support/click_through_lib.sh"
set +e  # a failed check is counted, not fatal

program="$root/build/vantrelle"
readonly STICK=/media/STICK
xpids=()

make_workdir
trap 'for pid in "${xpids[@]}"; do kill "$pid" 2>/dev/null; done; cleanup' EXIT
mkdir -p "$outdir"

fail_now() {
    echo "screenshots: $*"
    echo "$((checks - failures)) passed, $((failures + 1)) failed"
    exit 1
}

# ---- the stick ------------------------------------------------------------------------

# /media gets a tmpfs of its own first, so the stick is the only removable volume.
mount -t tmpfs -o mode=755 vantrelle-media /media || fail_now "cannot mount a tmpfs on /media"
mounts+=(/media)
truncate -s 32M "$work/stick.img"
mkfs.ext4 -q -L STICK "$work/stick.img" || fail_now "mkfs.ext4 failed"
mkdir "$STICK"
mount -o loop "$work/stick.img" "$STICK" || fail_now "cannot mount the stick image (no loop device?)"
mounts+=("$STICK")

# What the malware leaves: folders and files hidden (Wine's form of user.DOSATTRIB), and
# one entry whose value no program wrote, which the repair must refuse and report.
hide_everything() {
    setfattr -n user.DOSATTRIB -v "\"0x16\"" "$STICK/Photos" "$STICK/Documents"
    setfattr -n user.DOSATTRIB -v "\"0x22\"" "$STICK/Photos/holiday.jpg" "$STICK/notes.txt"
    setfattr -n user.DOSATTRIB -v "\"0x27\"" "$STICK/Documents/report.odt"
    setfattr -n user.DOSATTRIB -v junk "$STICK/autorun.inf"
}
mkdir "$STICK/Photos" "$STICK/Documents"
echo "beach" >"$STICK/Photos/holiday.jpg"
echo "report" >"$STICK/Documents/report.odt"
echo "notes" >"$STICK/notes.txt"
echo "[autorun]" >"$STICK/autorun.inf"
hide_everything || fail_now "the stick's file system keeps no user.DOSATTRIB"

attribute() {
    getfattr --absolute-names --only-values -n user.DOSATTRIB "$STICK/$1" 2>/dev/null |
        tr -d '\0'
}

# ---- the display ----------------------------------------------------------------------

Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" \
    2>"$work/xvfb.log" &
xpids+=($!)
for _ in $(seq 50); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || fail_now "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# A window manager draws the title bars, with only the buttons each window asks for.
cat >"$work/fluxbox-init" <<'EOF'
session.screen0.titlebar.left:
session.screen0.titlebar.right: Minimize Maximize Close
session.screen0.toolbar.visible: false
session.screen0.workspaces: 1
session.styleFile: /usr/share/fluxbox/styles/Squared_blue
EOF
HOME="$work" fluxbox -rc "$work/fluxbox-init" >"$work/fluxbox.log" 2>&1 &
xpids+=($!)
sleep 1

# ---- screen readers -------------------------------------------------------------------

# A session bus with the accessibility bus beside it, as on a desktop, so that the tree a
# screen reader reads (AT-SPI) can be read back.
a11y=""
if command -v dbus-daemon gdbus >/dev/null && [[ -x /usr/libexec/at-spi-bus-launcher ]]; then
    { read -r bus; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 \
        --print-pid=1 2>"$work/dbus.log")
    xpids+=("$bus_pid")
    export DBUS_SESSION_BUS_ADDRESS="$bus"
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/at-spi.log" 2>&1 &
    xpids+=($!)
    for _ in $(seq 50); do
        a11y="$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
            --method org.a11y.Bus.GetAddress 2>/dev/null | sed -n "s/^('\(.*\)',)$/\1/p")"
        [[ -n "$a11y" ]] && break
        sleep 0.1
    done
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
fi

# A screen reader finds a label named exactly $2 (line breaks written \n).
reads_label() {
    local found=missing
    if [[ -z "$a11y" ]]; then
        found="no accessibility bus"
    elif "$root/tests/support/accessible_tree.py" "$a11y" >"$work/tree" 2>"$work/tree.log" &&
        grep -qxF "label	$2" "$work/tree"; then
        found=read
    fi
    check "a screen reader reads $1" read "$found"
}

# ---- the clicks -----------------------------------------------------------------------

# Ends the program through its menu ("Menu" or "فهرست", then its last item, Exit).
exit_through_menu() {
    local window="$1" menu="$2" pid="$3"
    xdotool mousemove --window "$window" 20 $((menu / 2)) click 1
    sleep 0.3
    xdotool key Up Return
    for _ in $(seq 50); do
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
    (cd "$STICK" && exec "$program") >"$work/program.log" 2>&1 &
    pid=$!
    welcome="$(wait_window Vantrelle)" || fail_now "no welcome window: $(cat "$work/program.log")"
}

# ---- English: both boxes, recursive repair --------------------------------------------

echo "-- English"
start_program
shoot "$welcome" welcome-en
reads_label "the explanation" "This is a free application to help you fix files which are hidden becuase of malwares.\nPlease first scan your device with an anti-virus program , Then run this app to fix your files."
click "$welcome" 0 5760 4680 1215 375                      # Continue
main="$(wait_window Vantrelle "$welcome")" || fail_now "Continue opened no main window"
still_there="$(xdotool search --onlyvisible --name '^Vantrelle$' | grep -c "^$welcome\$")"
check "Continue unloads the welcome window" 0 "$still_there"
menu="$(menu_height "$main" 4980)"
click "$main" "$menu" 240 600 1215 375 ltr                 # Check1, Special path
click "$main" "$menu" 240 960 3015 495 ltr                 # Check2, recursive
answer_box Warning Return warning-en
shoot "$main" main-en
reads_label "the path display" "Path: \n$STICK"
click "$main" "$menu" 4680 4320 1215 375                   # Start
reads_label "the status, during the repair" "Fixing Files ...\nThis might take a while , Please wait"
answer_box "Error 22" Return prompt-en
answer_box Done Return outcome-en
check "Photos, recursive" 0x10 "$(attribute Photos)"
check "Photos/holiday.jpg, recursive" 0x0 "$(attribute Photos/holiday.jpg)"
check "Documents, recursive" 0x10 "$(attribute Documents)"
check "Documents/report.odt, recursive" 0x0 "$(attribute Documents/report.odt)"
check "notes.txt, recursive" 0x0 "$(attribute notes.txt)"
check "autorun.inf, refused and kept" junk "$(attribute autorun.inf)"
click "$main" "$menu" 240 960 3015 495 ltr                 # Check2 cleared: no warning
system_drive "$main" "$menu" 1320 4680 4320 Warning system-drive-en
exit_through_menu "$main" "$menu" "$pid"

# ---- Farsi: the warning declined, normal repair ---------------------------------------

echo "-- Farsi"
hide_everything
start_program
click "$welcome" 0 6240 480 255 495 rtl                    # Option2, Farsi
shoot "$welcome" welcome-fa
click "$welcome" 0 5760 4680 1215 375                      # Continue (ادامه)
main="$(wait_window Vantrelle "$welcome")" || fail_now "Continue opened no main window"
menu="$(menu_height "$main" 5025)"
click "$main" "$menu" 3240 960 2655 255 rtl                # Check2, recursive
answer_box "هشدار" Escape warning-fa
shoot "$main" main-fa
click "$main" "$menu" 360 4440 1215 375                    # Start (شروع)
answer_box "Error 22" Return
answer_box Done Return outcome-fa
check "Photos, normal" 0x10 "$(attribute Photos)"
check "Photos/holiday.jpg, normal: not reached" 0x22 "$(attribute Photos/holiday.jpg)"
check "notes.txt, normal" 0x0 "$(attribute notes.txt)"
check "autorun.inf, normal: refused and kept" junk "$(attribute autorun.inf)"
system_drive "$main" "$menu" 3480 360 4440 "هشدار" system-drive-fa
exit_through_menu "$main" "$menu" "$pid"

# ---- the update window ----------------------------------------------------------------

echo "-- the update window"
if "$root/build/tests/update/window/update_window_screenshot" "$outdir" >"$work/update.log" 2>&1
then
    check "update window pictures" saved saved
    cat "$work/update.log"
else
    check "update window pictures" saved "$(cat "$work/update.log")"
fi

finish
