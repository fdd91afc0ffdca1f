#!/usr/bin/env bash
# Script engine speed: atoms per second of a counting loop and of a string-building loop, run
# through `vistrel run` on a Release build. The start-up of the process is measured with an empty
# script and taken off. Usage: bench/script.sh [BUILD_DIR] (default build-bench).
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [[ $# -gt 0 ]]; then VISTREL_BENCH="$1/vistrel"; else bench_build; fi
export QT_QPA_PLATFORM=offscreen
work="$BENCH_WORK/script"
rm -rf "$work" && mkdir -p "$work"

n=3000000
# 7 atoms a pass: repeat 1 + dup N = until
printf '0 repeat 1 + dup %d = until\n' $n > "$work/count.vek"
count_atoms=$((2 + 7 * n))
m=1000000
# 11 atoms a pass: repeat swap 'ab' + swap 1 + dup M = until
printf "'' 0 repeat swap 'ab' + swap 1 + dup %d = until drop\n" $m > "$work/build.vek"
build_atoms=$((3 + 11 * m))
echo '1' > "$work/empty.vek"

median() { bench_median "$VISTREL_BENCH" run "$1"; }

base=$(median "$work/empty.vek")
for name in count build; do
    eval atoms=\$${name}_atoms
    t=$(median "$work/$name.vek")
    net=$(echo "$t - $base" | bc -l)
    rate=$(echo "$atoms / $net / 1000000" | bc -l)
    printf '%-6s %9d atoms  %.3f s (start-up %.3f s)  %.1f million atoms/s\n' "$name" "$atoms" "$net" "$base" "$rate"
done
