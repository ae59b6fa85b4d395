#!/usr/bin/env bash
# Measures start-up to first window of quillshift against a bare Qt window holding two QScintilla
# panes, both in one run, under the X server in DISPLAY (or a private Xvfb when none is set).
# Usage: tests/ui/startup/measure-startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-30}
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:97
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid"' EXIT
    sleep 1
fi
"$build/bin/startup-timer" "$runs" "$build/bin/quillshift" "$build/bin/startup-baseline"
