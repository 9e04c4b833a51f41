#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs vantiro and the frei0r
# filter from there, so the installed tree finds its parts relative to itself.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
(cd "$build" && cpack -G DEB -B "$root/pkg" >/dev/null)
deb=$(ls "$root"/pkg/*.deb)
dpkg -x "$deb" "$root/sys"
# Outputs go through files: grep -q leaving a pipe early would fail the script under pipefail.
dpkg-deb -I "$deb" > "$root/control"
grep -q "Package: vantiro" "$root/control"
"$root/sys/usr/bin/vantiro" info > "$root/info"
grep -q "Bundle     $root/sys/usr/lib/vantiro/pelmora.bundle" "$root/info"
test -f "$root/sys/usr/share/man/man1/vantiro.1"
ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -t 0.4 "$root/in.mp4"
FREI0R_PATH="$root/sys/usr/lib/frei0r-1" ffmpeg -v error -i "$root/in.mp4" \
  -vf 'frei0r=vantiro:2|2|10|25|y' "$root/out.mp4"
test -s "$root/out.mp4"
echo "1 passed, 0 failed: $(basename "$deb") installs and runs"
