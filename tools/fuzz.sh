#!/usr/bin/env bash
# Builds the libFuzzer programs with clang into build-fuzz/ and runs one of them in one process
# (one core), so that other builds can go on beside it.
#
# Usage: tools/fuzz.sh conversion|settings [LIBFUZZER_OPTION...]
#   tools/fuzz.sh conversion -runs=10000000
#   tools/fuzz.sh settings -max_total_time=600
#
# The run starts from the checked-in corpus (fuzz/corpus/NAME) and keeps what it finds in
# build-fuzz/corpus-NAME; an input that breaks an invariant is saved in build-fuzz/crashes-NAME/.
# To keep new inputs for the replay test: tools/fuzz.sh NAME -merge=1 fuzz/corpus/NAME
# build-fuzz/corpus-NAME (see fuzz/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

name=${1:-}
case "$name" in
conversion | settings) shift ;;
*)
    echo "Usage: tools/fuzz.sh conversion|settings [LIBFUZZER_OPTION...]" >&2
    exit 2
    ;;
esac

quillshift_install_packages "${QUILLSHIFT_PACKAGES[@]}" "${QUILLSHIFT_FUZZ_PACKAGES[@]}"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLSHIFT_FUZZERS=ON -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-fuzz -j2 --target "${name}_fuzzer"

fuzzer=build-fuzz/bin/${name}_fuzzer
crashes=build-fuzz/crashes-$name
mkdir -p "$crashes"
if [ "${1:-}" = -merge=1 ]; then
    exec "$fuzzer" -dict="fuzz/$name.dict" "$@"
fi
corpus=build-fuzz/corpus-$name
mkdir -p "$corpus"
exec "$fuzzer" -dict="fuzz/$name.dict" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$@" "$corpus" "fuzz/corpus/$name"
