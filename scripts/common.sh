# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by run.sh and test.sh: installs the Debian packages the build needs, then configures and builds.
# shellcheck shell=bash

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-"$REPO_ROOT/build"}

# Everything the build, the tests, the umockdev-based USB tests and the package checks need, from Debian 12.
# Qt Charts' CMake package needs Qt OpenGL's, which qt6-charts-dev does not pull in: hence libqt6opengl6-dev.
REQUIRED_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core
  libusb-1.0-0-dev
  umockdev libumockdev-dev
  dpkg-dev lintian appstream
  python3-pytest
)

missing_packages() {
  local pkg
  for pkg in "${REQUIRED_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$pkg"
    fi
  done
}

install_packages() {
  local missing
  mapfile -t missing < <(missing_packages)
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "These Debian packages are missing. Install them with:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
}

# Configures the build in $BUILD_DIR and builds everything, or only the targets given as arguments.
configure_and_build() {
  cmake -S "$REPO_ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  if [ "$#" -gt 0 ]; then
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target "$@"
  else
    cmake --build "$BUILD_DIR" --parallel "$(nproc)"
  fi
}
