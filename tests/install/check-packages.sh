#!/usr/bin/env bash
# Builds the two Debian packages of the build with cpack and checks them: lintian finds no error
# or warning, the AppStream data validates, the batch converter's package installs and runs
# without the window's libraries, the window's package depends on what it loads at run time, the
# changelog, AppStream data and manual pages name the package's version and release date, and with
# SOURCE_DATE_EPOCH set a second build gives the same bytes.
# Usage: check-packages.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# As a distribution builds them: every time stamp is the newest changelog entry's.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
make_packages() {
    (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/$1" > "$1.log") || {
        cat "$work/$1.log"
        exit 1
    }
}
make_packages out
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
window=$work/out/quillshift_${version}_${arch}.deb
convert=$work/out/quillshift-convert_${version}_${arch}.deb
for deb in "$window" "$convert"; do
    [ -f "$deb" ] || { echo "FAIL: cpack made no $(basename "$deb")"; ls "$work/out"; exit 1; }
done

# lintian reports nothing at warning level; of its informational remarks, those of missing
# hardening and of an unneeded .comment section must not come either from a hardened build.
lintian --fail-on error,warning --display-info "$window" "$convert" > "$work/lintian.log" ||
    fail "lintian reports errors or warnings"
cat "$work/lintian.log"
if grep -q '^QUILLSHIFT_HARDENING:BOOL=ON' "$build/CMakeCache.txt" &&
    ! grep -q -E '^CMAKE_BUILD_TYPE:[A-Z]*=Debug$' "$build/CMakeCache.txt"; then
    grep -E 'hardening-no-|binary-has-unneeded-section' "$work/lintian.log" &&
        fail "lintian finds the programs of a hardened build not hardened"
fi

dpkg-deb -x "$window" "$work/window"
appstreamcli validate --no-net "$work/window/usr/share/metainfo/org.reelvault.Quillshift.metainfo.xml" ||
    fail "the packaged AppStream data does not validate"

# The batch converter installs into a root whose package database holds only the C and C++
# run-time libraries and the libraries that keep access control lists and extended attributes,
# and runs from there. dpkg does that for any user (--force-not-root): the files are then the
# user's.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/available"
for package in libc6 libgcc-s1 libstdc++6 libacl1 libattr1; do
    dpkg-query --status "$package"
    echo
done > "$root/var/lib/dpkg/status"
if dpkg --force-not-root --log=/dev/null --root="$root" -i "$convert" > "$work/dpkg.log" 2>&1; then
    "$root/usr/bin/quillshift-convert" --help > /dev/null ||
        fail "quillshift-convert installed alone does not run"
else
    cat "$work/dpkg.log"
    fail "quillshift-convert does not install without the window's libraries"
fi
convert_depends=$(dpkg-deb -f "$convert" Depends)
echo "quillshift-convert Depends: $convert_depends"
for needed in libacl1 libattr1; do
    case $convert_depends in *"$needed"*) ;; *) fail "quillshift-convert does not depend on $needed" ;; esac
done

window_depends=$(dpkg-deb -f "$window" Depends)
echo "quillshift Depends: $window_depends"
for needed in qt6-qpa-plugins libqt6widgets6 libqscintilla2-qt6; do
    case $window_depends in *"$needed"*) ;; *) fail "quillshift does not depend on $needed" ;; esac
done
# The layout's font is recommended: the window works without it.
window_recommends=$(dpkg-deb -f "$window" Recommends)
echo "quillshift Recommends: $window_recommends"
[ "$window_recommends" = fonts-liberation ] || fail "quillshift does not recommend fonts-liberation"
case $window_depends in *fonts-liberation*) fail "quillshift depends on fonts-liberation" ;; esac
# The batch converter serves packages of any architecture; the window is no such program.
[ "$(dpkg-deb -f "$convert" Multi-Arch)" = foreign ] || fail "quillshift-convert is not Multi-Arch: foreign"
[ "$(dpkg-deb -f "$convert" Section)" = utils ] || fail "quillshift-convert's section is not utils"
case $(dpkg-deb -f "$window" Multi-Arch) in "" | no) ;; *) fail "quillshift has a Multi-Arch field" ;; esac

# Each file the copyright file names by path exists, and the AppStream data's own licence is there.
copyright=$work/window/usr/share/doc/quillshift/copyright
sed -n 's/^Files: //p' "$copyright" | tr ' ' '\n' | grep -v -x '\*' | while read -r path; do
    [ -e "$source_dir/$path" ] || echo "FAIL: the copyright file names $path, which does not exist"
done | grep FAIL && failed=1
metainfo_license=$(sed -n 's|.*<metadata_license>\(.*\)</metadata_license>.*|\1|p' \
    "$work/window/usr/share/metainfo/org.reelvault.Quillshift.metainfo.xml")
awk -v want="$metainfo_license" '/^Files: .*metainfo\.xml/ { files = 1; next }
    files && /^License: / { found = ($2 == want); exit } END { exit !found }' "$copyright" ||
    fail "the copyright file gives the AppStream data no Files: paragraph of licence $metainfo_license"
grep -q "^License: $metainfo_license\$" <(sed -n '/^$/,$p' "$copyright") ||
    fail "the copyright file has no stand-alone License: $metainfo_license paragraph"

changelog_version=$(zcat "$work/window/usr/share/doc/quillshift/changelog.gz" |
    sed -n '1s/^[a-z-]* (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] ||
    fail "the changelog's newest entry is $changelog_version, the packages are $version"
grep -q "<release version=\"$version\"" \
    "$work/window/usr/share/metainfo/org.reelvault.Quillshift.metainfo.xml" ||
    fail "the AppStream data has no release $version"


# The manual pages: dated with the release (the newest changelog entry), with the sections a
# reader looks for.
release_date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
grep -q "<release version=\"$version\" date=\"$release_date\"" \
    "$work/window/usr/share/metainfo/org.reelvault.Quillshift.metainfo.xml" ||
    fail "the AppStream release $version is not dated $release_date, as the changelog is"
dpkg-deb -x "$convert" "$work/window"
for page in quillshift quillshift-convert; do
    text=$(zcat "$work/window/usr/share/man/man1/$page.1.gz")
    grep -q "^\.TH [A-Z-]* 1 \"$release_date\" \"Quillshift $version\"" <<< "$text" ||
        fail "$page(1) is not dated $release_date for version $version: $(head -n 1 <<< "$text")"
    for section in OPTIONS ENVIRONMENT "SEE ALSO"; do
        grep -q "^\.SH $section\$" <<< "$text" || fail "$page(1) has no $section section"
    done
done
zcat "$work/window/usr/share/man/man1/quillshift-convert.1.gz" | sed -n '/^\.SH ENVIRONMENT/,/^\.SH /p' |
    grep -q '^\.B NO_COLOR$' || fail "quillshift-convert(1) does not tell of NO_COLOR"

# Reproducible: the same build packaged again gives the same bytes.
sleep 1
make_packages again
for deb in "$window" "$convert"; do
    cmp -s "$deb" "$work/again/$(basename "$deb")" ||
        fail "$(basename "$deb") differs when made again with the same SOURCE_DATE_EPOCH"
done

[ "$failed" -eq 0 ] && echo "both packages build and pass lintian"
exit "$failed"
