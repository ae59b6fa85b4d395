#!/usr/bin/env bash
# Makes the Windows packages with cpack and checks them under Wine: the ZIP holds the program and
# its documents, the program needs only KERNEL32.dll and msvcrt.dll, and the NSIS installer
# installs silently into Program Files (files present, an entry under Settings > Apps, the
# program converts a script) and uninstalls silently, leaving nothing behind: no file, folder,
# Start menu entry or registry key.
# Usage: check-packages.sh BUILD_DIR WINE_SH WINE_PREFIX OBJDUMP GOLDEN_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
wine=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
prefix=$(cd "$3" && pwd)
objdump=$4
golden=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "FAIL: $*"; failed=1; }
win() { "$wine" run "$prefix" "$@"; }

(cd "$work" && cpack -G "ZIP;NSIS" --config "$build/CPackConfig.cmake" -B "$work/out" \
    > cpack.log 2>&1) || { cat "$work/cpack.log"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip=$work/out/quillshift-convert-$version-win64.zip
installer=$work/out/quillshift-convert-$version-win64.exe
for package in "$zip" "$installer"; do
    [ -f "$package" ] || { echo "FAIL: cpack made no $(basename "$package")"; ls "$work/out"; exit 1; }
    echo "$(basename "$package"): $(stat -c %s "$package") bytes"
done

# The ZIP.
mkdir "$work/unzipped"
(cd "$work/unzipped" && cmake -E tar xf "$zip")
[ "$(cd "$work/unzipped" && find . -type f | sort | tr '\n' ' ')" = \
    "./COPYING.txt ./README.txt ./quillshift-convert.exe " ] ||
    fail "the ZIP holds $(cd "$work/unzipped" && find . -type f | tr '\n' ' ')"
exe=$work/unzipped/quillshift-convert.exe
echo "quillshift-convert.exe: $(stat -c %s "$exe") bytes"
dlls=$("$objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "the program needs $dlls"
"$objdump" -h "$exe" | grep -q '\.debug' && fail "the program is not stripped"
[ "$(win "$exe" --version | tr -d '\r' | head -n 1)" = "quillshift-convert $version" ] ||
    fail "the unpacked program does not run"
grep -q $'\r$' "$work/unzipped/README.txt" || fail "README.txt does not have Windows line ends"
grep -q "Version $version" "$work/unzipped/README.txt" || fail "README.txt does not name $version"

# The installer, silently.
drive_c=$prefix/drive_c
folder="$drive_c/Program Files/Quillshift"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\quillshift-convert'
vendor_key='HKLM\Software\The Quillshift team'
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
win "$installer" /S || fail "the silent install failed"
for file in quillshift-convert.exe README.txt COPYING.txt Uninstall.exe; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
done
win reg query "$uninstall_key" /v DisplayVersion | grep -q "$version" ||
    fail "Settings > Apps has no entry for $version"
cp "$golden/typical.ifs" "$work/typical.ifs"
(cd "$work" && win 'C:\Program Files\Quillshift\quillshift-convert.exe' -q typical.ifs new.ifs) ||
    fail "the installed program does not run"
cmp -s "$work/new.ifs" "$golden/typical.expected" || fail "the installed program converts wrongly"

# And out again, silently. The uninstaller copies itself away and works from there: wait for it.
win 'C:\Program Files\Quillshift\Uninstall.exe' /S || fail "the silent uninstall failed"
for _ in $(seq 150); do
    [ -e "$folder" ] || break
    sleep 0.2
done
[ -e "$folder" ] && fail "left after uninstalling: $(find "$folder" | tr '\n' ' ')"
win reg query "$uninstall_key" > /dev/null 2>&1 && fail "the Settings > Apps entry is left"
win reg query "$vendor_key" > /dev/null 2>&1 && fail "the registry key $vendor_key is left"
ls "$start_menu" | grep -qi quillshift && fail "the Start menu entry is left"

[ "$failed" -eq 0 ] && echo "the ZIP and the installer are complete; the uninstaller leaves nothing"
exit "$failed"
