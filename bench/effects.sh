#!/usr/bin/env bash
# Times `vistrel fx` against ImageMagick (one thread) and libvips (one thread) on a 4000 x 3000
# photograph: Stretch Lanczos3 down and up, Soften against a 3 x 3 convolution, GaussianBlur
# against a Gaussian blur of similar reach, GrayScale and Lighter. Every time is the median of
# $BENCH_RUNS whole-process runs. Vistrel and ImageMagick read and write BMP, libvips its native
# uncompressed PPM; the "copy" row times loading and saving alone, and the net ratios take that
# time away on both sides so that they compare the effects themselves. Below 1 means Vistrel is faster.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bench_start convert vips

w="$BENCH_WORK/effects"
mkdir -p "$w"
bench_photo "$BENCH_WORK/photo-4000x3000.bmp" 4000 3000
cp -f "$BENCH_WORK/photo-4000x3000.bmp" "$w/in.bmp"
[[ -s "$w/in.ppm" ]] || convert "$w/in.bmp" "$w/in.ppm"
# Soften's kernel for vips: 3 x 3, scale 16, offset 0.
printf '3 3 16 0\n2 2 2\n2 0 2\n2 2 2\n' >"$w/soften.mat"

magick() { convert -limit thread 1 "$@"; }
ours() { "$VISTREL_BENCH" "$@"; }

base_ours=$(bench_median ours convert "$w/in.bmp" "$w/ours-copy.bmp")
base_magick=$(bench_median magick "$w/in.bmp" "$w/magick-copy.bmp")
base_vips=$(bench_median vips copy "$w/in.ppm" "$w/vips-copy.ppm")

net() { awk -v t="$1" -v b="$2" 'BEGIN { v = t - b; print (v > 0.001 ? v : 0.001) }'; }

printf '%-16s %9s %9s %9s %11s %11s %11s %11s\n' case vistrel magick vips 'vs magick' 'vs vips' 'net magick' 'net vips'
printf '%-16s %8.3fs %8.3fs %8.3fs\n' copy "$base_ours" "$base_magick" "$base_vips"

# run_case NAME "FX ARGS" "MAGICK OPTIONS" "VIPS COMMAND" (VIPS COMMAND empty when it has none;
# IN and OUT in it stand for the files).
run_case() {
  local name="$1" fx="$2" mopts="$3" vcmd="$4" t_ours t_magick t_vips="" r_vips="-" n_vips="-"
  # shellcheck disable=SC2086
  t_ours=$(bench_median ours fx "$w/in.bmp" "$w/ours-$name.bmp" $fx)
  # shellcheck disable=SC2086
  t_magick=$(bench_median magick "$w/in.bmp" $mopts "$w/magick-$name.bmp")
  if [[ -n "$vcmd" ]]; then
    vcmd="${vcmd//IN/$w/in.ppm}"
    vcmd="${vcmd//OUT/$w/vips-$name.ppm}"
    # shellcheck disable=SC2086
    t_vips=$(printf '%.3f' "$(bench_median vips $vcmd)")
    r_vips=$(bench_ratio "$t_ours" "$t_vips")
    n_vips=$(bench_ratio "$(net "$t_ours" "$base_ours")" "$(net "$t_vips" "$base_vips")")
  fi
  printf '%-16s %8.3fs %8.3fs %9s %11s %11s %11s %11s\n' "$name" "$t_ours" "$t_magick" "${t_vips:+${t_vips}s}" \
    "$(bench_ratio "$t_ours" "$t_magick")" "$r_vips" \
    "$(bench_ratio "$(net "$t_ours" "$base_ours")" "$(net "$t_magick" "$base_magick")")" "$n_vips"
}

run_case stretch-down "Stretch 1000 750" "-filter Lanczos -resize 1000x750!" "resize IN OUT 0.25 --kernel lanczos3"
run_case stretch-up "Stretch 8000 6000" "-filter Lanczos -resize 8000x6000!" "resize IN OUT 2 --kernel lanczos3"
run_case soften "Soften" "-morphology Convolve 3x3:2,2,2,2,0,2,2,2,2" "conv IN OUT $w/soften.mat --precision integer"
run_case gaussian "GaussianBlur 0" "-blur 0x1.5" "gaussblur IN OUT 1.5 --precision integer"
run_case grayscale "GrayScale" "-colorspace Gray -type TrueColor" "colourspace IN OUT b-w"
run_case lighter "Lighter 25" "+level 9.8%,100%" "linear IN OUT 0.902 25 --uchar"
