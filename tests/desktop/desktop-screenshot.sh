#!/usr/bin/env bash
# The screenshot that the AppStream data names (tools/make-screenshot.sh): made twice from the real
# program, it comes out the same bytes both times, it is a picture of the window (many colours,
# not a blank), and its size is the one the AppStream data declares.
#
#   desktop-screenshot.sh PROGRAM SCRIPT METAINFO
set -euo pipefail
program=$1
script=$2
metainfo=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for n in 1 2; do
    "$here/../../tools/make-screenshot.sh" "$program" "$script" "$work/shot$n.png" ||
        { echo "FAIL: the screenshot could not be made"; exit 1; }
done
cmp -s "$work/shot1.png" "$work/shot2.png" || fail "two screenshots of the same program differ"

size=$(identify -format '%wx%h' "$work/shot1.png")
declared=$(sed -n 's/.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\1x\2/p' "$metainfo")
[ "$size" = "$declared" ] || fail "the screenshot is $size, the AppStream data says ${declared:-nothing}"
colours=$(identify -format '%k' "$work/shot1.png")
[ "$colours" -ge 50 ] || fail "the screenshot has only $colours colours: not the window"
! grep -a -q -e tIME -e 'date:' "$work/shot1.png" || fail "the screenshot carries a time stamp"

[ "$failed" -eq 0 ] && echo "the screenshot ($size, $colours colours) is made the same every time"
exit "$failed"
