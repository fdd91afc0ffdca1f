#!/bin/sh
# Script engine speed: atoms per second of a counting loop and of a string-building loop, run
# through `vistrel run` on a Release build. The start-up of the process is measured with an empty
# script and taken off. Usage: bench/script.sh [BUILD_DIR] (default build-bench).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
vistrel=$build/vistrel
[ -x "$vistrel" ] || { echo "no $vistrel: cmake -S $root -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build $build --target vistrel" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

n=3000000
# 7 atoms a pass: repeat 1 + dup N = until
printf '0 repeat 1 + dup %d = until\n' $n > "$work/count.vek"
count_atoms=$((2 + 7 * n))
m=1000000
# 11 atoms a pass: repeat swap 'ab' + swap 1 + dup M = until
printf "'' 0 repeat swap 'ab' + swap 1 + dup %d = until drop\n" $m > "$work/build.vek"
build_atoms=$((3 + 11 * m))
echo '1' > "$work/empty.vek"

# Median of five wall-clock runs, in seconds.
median() {
    for i in 1 2 3 4 5; do
        start=$(date +%s.%N)
        "$vistrel" run "$1" > /dev/null 2>&1
        end=$(date +%s.%N)
        echo "$end - $start" | bc -l
    done | sort -n | sed -n 3p
}

base=$(median "$work/empty.vek")
for name in count build; do
    eval atoms=\$${name}_atoms
    t=$(median "$work/$name.vek")
    net=$(echo "$t - $base" | bc -l)
    rate=$(echo "$atoms / $net / 1000000" | bc -l)
    printf '%-6s %9d atoms  %.3f s (start-up %.3f s)  %.1f million atoms/s\n' "$name" "$atoms" "$net" "$base" "$rate"
done
