#!/usr/bin/env bash
# vantiro render of a 1080p H.264 clip with sound: frames per second and the share of the
# time spent inside the plug-in (from vantiro's own summary line).
#   bench/render_clip.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=30" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
  -t "$seconds" -c:v libx264 -preset fast -pix_fmt yuv420p -c:a aac -shortest "$work/in.mp4"
export XDG_CONFIG_HOME="$work"
"$build/bin/vantiro" settings --rect 0.25,0.75,0.25,0.75 --width 100 --height 20 --rotation 12 >/dev/null
for fades in "0 0" "30 30"; do
  set -- $fades
  echo "fades $1/$2:"
  "$build/bin/vantiro" render "$work/in.mp4" "$work/out.mp4" --fade-in "$1" --fade-out "$2" 2>&1 | sed 's/^/  /'
done
