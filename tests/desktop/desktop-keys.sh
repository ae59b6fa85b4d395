#!/usr/bin/env bash
# Types real X11 key events (xdotool, through the X server's keyboard map, compose and dead keys,
# the X clipboard) into the real quillshift under openbox, saves the converted script through the
# save dialog as a user does, and checks the saved file's bytes.
#
#   desktop-keys.sh GROUP PROGRAM       GROUP: input | output | fields
#
# Each row starts the program afresh on a small script. Pane rows: the script is
#     program Foo;  begin  "  abcdef;"  end.
# opened from the command line, then edited in the input pane (Edit Input, before converting) or
# in the output pane (Edit output, after converting); the row gives the saved body. Field rows:
# a script with a header; after Adjust Properties the row's keys go into a properties field and
# the row gives the header line that field writes.
#
# The keys column is a list of steps separated by " ; ":
#   key KEYSYM...    keys pressed and released in turn (xdotool key: through the current map)
#   type TEXT        text typed by xdotool (use key steps for what the layout lacks)
#   layout NAME...   the X server's keyboard layout (setxkbmap arguments); each row starts in "us"
#   clip TEXT        the X clipboard is set to TEXT (printf escapes, UTF-8) by another program
#   clipis TEXT      the X clipboard must hold TEXT
# Expected bodies and lines use printf escapes: \n ends a line (written as CR LF), \xNN a byte.
set -euo pipefail
group=$1
program=$2

source "$(dirname "$0")/desktop-session.sh"
desktop_session "$program" setxkbmap xclip import convert

# Places in the window, from its top left corner inside the frame (800x600 outer by default).
bar_x=61
wizard_caption=11
edit_caption_below=542
convert_item=109
adjust_item=167
save_item=225
edit_input_item=73
edit_output_item=131
field_x=259
declare -A field_y=([authors]=56 [version]=216 [comments]=300)
declare -A field_line=([authors]=7 [version]=12 [comments]=14)

# The window's look outside the page area (the command bar and the tab row, where no caret
# blinks), as a checksum; last_look keeps the one seen last.
last_look=
bar_and_tabs() {
    local x y w h
    read -r x y w h < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4}
        /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
        END {print x, y, w, h}')
    convert x:root -crop "${w}x${h}+$x+$y" +repage -fill black \
        -draw "rectangle 123,28 $w,$h" rgb:- 2> /dev/null | md5sum
}

click() {
    xdotool mousemove --sync --window "$window" "$1" "$2" click 1
}

# Clicks a command item or caption and waits until the bar or the tab row shows the effect. A
# click that comes just after the keyboard map changed may be lost, so it is made again.
command_click() {
    local before attempt
    before=${last_look:-$(bar_and_tabs)}
    for attempt in 1 2 3; do
        click "$1" "$2"
        for _ in $(seq 10); do
            last_look=$(bar_and_tabs)
            [ "$last_look" != "$before" ] && return 0
            sleep 0.05
        done
    done
    fail "$row_name: the click at $1,$2 changed nothing"
}

# The X clipboard's owner must outlive the paste: xclip stays until another program takes it.
set_clipboard() {
    printf "$1" | xclip -selection clipboard -i 2> /dev/null
    sleep 0.1
}

run_steps() {
    local steps=$1 step verb argument seen
    IFS=$'\x1f' read -r -a list <<< "${steps// ; /$'\x1f'}"
    for step in "${list[@]}"; do
        verb=${step%% *}
        argument=${step#* }
        case $verb in
            key) xdotool key --delay 20 $argument ;;
            type) xdotool type --delay 20 "$(printf "$argument")" ;;
            layout) setxkbmap $argument; sleep 0.3 ;;
            clip) set_clipboard "$argument" ;;
            clipis)
                seen=$(xclip -selection clipboard -o 2> /dev/null | od -An -c) || true
                [ "$seen" = "$(printf "$argument" | od -An -c)" ] ||
                    fail "$row_name: the X clipboard holds$seen"
                ;;
            *) echo "unknown step '$step'"; exit 2 ;;
        esac
    done
}

save_script() {
    local dialog= attempt
    for attempt in 1 2 3; do
        click "$bar_x" "$save_item"
        for _ in $(seq 60); do
            dialog=$(xdotool search --onlyvisible --name "Save Reelvault" | head -n 1) || true
            [ -n "$dialog" ] && break 2
            sleep 0.05
        done
    done
    [ -n "$dialog" ] || { fail "$row_name: no save dialog"; return; }
    xdotool windowactivate --sync "$dialog" 2> /dev/null || true
    xdotool key Return
    for _ in $(seq 100); do [ -s "$work/New t.ifs" ] && break; sleep 0.05; done
}

# Bytes as od shows them, for comparing and for readable failures.
dump() { od -An -c | tr -s ' \n' ' '; }

