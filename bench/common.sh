# Helpers shared by the benchmark scripts; source this file. Everything goes to $BENCH_WORK.
# shellcheck shell=bash

BENCH_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BENCH_WORK="${BENCH_WORK:-${TMPDIR:-/tmp}/vistrel-bench}"
BENCH_RUNS="${BENCH_RUNS:-5}"
VISTREL_BENCH="$BENCH_ROOT/build-bench/vistrel"
mkdir -p "$BENCH_WORK"

# A Release build in build-bench of $BENCH_TARGETS (default: the program).
bench_build() {
  cmake -S "$BENCH_ROOT" -B "$BENCH_ROOT/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_TESTS=OFF \
    -DVISTREL_BENCH=ON >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$BENCH_ROOT/build-bench" --target ${BENCH_TARGETS:-vistrel} >/dev/null
}

# bench_start [PEER...]: stops unless every peer command is installed, then builds the program and
# sets the peers up alike: ImageMagick's policy and one thread for libvips.
bench_start() {
  local peer
  for peer in "$@"; do
    command -v "$peer" >/dev/null && continue
    case "$peer" in
      vips*) echo "libvips is missing: bash scripts/setup.sh --bench" >&2 ;;
      *) echo "ImageMagick is missing: bash scripts/setup.sh --bench" >&2 ;;
    esac
    exit 1
  done
  bench_build
  bench_magick_policy
  export VIPS_CONCURRENCY=1 QT_QPA_PLATFORM=offscreen
}

# The largest photograph of mate-backgrounds, to crop test pictures from.
bench_source_photo() {
  local best="" best_pixels=0 f w h
  for f in /usr/share/backgrounds/mate/*/*.jpg; do
    [[ -e "$f" ]] || continue
    read -r w h < <(identify -format '%w %h\n' "$f" 2>/dev/null | head -1) || continue
    if ((w * h > best_pixels)); then best="$f" best_pixels=$((w * h)); fi
  done
  [[ -n "$best" ]] || { echo "no photograph found: bash scripts/setup.sh --bench installs mate-backgrounds" >&2; return 1; }
  echo "$best"
}

# bench_photo OUT WIDTH HEIGHT [X Y]: a crop of the source photograph, written once and reused.
# The format follows OUT's extension; the crop is centred unless X and Y are given.
bench_photo() {
  local out="$1" w="$2" h="$3" x="${4:-}" y="${5:-}" src
  [[ -s "$out" ]] && return 0
  src="$(bench_source_photo)" || return 1
  if [[ -n "$x" ]]; then
    convert "$src" -crop "${w}x${h}+${x}+${y}" +repage -type TrueColor "$out"
  else
    convert "$src" -gravity center -crop "${w}x${h}+0+0" +repage -type TrueColor "$out"
  fi
}

# A policy.xml with room for large pictures, so that ImageMagick keeps them in memory instead of its
# disk cache (Debian's policy caps memory at 256 MiB); exports MAGICK_CONFIGURE_PATH.
bench_magick_policy() {
  local dir="$BENCH_WORK/magick"
  mkdir -p "$dir"
  cat >"$dir/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="disk" value="16GiB"/>
</policymap>
XML
  export MAGICK_CONFIGURE_PATH="$dir"
}

# bench_time CMD...: the wall time of one run in seconds (output discarded). A failing run stops the
# benchmark.
bench_time() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}

# The median of the numbers on standard input.
bench_middle() {
  sort -g | awk '{ t[NR] = $1 } END { if (NR % 2) print t[(NR + 1) / 2]; else print (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

# bench_median CMD...: runs the command $BENCH_RUNS times and prints the median wall time.
bench_median() {
  local times=() i t
  for ((i = 0; i < BENCH_RUNS; i++)); do
    t=$(bench_time "$@") || return 1
    times+=("$t")
  done
  printf '%s\n' "${times[@]}" | bench_middle
}

# bench_median_pair CMD... -- PEER_CMD...: runs the two by turns, $BENCH_RUNS times each, so that a
# change in the machine's load falls on both alike; prints the two median wall times.
bench_median_pair() {
  local ours=() theirs=() ours_times=() theirs_times=() i t
  while [[ "$1" != "--" ]]; do ours+=("$1"); shift; done
  shift
  theirs=("$@")
  for ((i = 0; i < BENCH_RUNS; i++)); do
    t=$(bench_time "${ours[@]}") || return 1
    ours_times+=("$t")
    t=$(bench_time "${theirs[@]}") || return 1
    theirs_times+=("$t")
  done
  echo "$(printf '%s\n' "${ours_times[@]}" | bench_middle) $(printf '%s\n' "${theirs_times[@]}" | bench_middle)"
}

# bench_ratio A B: A / B with two decimals.
bench_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
