# A virtual X display with a window manager and a fresh Wine prefix, for the tests and
# pictures of the Windows program. Sourced after volume_test_lib.sh (make_workdir has run);
# `stop_display` ends what `start_display` started and belongs in the caller's EXIT trap.

display_pids=()

# Xvfb on a display number nobody else uses (-displayfd lets the server pick it), then
# fluxbox for title bars with only the buttons each window asks for.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" \
        2>"$work/xvfb.log" &
    display_pids+=($!)
    for _ in $(seq 50); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    [[ -s "$work/display" ]] || return 1
    export DISPLAY=":$(head -1 "$work/display")"
    unset WAYLAND_DISPLAY
    cat >"$work/fluxbox-init" <<'INIT'
session.screen0.titlebar.left:
session.screen0.titlebar.right: Minimize Maximize Close
session.screen0.toolbar.visible: false
session.screen0.workspaces: 1
session.styleFile: /usr/share/fluxbox/styles/Squared_blue
INIT
    HOME="$work" fluxbox -rc "$work/fluxbox-init" >"$work/fluxbox.log" 2>&1 &
    display_pids+=($!)
    sleep 1
}

# A Wine prefix of this run only, made before the first program starts so that its
# start-up dialogs never show in a picture.
start_wine() {
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >"$work/wineboot.log" 2>&1 || return 1
    # Wine has no Tahoma with Arabic letters and draws them with the Arabic face it finds;
    # the condensed DejaVu is closest to Tahoma's widths. Menus and title bars, drawn in
    # Wine's own Tahoma, get the same letters through font linking.
    local fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
    wine reg add "$fonts\FontSubstitutes" /v 'Tahoma,178' /d 'DejaVu Sans Condensed,178' \
        /f >/dev/null 2>&1
    wine reg add "$fonts\FontLink\SystemLink" /v Tahoma /t REG_MULTI_SZ \
        /d 'DejaVuSansCondensed.ttf,DejaVu Sans Condensed' /f >/dev/null 2>&1
    wineserver -w
}

stop_display() {
    [[ -n "${WINEPREFIX:-}" ]] && wineserver -k 2>/dev/null
    local pid
    for pid in "${display_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    display_pids=()
}

# Z:\... for a path of the Linux tree.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
