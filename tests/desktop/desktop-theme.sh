#!/usr/bin/env bash
# Runs the real quillshift under a desktop theme (the qt6ct platform theme with the Fusion style and
# a colour scheme), takes screenshots of its pages and checks that every text reads on its
# background: the contrast ratio of each text and its background, as accessibility guidelines
# define it, must be at least 4.5:1.
#
#   desktop-theme.sh PALETTE PROGRAM SCRIPT     PALETTE: default | dark | high-contrast
set -euo pipefail
palette=$1
program=$2
script=$3
here=$(cd "$(dirname "$0")" && pwd)

source "$here/desktop-session.sh"
desktop_session "$program" import convert

case $palette in
    default) ;;
    dark | high-contrast)
        scheme=/usr/share/qt6ct/colors/darker.conf
        [ "$palette" = high-contrast ] && scheme=$here/high-contrast.conf
        [ -e "$scheme" ] || { echo "FAIL: $scheme is missing (qt6ct)"; exit 1; }
        mkdir -p "$XDG_CONFIG_HOME/qt6ct"
        printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' \
            "$scheme" > "$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
        export QT_QPA_PLATFORMTHEME=qt6ct
        ;;
    *) echo "unknown palette $palette"; exit 2 ;;
esac

cp "$script" "$scratch/script.ifs"
start "$scratch/script.ifs"

click() {
    xdotool mousemove --sync --window "$window" "$1" "$2" click 1
    sleep 0.5
}

# The inside of window $2 (the main window by default) as a picture, $scratch/$1.png.
shot() {
    local x y w h
    read -r x y w h < <(xwininfo -id "${2:-$window}" | awk '/Absolute upper-left X/ {x = $4}
        /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
        END {print x, y, w, h}')
    import -silent -window root -crop "${w}x${h}+$x+$y" +repage "$scratch/$1.png"
}

# Checks the text in region WxH+X+Y of picture SHOT: its background is the region's most common
# colour, its text the colour most unlike it that covers two pixels or more (the cores of the
# glyphs; their edges are blended with the background).
pair() {
    local shot=$1 region=$2 name=$3 line
    line=$(convert "$scratch/$shot.png" -crop "$region" +repage -format %c histogram:info:- |
        awk '
            function lin(c) { c /= 255; return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
            function lum(r, g, b) { return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b) }
            {
                count = $1 + 0
                split($0, parts, /[(),]/)
                n++
                counts[n] = count
                l[n] = lum(parts[2], parts[3], parts[4])
                name[n] = sprintf("#%02x%02x%02x", parts[2], parts[3], parts[4])
                if (count > most) { most = count; bg = n }
            }
            END {
                best = 1
                for (i = 1; i <= n; i++) {
                    if (counts[i] < 2 || i == bg) continue
                    hi = l[i] > l[bg] ? l[i] : l[bg]; lo = l[i] > l[bg] ? l[bg] : l[i]
                    ratio = (hi + 0.05) / (lo + 0.05)
                    if (ratio > best) { best = ratio; text = i }
                }
                printf "%s on %s %.1f %.2f\n", text ? name[text] : "none", name[bg], best, l[bg]
            }')
    background=${line##* }
    line=${line% *}
    local ratio=${line##* }
    printf '%-13s %-24s %s:1\n' "$palette" "$name" "$line"
    awk -v r="$ratio" 'BEGIN { exit !(r >= 4.5) }' || fail "$palette: $name reads at only $ratio:1 ($line)"
}

# Places in the window at its default size.
shot converted-locked
click 61 109                                 # 2 - Convert !
shot output
pair output 60x16+30+3 "WIZARD caption"
pair output 90x13+10+58 "command item"
pair output 50x14+38+535 "EDIT caption"
pair output 40x14+170+8 "tab caption"
pair output 78x14+717+4 "READ ONLY marker"
pair output 28x11+129+29 "line numbers"
pair output 95x13+196+56 "script text"
pair output 125x12+196+252 "script comment"
pair output 9x14+158+222 "mark letter"
# The mark letter sits on the line numbers' baseline: the first and the last row of ink of the
# number "0015" and of the letter "G" beside it are the same.
ink_rows() {
    convert "$scratch/$1.png" -crop "$2" +repage -depth 8 txt:- |
        awk -F'[,:() ]+' 'NR > 1 && $3 + $4 + $5 < 450 {
            if (top == "" || $2 < top) top = $2
            if ($2 > bottom) bottom = $2
        } END { print top, bottom }'
}
number_ink=$(ink_rows output 30x14+128+222)
letter_ink=$(ink_rows output 9x14+158+222)
[ "$number_ink" = "$letter_ink" ] ||
    fail "$palette: the mark letter's rows $letter_ink are not the line number's $number_ink"

click 410 16                                 # the Properties tab, fields still locked
shot locked
pair locked 70x14+132+48 "caption"
pair locked 310x13+225+49 "locked field"
pair locked 45x14+225+175 "locked language code"
pair locked 114x14+276+175 "language name"
pair locked 300x36+226+250 "locked comments"

click 61 167                                 # 3 - Adjust Properties
shot adjusting
pair adjusting 310x13+225+49 "field"
pair adjusting 45x14+225+175 "language code"
pair adjusting 300x36+226+250 "comments"

# The save dialog is the desktop's own and follows its theme, which shows that the theme is in
# effect.
click 61 225                                 # 4 - Save Script As...
dialog=
for _ in $(seq 100); do
    dialog=$(xdotool search --onlyvisible --name "Save Reelvault" | head -n 1) || true
    [ -n "$dialog" ] && break
    sleep 0.05
done
[ -n "$dialog" ] || { fail "no save dialog"; exit 1; }
sleep 0.5
shot dialog "$dialog"
pair dialog 75x20+8+12 "save dialog label"
if [ "$palette" != default ]; then
    awk -v l="$background" 'BEGIN { exit !(l < 0.2) }' ||
        fail "$palette: the save dialog is light (luminance $background): the theme is not in effect"
fi
xdotool windowactivate --sync "$dialog" 2> /dev/null || true
xdotool key Escape
sleep 0.3

click 520 16                                 # the About / note... tab
shot about
pair about 300x40+290+70 "about title"
pair about 220x24+330+180 "about address"
pair about 460x24+320+405 "about note"

close_window
exit "$failed"
