#!/usr/bin/env bash
# Times `vistrel convert` against ImageMagick (one thread) on a 4000 x 3000 photograph, format by
# format, and prints the time ratios (medians of $BENCH_RUNS runs taken by turns; below 1 means
# Vistrel is faster) and how large Vistrel's PNG is beside ImageMagick's.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bench_start convert

w="$BENCH_WORK/convert"
mkdir -p "$w"
bench_photo "$BENCH_WORK/photo-4000x3000.bmp" 4000 3000
cp -f "$BENCH_WORK/photo-4000x3000.bmp" "$w/in.bmp"
[[ -s "$w/in.png" ]] || convert "$w/in.bmp" "$w/in.png"
[[ -s "$w/in.jpg" ]] || convert "$w/in.bmp" -quality 90 "$w/in.jpg"
[[ -s "$w/in8.bmp" ]] || convert "$w/in.bmp" -colors 256 -type Palette BMP3:"$w/in8.bmp"
[[ -s "$w/in8.png" ]] || convert "$w/in8.bmp" PNG8:"$w/in8.png"
[[ -s "$w/in16.png" ]] || convert "$w/in.bmp" -depth 16 PNG48:"$w/in16.png"

magick() { convert -limit thread 1 "$@"; }

printf '%-14s %10s %10s %8s\n' case vistrel magick ratio
run_case() {
  local name="$1" src="$2" dst="$3" times ours theirs
  shift 3
  local opts=()
  [[ "${1:-}" == "--quality" ]] && opts=(-quality "$2")
  times=$(bench_median_pair "$VISTREL_BENCH" convert "$w/$src" "$w/ours-$dst" "$@" -- \
    magick "$w/$src" "${opts[@]}" "$w/magick-$dst")
  read -r ours theirs <<<"$times"
  printf '%-14s %9.3fs %9.3fs %8s\n' "$name" "$ours" "$theirs" "$(bench_ratio "$ours" "$theirs")"
}

run_case "BMP->PNG" in.bmp out.png
run_case "PNG->BMP" in.png out.bmp
run_case "BMP8->PNG8" in8.bmp out8.png
run_case "PNG8->BMP" in8.png out8.bmp
run_case "PNG16->BMP" in16.png out16.bmp
run_case "BMP->JPEG q50" in.bmp out.jpg --quality 50
run_case "JPEG->BMP" in.jpg out2.bmp
run_case "BMP->GIF" in.bmp out.gif

ours=$(stat -c %s "$w/ours-out.png")
theirs=$(stat -c %s "$w/magick-out.png")
# Four decimals: the sizes differ by fractions of a percent.
echo "PNG size: vistrel $ours bytes, magick $theirs bytes, ratio $(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.4f", a / b }')"
