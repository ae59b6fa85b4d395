#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs is there and valid.
# With "convert-only" (a build without the window) it checks that only the batch converter's
# files are there.
# Usage: check-install.sh BUILD_DIR [convert-only]
set -euo pipefail
build=$1
convert_only=${2:-}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null

failed=0
fail() { echo "FAIL: $*"; failed=1; }

convert_files="bin/quillshift-convert share/man/man1/quillshift-convert.1.gz
    share/doc/quillshift-convert/copyright share/doc/quillshift-convert/changelog.gz
    share/bash-completion/completions/quillshift-convert"
if [ "$convert_only" = convert-only ]; then
    for file in $convert_files; do
        [ -e "$prefix/$file" ] || fail "$file is not installed"
    done
    [ -x "$prefix/bin/quillshift-convert" ] || fail "bin/quillshift-convert is not executable"
    extra=$(cd "$prefix" && find . -type f | sed 's#^\./##' | sort |
        grep -v -x -F "$(printf '%s\n' $convert_files)" || true)
    [ -z "$extra" ] || fail "installed without the window: $extra"
    [ "$failed" -eq 0 ] && echo "the batch converter's files are installed, and nothing of the window"
    exit "$failed"
fi

for file in \
    bin/quillshift bin/quillshift-convert \
    share/applications/org.reelvault.Quillshift.desktop \
    share/mime/packages/org.reelvault.Quillshift.xml \
    share/metainfo/org.reelvault.Quillshift.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.reelvault.Quillshift.svg \
    share/icons/hicolor/256x256/apps/org.reelvault.Quillshift.png \
    share/man/man1/quillshift.1.gz share/man/man1/quillshift-convert.1.gz \
    share/bash-completion/completions/quillshift-convert \
    share/zsh/vendor-completions/_quillshift-convert \
    share/fish/vendor_completions.d/quillshift-convert.fish \
    share/doc/quillshift/copyright share/doc/quillshift-convert/changelog.gz; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
for program in quillshift quillshift-convert; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

desktop-file-validate "$prefix/share/applications/org.reelvault.Quillshift.desktop" ||
    fail "the desktop entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/org.reelvault.Quillshift.metainfo.xml" ||
    fail "the AppStream data does not validate"
grep -q '^Exec=quillshift %f$' "$prefix/share/applications/org.reelvault.Quillshift.desktop" ||
    fail "the desktop entry does not start quillshift with the file"
grep -q 'pattern="\*.ifs"' "$prefix/share/mime/packages/org.reelvault.Quillshift.xml" ||
    fail "the file type does not claim *.ifs"
# Width and height stand big-endian at bytes 16 to 23 of a PNG file.
[ "$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/256x256/apps/org.reelvault.Quillshift.png" |
    tr -s ' ')" = " 0 0 1 0 0 0 1 0" ] || fail "the PNG icon is not 256x256"

# The manual documents every option the help lists, and nothing else.
help_options=$("$prefix/bin/quillshift-convert" --help | grep -o -E -- '(^|[ ,])--?[a-z][a-z-]*' |
    tr -d ' ,' | sort -u)
man_options=$(zcat "$prefix/share/man/man1/quillshift-convert.1.gz" |
    sed -n '/^\.SH OPTIONS/,/^\.SH OUTPUT/p' | sed 's/\\f[BIRP]//g' |
    grep -o -E -- '\\-\\?-?[a-z][a-z\\-]*' | sed 's/\\//g' | sort -u)
[ "$help_options" = "$man_options" ] ||
    fail "options differ between --help and the manual: $(diff <(echo "$help_options") <(echo "$man_options") | tr '\n' ' ')"

[ "$failed" -eq 0 ] && echo "installed files are complete and valid"
exit "$failed"
