#!/usr/bin/env bash
# Makes the screenshot of the window that the AppStream data names: the real program on its own
# Xvfb display under openbox (the desktop tests' session), a script opened from the command line
# and converted, the Output page shown. The same program gives the same bytes: the pointer is
# moved off the window, no caret is in view, and the PNG file carries no time stamp.
#
#   make-screenshot.sh PROGRAM SCRIPT OUTPUT.png
set -euo pipefail
program=$1
script=$2
output=$3
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../tests/desktop/desktop-session.sh"
desktop_session "$program" import

cp "$script" "$scratch/$(basename "$script")"
start "$scratch/$(basename "$script")"
xdotool mousemove --sync --window "$window" 61 109 click 1    # 2 - Convert !
xdotool mousemove --sync 1279 1023
sleep 1

read -r x y w h < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
    END {print x, y, w, h}')
mkdir -p "$(dirname "$output")"
import -silent -window root -crop "${w}x${h}+$x+$y" +repage -strip \
    -define png:exclude-chunks=date,time "png:$output.part"
mv "$output.part" "$output"
close_window
[ "$failed" -eq 0 ] && echo "$output: ${w}x${h}"
exit "$failed"