check_body() {
    local saved=$work/New\ t.ifs
    [ -e "$saved" ] || { fail "$row_name: nothing was saved"; return; }
    local seen wanted
    seen=$(tail -n +22 "$saved" | dump)
    wanted=$(printf "${1//\\n/\\r\\n}" | dump)
    [ "$seen" = "$wanted" ] || fail "$row_name: saved body is [$seen], expected [$wanted]"
}

check_line() {
    local saved=$work/New\ t.ifs
    [ -e "$saved" ] || { fail "$row_name: nothing was saved"; return; }
    local seen wanted
    seen=$(sed -n "${field_line[$where]}p" "$saved" | dump)
    wanted=$(printf "$1\r\n" | dump)
    [ "$seen" = "$wanted" ] || fail "$row_name: saved line is [$seen], expected [$wanted]"
}

pane_script='program Foo;\nbegin\n  abcdef;\nend.\n'
header_script='{\n{ Foo importer\n* (c) 2004 Jane Doe *\n* first comment *\nprogram Foo;\nbegin\nend.\n'

run_row() {
    where=$1 row_name="$1 $2" keys=$3 expected=$4
    setxkbmap us
    work=$scratch/work
    rm -rf "$work"
    mkdir -p "$work"
    case $where in
        input | output | readonly) printf "$pane_script" > "$work/t.ifs" ;;
        *) printf "$header_script" > "$work/t.ifs" ;;
    esac
    start "$work/t.ifs"
    last_look=
    case $where in
        input)
            command_click "$bar_x" "$edit_caption_below"
            command_click "$bar_x" "$edit_input_item"
            run_steps "$keys"
            command_click "$bar_x" "$wizard_caption"
            command_click "$bar_x" "$convert_item"
            command_click "$bar_x" "$adjust_item"
            ;;
        output)
            command_click "$bar_x" "$convert_item"
            command_click "$bar_x" "$edit_caption_below"
            command_click "$bar_x" "$edit_output_item"
            run_steps "$keys"
            command_click "$bar_x" "$wizard_caption"
            command_click "$bar_x" "$adjust_item"
            ;;
        readonly)
            # The opened script's pane is read-only until Edit Input.
            click 400 300
            run_steps "$keys"
            command_click "$bar_x" "$convert_item"
            command_click "$bar_x" "$adjust_item"
            ;;
        *)
            command_click "$bar_x" "$convert_item"
            command_click "$bar_x" "$adjust_item"
            click "$field_x" "${field_y[$where]}"
            run_steps "$keys"
            ;;
    esac
    save_script
    case $where in
        input | output | readonly) check_body "$expected" ;;
        *) check_line "$expected" ;;
    esac
    close_window
}

