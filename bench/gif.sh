#!/usr/bin/env bash
# The GIF optimizer's reduction: a 4000 x 3000 photograph reduced to 256 colours with the octree
# palette and Floyd-Steinberg dithering and written as GIF, against ImageMagick and libvips gifsave,
# each on one thread. Prints the medians of $BENCH_RUNS runs, the time ratios (below 1 means Vistrel
# is faster) and the file sizes. Every program reads the same PNG.
set -euo pipefail
source "$(dirname "$0")/common.sh"

command -v convert >/dev/null || { echo "ImageMagick is missing: bash scripts/setup.sh --bench" >&2; exit 1; }
command -v vips >/dev/null || { echo "libvips is missing: bash scripts/setup.sh --bench" >&2; exit 1; }
bench_build
bench_magick_policy

w="$BENCH_WORK/gif"
mkdir -p "$w"
bench_photo "$BENCH_WORK/photo-4000x3000.bmp" 4000 3000
[[ -s "$w/in.png" ]] || convert "$BENCH_WORK/photo-4000x3000.bmp" "$w/in.png"

ours=$(bench_median "$VISTREL_BENCH" gif "$w/in.png" "$w/ours.gif" --palette pcOptimized --dither dcFloydSteinberg)
magick=$(bench_median convert -limit thread 1 "$w/in.png" -dither FloydSteinberg -colors 256 "$w/magick.gif")
vips=$(VIPS_CONCURRENCY=1 bench_median vips gifsave "$w/in.png" "$w/vips.gif")
# Decoding the PNG is part of every run; its share is shown so the reduction can be told apart.
decode=$(bench_median "$VISTREL_BENCH" info "$w/in.png")

printf '%-22s %9s %12s %12s\n' program time "time ratio" "GIF bytes"
row() { printf '%-22s %8.3fs %12s %12s\n' "$1" "$2" "$(bench_ratio "$ours" "$2")" "$(stat -c %s "$3")"; }
row "vistrel gif" "$ours" "$w/ours.gif"
row "ImageMagick convert" "$magick" "$w/magick.gif"
row "libvips gifsave" "$vips" "$w/vips.gif"
printf '%-22s %8.3fs\n' "(vistrel PNG read)" "$decode"
