#!/usr/bin/env bash
# The frei0r filter in FFmpeg against FFmpeg's own crop/scale/rotate chain for the same
# picture, both as a user types them (default threads) into the null muxer. A generated
# 1080p clip of 150 frames; RUNS interleaved runs of each; medians and the ratio.
#   bench/frei0r_vs_ffmpeg.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
load=$(cut -d' ' -f1-3 /proc/loadavg)
ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v 150 -c:v libx264 -preset fast \
  -pix_fmt yuv420p "$work/in.mp4"

# The same setting both ways: the centred half-size rectangle, width +100 %, height +20 %,
# turned 12 % of a turn counter-clockwise, over #1E3A5F. The filter's parameters map the
# sliders onto 0..1: width (100+100)/300, height (20+100)/300, turn (12+100)/200.
frei0r='frei0r=vantiro:0|0|0|25|y|0.25|0.75|0.25|0.75|0.6666666667|0.4|0.56|#1E3A5F'
chain='crop=960:540:480:270,scale=1920:648:flags=bilinear,rotate=-0.75398:ow=1920:oh=1080:c=0x1E3A5F'

seconds() {  # wall time of one command, in seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: > "$work/frei0r"
: > "$work/chain"
for ((i = 1; i <= runs; ++i)); do
  FREI0R_PATH="$build/lib/frei0r-1" seconds ffmpeg -v error -i "$work/in.mp4" -vf "$frei0r" -f null - >> "$work/frei0r"
  seconds ffmpeg -v error -i "$work/in.mp4" -vf "$chain" -f null - >> "$work/chain"
done
f=$(median < "$work/frei0r")
c=$(median < "$work/chain")

echo "machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load before: $load, after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "clip: 1920x1080, 150 frames; $runs interleaved runs each; to -f null -"
printf '%-28s %10s %10s\n' "command" "median s" "ms/frame"
printf '%-28s %10.2f %10.1f\n' "-vf frei0r=vantiro" "$f" "$(echo "$f * 1000 / 150" | bc -l)"
printf '%-28s %10.2f %10.1f\n' "-vf crop,scale,rotate" "$c" "$(echo "$c * 1000 / 150" | bc -l)"
printf 'ratio frei0r / chain: %.2fx (target <= 1.0x)\n' "$(echo "$f / $c" | bc -l)"
echo "runs (s): frei0r $(tr '\n' ' ' < "$work/frei0r")| chain $(tr '\n' ' ' < "$work/chain")"
