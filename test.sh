#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then cross-builds the batch converter for
# Windows into build-win64/ and runs its tests under Wine (QUILLSHIFT_SKIP_WINDOWS=1 skips that);
# then builds everything again with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs every test there too (QUILLSHIFT_SKIP_SANITIZERS=1 skips that). Prints the
# time each part took.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
packages=("${QUILLSHIFT_PACKAGES[@]}")
if [ "${QUILLSHIFT_SKIP_WINDOWS:-0}" != 1 ]; then
    packages+=("${QUILLSHIFT_WINDOWS_PACKAGES[@]}")
fi
quillshift_install_packages "${packages[@]}"

times=()
started=$SECONDS
quillshift_build build -DQUILLSHIFT_WERROR=ON
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j2)
times+=("Linux build and tests: $((SECONDS - started)) s")

if [ "${QUILLSHIFT_SKIP_WINDOWS:-0}" != 1 ]; then
    started=$SECONDS
    quillshift_build_windows build-win64 -DQUILLSHIFT_WERROR=ON \
        -DQUILLSHIFT_LINUX_CONVERT="$PWD/build/bin/quillshift-convert"
    quillshift_test_windows build-win64
    times+=("Windows build and tests under Wine: $((SECONDS - started)) s")
fi

if [ "${QUILLSHIFT_SKIP_SANITIZERS:-0}" != 1 ]; then
    started=$SECONDS
    quillshift_build_sanitized build-asan -DQUILLSHIFT_WERROR=ON
    (cd build-asan && ctest --output-on-failure -j2)
    times+=("Sanitizer build and tests: $((SECONDS - started)) s")
fi
printf '%s\n' "${times[@]}"
