#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian where that is installed, unpacks it into
# a scratch root and runs vantiro and the frei0r filter from there, so the installed tree
# finds its parts relative to itself.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
(cd "$build" && cpack -G DEB -B "$root/pkg" >/dev/null)
deb=$(ls "$root"/pkg/*.deb)
if command -v lintian >/dev/null; then
  # Errors and warnings both fail; lintian's remark about running as root does not count.
  lintian --tag-display-limit 0 "$deb" > "$root/lintian" 2>&1 || true
  if grep -E '^(E|W): ' "$root/lintian"; then echo "lintian finds fault with the package"; exit 1; fi
fi
dpkg -x "$deb" "$root/sys"
# Outputs go through files: grep -q leaving a pipe early would fail the script under pipefail.
dpkg-deb -I "$deb" > "$root/control"
grep -q "Package: vantiro" "$root/control"
"$root/sys/usr/bin/vantiro" info > "$root/info"
grep -q "Bundle     $root/sys/usr/lib/vantiro/pelmora.bundle" "$root/info"
for f in man/man1/vantiro.1.gz doc/vantiro/copyright doc/vantiro/changelog.gz kdenlive/effects/frei0r_vantiro.xml \
         shotcut/qml/filters/vantiro/meta.qml shotcut/qml/filters/vantiro/ui.qml; do
  test -f "$root/sys/usr/share/$f"
done
test ! -e "$root/sys/usr/lib/libvantiro-platform.so"
ffmpeg -nostdin -v error -f lavfi -i testsrc=size=64x48:rate=25 -t 0.4 "$root/in.mp4"
FREI0R_PATH="$root/sys/usr/lib/frei0r-1" ffmpeg -nostdin -v error -i "$root/in.mp4" \
  -vf 'frei0r=vantiro:2|2|10|25|y|0.1|0.9|0.1|0.9|0.3|0.3|0.6|#336699' "$root/out.mp4"
test -s "$root/out.mp4"
echo "1 passed, 0 failed: $(basename "$deb") is lintian clean, installs and runs"
