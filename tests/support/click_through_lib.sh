# Clicking through a program's windows on a virtual display as a user would, with xdotool,
# and taking their pictures. Sourced after volume_test_lib.sh (for `check`); the caller
# sets `outdir` and may set `box_inset`, how far into a check box or an option button its
# box lies from the control's side, in pixels.

box_inset="${box_inset:-8}"

# The id of the visible window titled exactly $1 other than $2, once there is one.
wait_window() {
    local title="$1" other="${2:-}" id
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
            if [[ "$id" != "$other" ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

wait_gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

shoot() {
    local window="$1" name="$2"
    sleep 1  # mapped is not yet painted
    if import -frame -window "$window" "$outdir/$name.png" 2>"$work/import.log"; then
        check "picture $name" saved saved
        echo "$outdir/$name.png"
    else
        check "picture $name" saved "$(cat "$work/import.log")"
    fi
}

# Clicks a control given in twips (15 to the pixel at 96 DPI) inside a window's client
# area, which starts $2 pixels below the window's top (the menu bar). A check box or an
# option button is clicked on its box: on the left, or on the right (rtl) in Farsi.
click() {
    local window="$1" menu="$2" left="$3" top="$4" width="$5" height="$6" side="${7:-middle}"
    local x=$(((left + width / 2) / 15)) y=$((menu + (top + height / 2) / 15))
    case "$side" in
        ltr) x=$((left / 15 + box_inset)) ;;
        rtl) x=$(((left + width) / 15 - box_inset)) ;;
    esac
    xdotool mousemove --window "$window" "$x" "$y" click 1
    sleep 0.5
}

# Height of the menu bar: the window's height less its client area's ($2 twips).
menu_height() {
    local height
    height="$(xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')"
    echo $((height - $2 / 15))
}

# Answers the message box titled $1 with a key (Return: the default button, Yes or OK;
# Escape: No), after taking its picture when $3 names one.
answer_box() {
    local title="$1" key="$2" picture="${3:-}" box
    if ! box="$(wait_window "$title")"; then
        check "a message box titled $title" shown missing
        return 1
    fi
    check "a message box titled $title" shown shown
    [[ -n "$picture" ]] && shoot "$box" "$picture"
    xdotool windowactivate --sync "$box" key --clearmodifiers "$key"
    wait_gone "$title" || check "the box $title goes away" gone open
}
