#!/usr/bin/env bash
# The GIF optimizer's reduction: a 4000 x 3000 photograph reduced to 256 colours with the octree
# palette and Floyd-Steinberg dithering and written as GIF, against ImageMagick and libvips gifsave,
# each on one thread. Prints the medians of $BENCH_RUNS runs, the time ratios (below 1 means Vistrel
# is faster) and the file sizes. All three read the same PNG; Vistrel and ImageMagick also read it as
# BMP, which costs next to nothing to decode, so the reduction and the GIF writing stand out (libvips
# reads BMP only through ImageMagick, so it has no such row).
set -euo pipefail
source "$(dirname "$0")/common.sh"

bench_start convert vips

w="$BENCH_WORK/gif"
mkdir -p "$w"
bench_photo "$BENCH_WORK/photo-4000x3000.bmp" 4000 3000
[[ -s "$w/in.png" ]] || convert "$BENCH_WORK/photo-4000x3000.bmp" "$w/in.png"

cp -f "$BENCH_WORK/photo-4000x3000.bmp" "$w/in.bmp"

ours_gif() { bench_median "$VISTREL_BENCH" gif "$w/in.$1" "$w/ours.gif" --palette pcOptimized --dither dcFloydSteinberg; }
magick_gif() { bench_median convert -limit thread 1 "$w/in.$1" -dither FloydSteinberg -colors 256 "$w/magick.gif"; }

ours=$(ours_gif png)
magick=$(magick_gif png)
vips=$(VIPS_CONCURRENCY=1 bench_median vips gifsave "$w/in.png" "$w/vips.gif")
ours_bmp=$(ours_gif bmp)
magick_bmp=$(magick_gif bmp)

printf '%-6s %9s %9s %9s %13s %11s\n' input vistrel magick vips "ratio magick" "ratio vips"
printf '%-6s %8.3fs %8.3fs %8.3fs %13s %11s\n' PNG "$ours" "$magick" "$vips" "$(bench_ratio "$ours" "$magick")" \
  "$(bench_ratio "$ours" "$vips")"
printf '%-6s %8.3fs %8.3fs %9s %13s %11s\n' BMP "$ours_bmp" "$magick_bmp" - "$(bench_ratio "$ours_bmp" "$magick_bmp")" -
echo "GIF bytes: vistrel $(stat -c %s "$w/ours.gif"), magick $(stat -c %s "$w/magick.gif"), vips $(stat -c %s "$w/vips.gif")"