# where|name|keys|expected
pane_rows() {
    cat << 'ROWS'
both|Delete|key Down Down End Left Delete|program Foo;\nbegin\n  abcdef\nend.\n
both|Delete over a selection|key Down Down shift+End Delete|program Foo;\nbegin\n\nend.\n
both|keypad Delete|key Down Down End Left KP_Delete|program Foo;\nbegin\n  abcdef\nend.\n
input|BackSpace|key Down Down End BackSpace|program Foo;\nbegin\n  abcdef\nend.\n
both|Ctrl+Delete|key Down Down Home ctrl+Delete|program Foo;\nbegin\n  ;\nend.\n
input|Ctrl+BackSpace|key Down Down End Left ctrl+BackSpace|program Foo;\nbegin\n  ;\nend.\n
both|Shift+Delete cuts, Shift+Insert pastes|key Down Down shift+End shift+Delete ; clipis   abcdef; ; key Down shift+Insert|program Foo;\nbegin\n\n  abcdef;end.\n
input|Insert switches overtype|key Down Down Home Insert ; type XY ; key Insert ; type Z|program Foo;\nbegin\n  XYZcdef;\nend.\n
input|Return|key Down Down End Return ; type x|program Foo;\nbegin\n  abcdef;\nx\nend.\n
input|Tab|key Down Tab|program Foo;\n    begin\n  abcdef;\nend.\n
input|Tab indents the selected lines|key Down shift+Down shift+Down Tab|program Foo;\n    begin\n    abcdef;\nend.\n
input|Shift+Tab unindents|key Down Down shift+Tab|program Foo;\nbegin\nabcdef;\nend.\n
input|Home and End|key ctrl+End ; type A ; key ctrl+Home Down ; type B ; key End ; type C ; key Down Home ; type D|program Foo;\nBbeginC\n  Dabcdef;\nend.A\n
input|Page Down and Page Up|key Next ; type N ; key Prior Down ; type P|program Foo;\nbeginP\n  abcdef;\nend.N\n
input|Ctrl+A, Ctrl+C, Ctrl+V|key ctrl+a ctrl+c ; clipis program Foo;\nbegin\n  abcdef;\nend. ; key ctrl+End Return ctrl+v|program Foo;\nbegin\n  abcdef;\nend.\nprogram Foo;\nbegin\n  abcdef;\nend.\n
input|Ctrl+X|key Down shift+ctrl+End ctrl+x ; clipis begin\n  abcdef;\nend. ; type x|program Foo;\nx\n
input|Ctrl+Z and Ctrl+Y|key Down Down End ; type Q ; key ctrl+z ; type R ; key ctrl+z ctrl+y|program Foo;\nbegin\n  abcdef;R\nend.\n
input|Ctrl+Z after Delete|key Down Down Delete Delete ctrl+z ctrl+z|program Foo;\nbegin\n  abcdef;\nend.\n
both|paste from another program|clip \xc3\xa9\xe2\x82\xac\xc3\xb1 ; key Down Down ctrl+v|program Foo;\nbegin\n\xe9\x80\xf1  abcdef;\nend.\n
input|paste of what Windows-1252 cannot hold|clip a\xe4\xb8\xadb ; key ctrl+v|program Foo;\nbegin\n  abcdef;\nend.\n
both|accents of the keyboard map|key Down ; layout fr ; key eacute ccedilla ; layout de ; key udiaeresis ; layout es ; key ntilde|program Foo;\n\xe9\xe7\xfc\xf1begin\n  abcdef;\nend.\n
both|dead keys|key Down ; layout fr ; key dead_circumflex e ; layout de ; key dead_acute a ; layout us -variant intl ; key dead_diaeresis u|program Foo;\n\xea\xe1\xfcbegin\n  abcdef;\nend.\n
both|AltGr|key Down ; layout de ; key ISO_Level3_Shift+e ; layout fr ; key ISO_Level3_Shift+e|program Foo;\n\x80\x80begin\n  abcdef;\nend.\n
both|what Windows-1252 cannot hold|key Down ; type a ; layout pl ; key lstroke ; layout ru ; key Cyrillic_zhe ; layout us ; type b|program Foo;\nabbegin\n  abcdef;\nend.\n
both|keys that carry a control character|key Down Down Home ctrl+e ctrl+r ctrl+g ctrl+backslash ctrl+bracketright ctrl+shift+Delete alt+Delete Escape|program Foo;\nbegin\n  abcdef;\nend.\n
readonly|typing into a read-only pane|key Down Down Delete BackSpace Return Tab ctrl+x ctrl+v ; type x\xc3\xa9|program Foo;\nbegin\n  abcdef;\nend.\n
ROWS
}

field_rows() {
    cat << 'ROWS'
version|typing|type 1.0|Version=1.0
version|Delete and BackSpace|type 1.05 ; key Home Delete End BackSpace|Version=.0
version|keypad Delete and Shift+Delete|type 12345 ; key Home KP_Delete Right shift+End shift+Delete ; clipis 345 ; type 9|Version=29
authors|Ctrl+BackSpace and Ctrl+Delete|key End ctrl+BackSpace Home ctrl+Delete|Authors=c) 2004 Jane
version|accents, dead keys, AltGr|layout fr ; key eacute ; layout de ; key ISO_Level3_Shift+e dead_acute e ; layout es ; key ntilde|Version=\xe9\x80\xe9\xf1
version|what Windows-1252 cannot hold|type 1 ; layout pl ; key lstroke ; layout us ; type 2|Version=12
version|keys that carry a control character|type 1 ; key ctrl+e ctrl+r ctrl+backslash ctrl+shift+Delete Escape ; type 2|Version=12
version|paste from another program|clip 1.0\xe2\x82\xac ; key ctrl+v|Version=1.0\x80
comments|typing, Return, Delete|key ctrl+Home Delete ctrl+End ; layout fr ; key eacute EuroSign ; layout us ; key Return ; type x|Comments= irst comment\xe9\x80 x
ROWS
}

rows=()
case $group in
    input) mapfile -t rows < <(pane_rows | grep -E '^(input|both)\|' | sed 's/^both|/input|/') ;;
    output) mapfile -t rows < <(pane_rows | grep -E '^(output|both|readonly)\|' | sed 's/^both|/output|/') ;;
    fields) mapfile -t rows < <(field_rows) ;;
    *) echo "unknown group $group"; exit 2 ;;
esac
for row in "${rows[@]}"; do
    IFS='|' read -r where name keys expected <<< "$row"
    started=$SECONDS
    before=$failed
    failed=0
    run_row "$where" "$name" "$keys" "$expected"
    [ "$failed" -eq 0 ] && echo "ok   $where $name ($((SECONDS - started)) s)"
    [ "$before" -eq 0 ] || failed=1
done
exit "$failed"
