#!/usr/bin/env bash
# End to end: `vantiro render` of a 1920x1080 H.264 clip with AAC sound against the FFmpeg
# command line a user would type for the same picture, with FFmpeg's default threads.
# Runs N interleaved pairs for a plain render and one faded over the whole clip, and
# prints medians of wall and CPU time, their ratios, peak memory, the load and the machine.
#   bench/vantiro_vs_ffmpeg.sh [BUILD_DIR] [N]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
vantiro="$build/bin/vantiro"
[[ -x $vantiro ]] || { echo "no $vantiro: build the tree first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

frames=150
ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
  -frames:v $frames -t 6 -c:v libx264 -preset fast -pix_fmt yuv420p -c:a aac -b:a 160k "$work/in.mp4"
export XDG_CONFIG_HOME="$work"
"$vantiro" settings --rect 0.25,0.75,0.25,0.75 --width 100 --height 20 --rotation 12 --background 1E3A5F >/dev/null

# The same picture in FFmpeg: the rectangle's half of the frame, 2x wide and 1.2x high,
# turned by 12 % of a turn onto the background. Faded: the effect fades in over the source
# for the first half of the clip and out again for the second, as --fade-in/--fade-out do.
chain="crop=960:540:480:270,scale=1920:648:flags=bilinear,rotate=-0.75398:ow=1920:oh=1080:c=0x1E3A5F"
half=$(awk "BEGIN { print $frames / 2 / 25 }")
fade="[0:v]split[a][b];[b]$chain,format=yuva420p,fade=t=in:st=0:d=$half:alpha=1,fade=t=out:st=$half:d=$half:alpha=1[fx];[a][fx]overlay"
encode=(-c:v libx264 -preset fast -crf 18 -c:a aac -b:a 160k)

declare -A command=(
  [vantiro/plain]="$vantiro render $work/in.mp4 $work/v.mp4"
  [ffmpeg/plain]="ffmpeg -v error -y -i $work/in.mp4 -vf $chain ${encode[*]} $work/f.mp4"
  [vantiro/fade]="$vantiro render $work/in.mp4 $work/v.mp4 --fade-in $((frames / 2)) --fade-out $((frames / 2))"
  [ffmpeg/fade]="ffmpeg -v error -y -i $work/in.mp4 -filter_complex $fade -map 0:a ${encode[*]} $work/f.mp4"
)

# One run: appends "wall cpu maxrss_kib" to the case's file.
run() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" ${command[$1]} >/dev/null 2>"$work/err" ||
    { echo "$1 failed:" >&2; cat "$work/err" >&2; exit 1; }
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time" >>"$work/${1/\//-}"
}

median() {  # column $2 of file $1
  sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for ((i = 1; i <= runs; i++)); do
  for c in plain fade; do
    # Alternate who goes first, so neither always runs on a warmer machine.
    if ((i % 2)); then run "vantiro/$c"; run "ffmpeg/$c"; else run "ffmpeg/$c"; run "vantiro/$c"; fi
  done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "load average before: $load_before, after: $load_after"
echo "$runs interleaved pairs, 1920x1080 25 fps, $frames frames with AAC sound; medians"
printf '\n| case  | vantiro wall s | ffmpeg wall s | wall ratio | vantiro CPU s | ffmpeg CPU s | CPU ratio | vantiro peak MiB | ffmpeg peak MiB |\n'
printf '|-------|---:|---:|---:|---:|---:|---:|---:|---:|\n'
for c in plain fade; do
  vw=$(median "$work/vantiro-$c" 1) fw=$(median "$work/ffmpeg-$c" 1)
  vc=$(median "$work/vantiro-$c" 2) fc=$(median "$work/ffmpeg-$c" 2)
  vm=$(median "$work/vantiro-$c" 3) fm=$(median "$work/ffmpeg-$c" 3)
  awk -v c="$c" -v vw="$vw" -v fw="$fw" -v vc="$vc" -v fc="$fc" -v vm="$vm" -v fm="$fm" 'BEGIN {
    printf "| %-5s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.0f | %.0f |\n", c, vw, fw, vw / fw, vc, fc, vc / fc, vm / 1024, fm / 1024 }'
done
echo
echo "ratio = vantiro / ffmpeg (below 1: vantiro is faster)"
