#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the project's own sources (not the files the
# build generates) of the build folder given (default build), two at a time.
# Usage: tools/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
exec run-clang-tidy -quiet -j 2 -p "${1:-build}" "^$PWD/(src|tests|fuzz|bench)/"
