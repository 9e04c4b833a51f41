#!/usr/bin/env bash
# Builds the portable core (platform core, model, renderer, host interface and render pass)
# and its tests for 32-bit Intel and 32-bit big-endian PowerPC, and runs the tests under
# qemu-user. Called by test.sh; also usable alone: tools/cross.sh [i686|powerpc ...]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(i686 powerpc)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

install_cross_deps() {
  local need=()
  dpkg --print-foreign-architectures | grep -qx i386 || { $sudo dpkg --add-architecture i386; need+=(refresh); }
  for p in g++-i686-linux-gnu g++-powerpc-linux-gnu qemu-user meson libpixman-1-dev:i386 googletest dpkg-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  [ ${#need[@]} -eq 0 ] && return 0
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=600
  local pkgs=("${need[@]/refresh/}")
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 ${pkgs[@]}
}

# pixman for PowerPC from Debian's source package, built once into build-cross/.
pixman_for_powerpc() {
  local prefix=$root/build-cross/pixman-powerpc
  [ -f "$prefix/lib/libpixman-1.a" ] && { echo "$prefix"; return; }
  local work
  work=$(mktemp -d)
  if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    $sudo tee /etc/apt/sources.list.d/vantiro-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    $sudo apt-get update -qq -o DPkg::Lock::Timeout=600 >&2
  fi
  # Only the original source is needed; the Debian packaging diff may be missing on a mirror.
  (cd "$work" && apt-get source --download-only -qq pixman >&2 || true)
  local tarball
  tarball=$(ls "$work"/pixman_*.orig.tar.* 2>/dev/null | head -n 1)
  [ -n "$tarball" ] || { echo "cannot fetch pixman's source package" >&2; exit 1; }
  tar xf "$tarball" -C "$work"
  cat > "$work/cross.txt" <<'CROSS'
[binaries]
c = 'powerpc-linux-gnu-gcc'
ar = 'powerpc-linux-gnu-ar'
strip = 'powerpc-linux-gnu-strip'
[host_machine]
system = 'linux'
cpu_family = 'ppc'
cpu = 'ppc'
endian = 'big'
CROSS
  (cd "$work"/pixman-*/ && meson setup "$work/build" --cross-file "$work/cross.txt" --prefix "$prefix" \
     -Ddefault_library=static -Dvmx=disabled -Dtests=disabled -Dgtk=disabled -Dlibpng=disabled \
     -Dopenmp=disabled >&2 && ninja -C "$work/build" install >&2)
  rm -rf "$work"
  echo "$prefix"
}

# cross_build TARGET: configures once, then builds build-cross/TARGET.
cross_build() {
  local target=$1 dir=build-cross/$1 extra=()
  [ "$target" = powerpc ] && extra+=("-DVANTIRO_PIXMAN_PREFIX=$(pixman_for_powerpc)")
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$target-linux-gnu.cmake" -DVANTIRO_PORTABLE=ON "${extra[@]}"
  cmake -DVANTIRO_WERROR=ON "$dir" >/dev/null
  cmake --build "$dir"
}

# cross_record TARGET: the settings record written by that build, for the others to read.
cross_record() {
  local target=$1 emulator=()
  case $target in
    i686) emulator=(qemu-i386 -L /usr/i686-linux-gnu) ;;
    powerpc) emulator=(qemu-ppc -L /usr/powerpc-linux-gnu) ;;
  esac
  mkdir -p "$root/build-cross/records/$target"
  "${emulator[@]}" "build-cross/$target/tests/write_settings_record" "$root/build-cross/records/$target"
}

cross_test() {
  # qemu-user cannot run the clone() that death tests use by default; fork works.
  (cd "build-cross/$1" && GTEST_DEATH_TEST_USE_FORK=1 VANTIRO_FOREIGN_RECORDS="$root/build-cross/records" \
     ctest --output-on-failure -j"$(nproc)")
}

# Sourced by test.sh for the functions; run alone, it builds and tests the given targets.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  install_cross_deps
  for target in "${targets[@]}"; do cross_build "$target"; cross_record "$target"; done
  for target in "${targets[@]}"; do cross_test "$target"; done
fi
