#!/usr/bin/env bash
# Builds the two Debian packages of the build with cpack and checks them: lintian finds no error
# or warning, the AppStream data validates, the batch converter's package installs and runs
# without the window's libraries, the window's package depends on what it loads at run time, and
# the changelog and AppStream data have an entry for the package version.
# Usage: check-packages.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "FAIL: $*"; failed=1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > cpack.log) || {
    cat "$work/cpack.log"
    exit 1
}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
window=$work/out/quillshift_${version}_${arch}.deb
convert=$work/out/quillshift-convert_${version}_${arch}.deb
for deb in "$window" "$convert"; do
    [ -f "$deb" ] || { echo "FAIL: cpack made no $(basename "$deb")"; ls "$work/out"; exit 1; }
done

# lintian reports nothing at warning level today; its remaining remarks are informational
# (hardening flags, which come from dpkg-buildflags in a distribution's build, and the .comment
# section that strip leaves).
lintian --fail-on error,warning "$window" "$convert" || fail "lintian reports errors or warnings"

dpkg-deb -x "$window" "$work/window"
appstreamcli validate --no-net "$work/window/usr/share/metainfo/org.reelvault.Quillshift.metainfo.xml" ||
    fail "the packaged AppStream data does not validate"

# The batch converter installs into a root whose package database holds only the C and C++
# run-time libraries and the libraries that keep access control lists and extended attributes,
# and runs from there.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/available"
for package in libc6 libgcc-s1 libstdc++6 libacl1 libattr1; do
    dpkg-query --status "$package"
    echo
done > "$root/var/lib/dpkg/status"
if dpkg --root="$root" -i "$convert" > "$work/dpkg.log" 2>&1; then
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
for needed in qt6-qpa-plugins fonts-liberation libqt6widgets6 libqscintilla2-qt6; do
    case $window_depends in *"$needed"*) ;; *) fail "quillshift does not depend on $needed" ;; esac
done

changelog_version=$(zcat "$work/window/usr/share/doc/quillshift/changelog.gz" |
    sed -n '1s/^[a-z-]* (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] ||
    fail "the changelog's newest entry is $changelog_version, the packages are $version"
grep -q "<release version=\"$version\"" \
    "$work/window/usr/share/metainfo/org.reelvault.Quillshift.metainfo.xml" ||
    fail "the AppStream data has no release $version"

[ "$failed" -eq 0 ] && echo "both packages build and pass lintian"
exit "$failed"
