#!/usr/bin/env bash
# Sets up, builds, starts and tests Kestro on Debian 12.
#
#   ./kestro.sh run [ARGS...]   install what is missing, build, start kestro
#   ./kestro.sh test            install what is missing, build and run every test
#                               (normal build and sanitizer build)
#   ./kestro.sh build           install what is missing and build (build/)
#   ./kestro.sh bench [SIZE]    build a release and run the benchmark
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libicu-dev libgtest-dev libgmock-dev
  shared-mime-info xdg-utils
  fonts-ipafont-gothic fonts-liberation xvfb xauth
  mingw-w64
)

jobs=$(nproc 2>/dev/null || echo 2)

install_missing() { # [extra packages...]
  local missing=()
  for p in "${packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

build() { # build DIR [cmake args...]
  local dir="$1"
  shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}

case "${1:-run}" in
run)
  shift || true
  install_missing
  build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  if [ $# -eq 0 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    # No desktop to show the window on: say how to run it anyway, and show
    # the command line, which needs none.
    echo "Kestro is built. No display was found, so the window cannot be shown here."
    echo "To run the window on a virtual X server (for screenshots):  xvfb-run -a ./build/src/kestro"
    echo "The command line works without a display:"
    echo
    ./build/src/kestro --help
    echo
    echo "Example: ./build/src/kestro --list --no-sub --path --size=kb --modified ./src"
    ./build/src/kestro --list --no-sub --path --size=kb --modified ./src
    exit 0
  fi
  exec ./build/src/kestro "$@"
  ;;
build)
  install_missing
  build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  ;;
test)
  install_missing clang-format shellcheck
  # What the repository promises is checked, not hoped for: the format of
  # every source file, the scripts, and a build without a single warning.
  find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror
  shellcheck kestro.sh bench/*.sh
  build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_WERROR=ON
  (cd build && ctest --output-on-failure -j"$jobs")
  build build-asan -DCMAKE_BUILD_TYPE=Debug -DKESTRO_SANITIZE=ON
  (cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j"$jobs")
  ;;
bench)
  shift || true
  install_missing python3 bc time
  build build-release -DCMAKE_BUILD_TYPE=Release -DKESTRO_BUILD_TESTS=OFF
  exec bench/run.sh "${1:-medium}"
  ;;
*)
  echo "usage: $0 run|test|build|bench [args]" >&2
  exit 2
  ;;
esac
