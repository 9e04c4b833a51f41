# Installs the Debian packages the project needs, when any is missing. Sourced by
# run.sh and test.sh; needs root (CI and the development machines run as root).
VANTIRO_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libbenchmark-dev
  libpixman-1-dev
  qt6-base-dev qt6-tools-dev libqt6uitools6 qt6-image-formats-plugins
  xvfb xauth x11-utils
  frei0r-plugins-dev melt dpkg-dev
  lintian qtdeclarative5-dev-tools libxml2-utils gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  ffmpeg libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
)

vantiro_install_deps() {
  local missing=()
  for p in "${VANTIRO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=600
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

# vantiro_build DIR [cmake args...]: configures with the given arguments, warnings as
# errors, then builds. Configuring again is cheap and keeps an older tree's cache in step.
vantiro_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DVANTIRO_WERROR=ON "$@" >/dev/null
  cmake --build "$dir"
}
