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
  ccache
  libxcb1-dev
)

# What the sanitizer leg needs beyond the normal build: clang with its sanitizer and libFuzzer
# runtimes.
SANITIZER_PACKAGES=(clang libclang-rt-14-dev)

# install_packages [extra packages...]: installs whatever of PACKAGES and the extras is missing.
install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
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

# Compiles go through ccache when it is there. With the source root as its base directory and the
# build folder left out of the hash, builds in different folders or clones share cached objects
# (debug information then names the folder of the first build; nothing here reads it).
compiler_launcher_args() {
  if command -v ccache >/dev/null 2>&1; then
    echo "-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  fi
}
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
fi

# build_project_in <build-dir> [cmake options...] [--target targets...]: configures and builds.
build_project_in() {
  local dir="$1"; shift
  local opts=() targets=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then shift; targets=("$@"); break; fi
    opts+=("$1"); shift
  done
  local jobs
  jobs="$(nproc 2>/dev/null || echo 2)"
  # shellcheck disable=SC2046
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(compiler_launcher_args) "${opts[@]}"
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" -j "$jobs" --target "${targets[@]}"
  else
    cmake --build "$dir" -j "$jobs"
  fi
}

build_project() {
  build_project_in "$BUILD_DIR" "$@"
}
