#!/usr/bin/env bash
# Counts the instructions linear_cost_bench executes for each shape at 1/8, 1/2 and the whole of
# its size (one iteration each, under valgrind's callgrind), and prints the extra instructions per
# unit of size from 1/8 to 1/2 and from 1/2 to the whole. Equal figures mean the cost is linear:
# unlike times, instruction counts do not move with the machine's load, the caches or the memory
# allocator. glibc's copy and fill routines are held to one strategy for every size, because they
# switch to other instruction sequences for large blocks.
#
# Usage: bench/linear_cost_instructions.sh [BUILD_DIR [FILTER]]   (takes several minutes)
set -euo pipefail
build=${1:-build}
filter=${2:-.}
bench="$build/bin/linear_cost_bench"
export GLIBC_TUNABLES=glibc.cpu.x86_non_temporal_threshold=0x4000000000:glibc.cpu.x86_rep_movsb_threshold=0x4000000000:glibc.cpu.x86_rep_stosb_threshold=0x4000000000

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$bench" \
        --benchmark_filter="^$1\$" --benchmark_min_time=0.000001 2>&1 |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

printf '%-42s %14s %14s %7s\n' shape "per unit 1/8-1/2" "per unit 1/2-1" ratio
"$bench" --benchmark_list_tests --benchmark_filter="$filter" | awk -F/ '
    { name = $1 "/" $2; sizes[name] = sizes[name] " " $3; if (!(name in seen)) { seen[name] = 1; order[++n] = name } }
    END { for (i = 1; i <= n; i++) print order[i] sizes[order[i]] }' |
    while read -r name eighth quarter half whole; do
        a=$(instructions "$name/$eighth")
        b=$(instructions "$name/$half")
        c=$(instructions "$name/$whole")
        awk -v n="$name" -v a="$a" -v b="$b" -v c="$c" -v x="$eighth" -v y="$half" -v z="$whole" \
            'BEGIN { p = (b - a) / (y - x); q = (c - b) / (z - y);
                     printf "%-42s %14.1f %14.1f %7.3f\n", n, p, q, q / p }'
    done
