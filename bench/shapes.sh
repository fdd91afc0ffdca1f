#!/usr/bin/env bash
# Times the shape painter: every kind at 1000 x 1000 with a gradient and a caption (what dragging a
# shape repaints; the aim is 16 ms, a frame at 60 a second), with the solid brush, and every gradient
# pattern. Our times are processor milliseconds of one paint inside the process. Beside the polygon
# kinds stands ImageMagick's time for the same polygon with -draw (no antialiasing, one thread): the
# median of $BENCH_RUNS runs drawing it $DRAWS times, less a run that draws nothing, per polygon.
set -euo pipefail
source "$(dirname "$0")/common.sh"

BENCH_TARGETS=vistrel_shape_bench bench_start convert
DRAWS="${DRAWS:-20}"

magick_draws() { # magick_draws COUNT POLYGON
  local args=() i
  for ((i = 0; i < $1; i++)); do args+=(-draw "polygon $2"); done
  convert -limit thread 1 -size 1000x1000 xc:white +antialias -fill blue -stroke black "${args[@]}" null:
}

base=$(bench_median magick_draws 0 "0,0 1,1 0,1")
QT_QPA_PLATFORM=offscreen "$BENCH_ROOT/build-bench/bench/vistrel_shape_bench" "$BENCH_RUNS" | while IFS= read -r line; do
  read -r kind grad solid _ <<<"$line"
  poly="${line#*| }"
  if [[ "$kind" == vst* && "$poly" != "-" ]]; then
    t=$(bench_median magick_draws "$DRAWS" "$poly" </dev/null)
    ms=$(awk -v t="$t" -v b="$base" -v n="$DRAWS" 'BEGIN { v = (t - b) / n * 1000; printf "%.2f", (v > 0 ? v : 0) }')
    printf '%-20s %10s %10s %12s ms magick, solid ratio %s\n' "$kind" "$grad" "$solid" "$ms" "$(bench_ratio "$solid" "$ms")"
  elif [[ "$kind" == "kind" ]]; then
    printf '%-20s %10s %10s %15s\n' kind grad+text solid 'magick polygon'
  else
    printf '%s\n' "${line% | *}"
  fi
done
