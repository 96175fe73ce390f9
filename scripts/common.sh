# Shared by the scripts in this folder: paths and the package check.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${ZFM_BUILD_DIR:-$ROOT/build}

# Debian packages the build and the tests need.
# Qt Charts needs the OpenGL development files, which its Debian package does not pull in.
ZFM_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev
              fonts-dejavu-core tzdata libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev)

# Installs the given Debian packages that are not installed yet (needs root or sudo).
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures the build folder when it is not yet; extra arguments go to cmake.
configure_build() {
  [ -f "$BUILD_DIR/build.ninja" ] && return 0
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${ZFM_BUILD_TYPE:-RelWithDebInfo}" "$@"
}
