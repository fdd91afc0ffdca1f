#!/usr/bin/env bash
# Times `vistrel batch` on fifty 1600 x 1200 JPEG photographs, to width 100 at JPEG quality 50, with
# one and two jobs, against ImageMagick's mogrify (Lanczos, one thread) and vipsthumbnail (one
# thread). Every time is the median of $BENCH_RUNS whole runs over all fifty files. Below 1 means
# Vistrel is faster. vipsthumbnail shrinks while it decodes, which exact decoding and Stretch do not.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bench_start mogrify vipsthumbnail

w="$BENCH_WORK/batch"
mkdir -p "$w/in"
bench_photo "$BENCH_WORK/photo-4000x3000.bmp" 4000 3000
# Fifty different crops, so that no two files decode alike.
for i in $(seq -w 0 49); do
  [[ -s "$w/in/photo$i.jpg" ]] && continue
  convert "$BENCH_WORK/photo-4000x3000.bmp" -crop "1600x1200+$((10#$i * 47))+$((10#$i * 31))" +repage \
    -quality 90 "$w/in/photo$i.jpg"
done

ours() { rm -rf "$w/ours"; "$VISTREL_BENCH" batch --width 100 --format jpg --quality 50 --out "$w/ours" --jobs "$1" "$w"/in/*.jpg; }
magick() {
  rm -rf "$w/magick"; mkdir -p "$w/magick"
  mogrify -limit thread 1 -path "$w/magick" -filter Lanczos -resize 100x -quality 50 "$w"/in/*.jpg
}
vthumb() {
  rm -rf "$w/vips"; mkdir -p "$w/vips"
  vipsthumbnail --size 100x -o "$w/vips/%s.jpg[Q=50]" "$w"/in/*.jpg
}

t_one=$(bench_median ours 1)
t_two=$(bench_median ours 2)
t_magick=$(bench_median magick)
t_vips=$(bench_median vthumb)

printf '%-22s %9s %10s %9s\n' case time 'vs magick' 'vs vips'
printf '%-22s %8.3fs %10s %9s\n' "vistrel --jobs 1" "$t_one" "$(bench_ratio "$t_one" "$t_magick")" "$(bench_ratio "$t_one" "$t_vips")"
printf '%-22s %8.3fs %10s %9s\n' "vistrel --jobs 2" "$t_two" "$(bench_ratio "$t_two" "$t_magick")" "$(bench_ratio "$t_two" "$t_vips")"
printf '%-22s %8.3fs\n' "mogrify (1 thread)" "$t_magick"
printf '%-22s %8.3fs\n' "vipsthumbnail" "$t_vips"
