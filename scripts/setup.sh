#!/usr/bin/env bash
# Installs the Debian packages Quillmere needs to build, test and run.
# Idempotent: asks apt only for what is missing, and uses sudo only when
# not already root. Safe to run before every build.
set -euo pipefail

packages=(
  cmake g++ make pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # the icon is rendered from its SVG when the program is built (Qt SVG)
  qt6-svg-dev
  # the planner's and the spectrum view's charts (Qt Charts)
  qt6-charts-dev libqt6opengl6-dev
  liberfa-dev libnova-dev
  libjpeg-dev
  libmspack-dev fp-utils
  nlohmann-json3-dev
  fonts-liberation2
  xvfb xauth
  # tests/wm: a real window manager on the private X server, and its tools
  openbox xdotool x11-utils
  desktop-file-utils appstream scdoc man-db
  # cpack -G DEB works out the package's dependencies with dpkg-shlibdeps,
  # which needs dpkg-dev and the file utility
  dpkg-dev file
  python3-xlib time
  # station control's tests run against Hamlib's own dummy rotator and rig
  # daemons (rotctld, rigctld)
  libhamlib-utils
  # the reference scripts of the model tests (tests/data/p676, tests/data/models):
  # independent values in high-precision arithmetic
  python3-mpmath
  # fuzz/run: clang, libFuzzer with the sanitizer runtimes, llvm-symbolizer
  clang libclang-rt-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
