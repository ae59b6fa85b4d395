# Sourced by the desktop tests: a scratch folder, an Xvfb display of its own with the openbox
# window manager (which draws frames and gives the keyboard focus as on a desktop), and helpers to
# start the real program from a copy in the scratch folder and to close it as a user does.
#
#   desktop_session PROGRAM [TOOL...]   checks the tools, then starts X and openbox
#
# After it: $scratch, $settings (the program's settings file), start [ARGUMENT...], close_window,
# fail MESSAGE and $failed.

failed=0
# With DESKTOP_SHOTS naming a folder, every failure leaves a screenshot there.
fail() {
    echo "FAIL: $*"
    failed=1
    if [ -n "${DESKTOP_SHOTS:-}" ] && command -v import > /dev/null; then
        mkdir -p "$DESKTOP_SHOTS"
        import -window root "$DESKTOP_SHOTS/failure-$$-$SECONDS-$RANDOM.png" 2> /dev/null || true
    fi
}

desktop_session() {
    local program=$1 tool
    shift
    for tool in Xvfb openbox xdotool xprop xwininfo wmctrl "$@"; do
        command -v "$tool" > /dev/null ||
            { echo "FAIL: $tool is missing (tools/setup.sh installs it)"; exit 1; }
    done

    scratch=$(mktemp -d)
    session_pids=()
    trap desktop_cleanup EXIT

    # Nothing of the caller's session may leak in: own home, own display, the X11 platform, no
    # desktop theme unless a test sets one.
    unset DISPLAY WAYLAND_DISPLAY XAUTHORITY SESSION_MANAGER QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
    unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_IM_MODULE XMODIFIERS
    export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_RUNTIME_DIR=$scratch/run
    export QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$scratch/app"
    chmod 700 "$XDG_RUNTIME_DIR"
    # The settings file lives beside the program, so the program runs from a copy.
    cp "$program" "$scratch/app/quillshift"
    settings=$scratch/app/quillshift.INI

    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$scratch/display" 2> /dev/null &
    session_pids+=($!)
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
    [ -s "$scratch/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
    export DISPLAY=:$(cat "$scratch/display")
    # Openbox runs the --startup command once it manages windows; a window mapped earlier is lost.
    openbox --sm-disable --startup "touch $scratch/managing" > /dev/null 2>&1 &
    session_pids+=($!)
    for _ in $(seq 200); do [ -e "$scratch/managing" ] && break; sleep 0.05; done
    [ -e "$scratch/managing" ] || { echo "FAIL: openbox did not start"; exit 1; }
}

desktop_cleanup() {
    local pid
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2> /dev/null
    for pid in "${session_pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    for pid in "${session_pids[@]}"; do wait "$pid" 2> /dev/null || true; done
    rm -rf "$scratch"
}

app_pid=
window=
# Starts the program with ARGUMENTs and waits for its window ($window).
start() {
    "$scratch/app/quillshift" "$@" 2>> "$scratch/program.log" &
    app_pid=$!
    window=
    for _ in $(seq 400); do
        window=$(xdotool search --onlyvisible --pid "$app_pid" --name Quillshift | head -n 1) ||
            true
        [ -n "$window" ] && break
        sleep 0.05
    done
    [ -n "$window" ] || { echo "FAIL: no window appeared"; cat "$scratch/program.log"; exit 1; }
}

close_window() {
    wmctrl -i -c "$window"
    local status=0
    for _ in $(seq 400); do kill -0 "$app_pid" 2> /dev/null || break; sleep 0.05; done
    if kill -0 "$app_pid" 2> /dev/null; then
        fail "the program did not end on close"
        kill "$app_pid"
    fi
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || { fail "the program ended with status $status"; cat "$scratch/program.log"; }
}
