#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillshift.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
quillshift_install_packages
quillshift_build build -DQUILLSHIFT_WERROR=OFF
if [ -x build/bin/quillshift ]; then
    exec build/bin/quillshift "$@"
else
    exec build/bin/quillshift-convert --help
fi
