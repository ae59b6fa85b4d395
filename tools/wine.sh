#!/usr/bin/env bash
# Runs the Windows build's programs under 64-bit Wine, headless, in a Wine prefix of its own.
#
#   tools/wine.sh boot PREFIX            creates the prefix if needed, starts its wineserver and
#                                        boots it (once before ctest: otherwise Wine's services
#                                        inherit the first test's output and ctest waits for them)
#   tools/wine.sh run PREFIX PROGRAM...  runs a Windows program (ctest's emulator)
#   tools/wine.sh stop PREFIX            stops the prefix's wineserver and everything it runs
set -euo pipefail

wine64=/usr/lib/wine/wine64  # Debian's 64-bit loader; /usr/bin/wine looks for a 32-bit one first

command=${1:?usage: wine.sh boot|run|stop PREFIX [PROGRAM ARGUMENT...]}
prefix=${2:?the Wine prefix is missing}
shift 2
mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDEBUG=-all
export WINEARCH=win64
# No window, no Mono or Gecko installer dialogs: the programs are console programs.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

case $command in
    boot)
        wineserver -p
        "$wine64" cmd /c exit > /dev/null 2>&1 < /dev/null
        ;;
    run)
        exec "$wine64" "$@"
        ;;
    stop)
        wineserver -k 2> /dev/null || true
        ;;
    *)
        echo "wine.sh: unknown command $command" >&2
        exit 2
        ;;
esac
