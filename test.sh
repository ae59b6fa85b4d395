#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
quillshift_install_packages
quillshift_build build
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j2
