#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds everything again with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs every test there too
# (QUILLSHIFT_SKIP_SANITIZERS=1 skips that second run).
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
quillshift_install_packages
quillshift_build build -DQUILLSHIFT_WERROR=ON
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j2)
if [ "${QUILLSHIFT_SKIP_SANITIZERS:-0}" != 1 ]; then
    quillshift_build_sanitized build-asan -DQUILLSHIFT_WERROR=ON
    (cd build-asan && ctest --output-on-failure -j2)
fi
