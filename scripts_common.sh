# Shared by run.sh and test.sh: installs the Debian packages the build needs (only those
# missing) and configures and builds one build directory.
C64EMU_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev libsndfile1-dev libcli11-dev cc65 cc1541 cbmconvert clang libclang-rt-14-dev
  qt6-base-dev freeglut3-dev libglu1-mesa-dev libxtst-dev libsdl2-dev sox python3-numpy
  xvfb xauth xdotool x11-utils x11-xkb-utils xkb-data imagemagick
)

install_packages() {
  local missing=()
  for package in "${C64EMU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# build_dir DIR [cmake options...] [-- targets...]  (every target when none is named)
build_dir() {
  local dir="$1" options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)" ${targets[@]+--target "${targets[@]}"}
}

# The ROM images: C64EMU_ROMS if set, else the shared folder beside the checkout.
default_roms() {
  if [ -z "${C64EMU_ROMS:-}" ] && [ -d ../shared/roms ]; then
    export C64EMU_ROMS="$(cd ../shared/roms && pwd)"
  fi
}
