#!/usr/bin/env bash
# Runs the real quillshift on its own Xvfb display under the openbox window manager, which draws a
# frame and a title bar, and checks the window's outer bounds as a user sees them and as the
# settings file keeps them. The window is closed as a user closes it, through the window manager.
#
#   desktop-window.sh CASE PROGRAM      CASE: cycles | maximise | bad-position
set -euo pipefail
case_name=$1
program=$2

source "$(dirname "$0")/desktop-session.sh"
desktop_session "$program"

# Prints the window's outer bounds, frame included, as LEFT,TOP WIDTHxHEIGHT.
outer() {
    local extents x y w h
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
    [ -n "$extents" ] || extents=0,0,0,0
    IFS=, read -r l r t b <<< "$extents"
    read -r x y w h < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4}
        /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
        END {print x, y, w, h}')
    echo "$((x - l)),$((y - t)) $((w + l + r))x$((h + t + b))"
}

# Waits up to five seconds for the outer bounds to become $1, then checks them.
expect_outer() {
    local seen
    for _ in $(seq 100); do seen=$(outer); [ "$seen" = "$1" ] && break; sleep 0.05; done
    [ "$seen" = "$1" ] || fail "$2: the window's outer bounds are $seen, expected $1"
}

maximised() {
    xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_HORZ
}

set_maximised() {
    wmctrl -i -r "$window" -b "$1,maximized_vert,maximized_horz"
    local want=0 now
    [ "$1" = add ] && want=1
    for _ in $(seq 100); do
        now=0
        maximised && now=1
        [ "$now" = "$want" ] && return
        sleep 0.05
    done
    fail "the window manager did not $1 the maximised state"
}

# Checks the [Form] values of the settings file against "HEIGHT WIDTH TOP LEFT MAXIMIZED".
expect_file() {
    local seen
    seen=$(for key in Height Width Top Left Maximized; do
        sed -n "s/^$key=//p" "$settings" | tr -d '\r'
    done | tr '\n' ' ' | sed 's/ $//')
    [ "$seen" = "$1" ] || fail "$2: the settings file holds '$seen', expected '$1'"
}

case $case_name in
    cycles)
        # Centred on the 1280x1024 screen by the outer size, and the same at every start.
        for cycle in 1 2 3; do
            start
            expect_outer "240,212 800x600" "start $cycle"
            close_window
            expect_file "600 800 212 240 0" "close $cycle"
        done
        ;;
    maximise)
        printf '[Form]\nHeight=700\nWidth=900\nTop=50\nLeft=60\nMaximized=0\n' > "$settings"
        start
        expect_outer "60,50 900x700" "start"
        set_maximised add
        close_window
        expect_file "700 900 50 60 1" "maximised close"
        start
        for _ in $(seq 100); do maximised && break; sleep 0.05; done
        maximised || fail "the second start is not maximised"
        set_maximised remove
        expect_outer "60,50 900x700" "restored"
        close_window
        expect_file "700 900 50 60 0" "restored close"
        ;;
    bad-position)
        # Settings file lines, then the outer bounds the window must show.
        while IFS='|' read -r lines bounds; do
            printf '[Form]\n%b\n' "$lines" > "$settings"
            start
            expect_outer "$bounds" "'$lines'"
            xwininfo -id "$window" | grep -q IsViewable || fail "'$lines': the window is not shown"
            close_window
        done << 'ROWS'
Top=5000\nLeft=-9000\nWidth=700\nHeight=500|290,262 700x500
Top=-15\nLeft=100\nWidth=400\nHeight=300|100,0 400x300
Top=1020\nLeft=1250\nWidth=400\nHeight=300|1180,994 400x300
Top=abc\nLeft=0x\nWidth=-3\nHeight=$|240,212 800x600
ROWS
        ;;
    *)
        echo "unknown case $case_name"
        exit 2
        ;;
esac
exit "$failed"
