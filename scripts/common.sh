# Shared by the scripts: installs the Debian packages the project needs when some are missing,
# and configures and builds the project into build/ (or $RQ27M_BUILD_DIR).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${RQ27M_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools
  libjpeg62-turbo-dev zlib1g-dev
  libgtest-dev googletest
  xvfb xdotool x11-utils x11-apps
  fonts-wine fonts-wqy-microhei
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || true
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_project() {
  local jobs
  jobs="$(nproc 2>/dev/null || echo 2)"
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$BUILD_DIR" -j "$jobs"
}
