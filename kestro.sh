#!/usr/bin/env bash
# Sets up, builds, starts and tests Kestro on Debian 12.
#
#   ./kestro.sh run [ARGS...]   install what running needs, build, start kestro
#   ./kestro.sh test            install what the tests need too, check the format
#                               and the scripts, build and run every test
#                               (normal build, sanitizer build, the list tests
#                               under the thread sanitizer, and the Windows
#                               cross build under Wine), then build the Debian
#                               package, install it, run it and remove it
#   ./kestro.sh build           install what running needs and build (build/)
#   ./kestro.sh package         build the Debian package (build-package/kestro_*.deb)
#   ./kestro.sh bench [SIZE]    build a release and run the benchmark
#
# Every build goes through CMakePresets.json: "program" (run, build) and "dev"
# (test) share build/ and its compiler flags, so switching between them
# rebuilds nothing; "asan" builds in build-asan/, "release" in build-release/,
# "windows" (mingw-w64, core and command line) in build-windows/, "package"
# (the program alone, installed under /usr) in build-package/.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

# What building and running the program needs, and no more: the list pane's
# widget and its Japanese font, the workbook library, the MIME database of
# the file-type column, xdg-open.
run_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libicu-dev libssl-dev libqscintilla2-qt6-dev
  libxlsxwriter-dev
  shared-mime-info xdg-utils fonts-ipafont-gothic
)
# What the tests and checks need besides: the test libraries, the serif font
# of the version dialog's test, the cross compiler that makes a Windows file
# with a version resource (and builds the Windows program), the checkers, the
# spreadsheet (headless) and reader the round trip of lists and the workbook
# need, the PDF reader of the printing test, and Wine
# with GoogleTest's sources for the Windows tests; a compiler cache, which
# the builds use when it is there; the checkers of the Debian package and
# what its check runs the installed window and manual pages with.
test_packages=(
  libgtest-dev libgmock-dev fonts-liberation mingw-w64
  clang-format clang-tidy shellcheck
  libreoffice-calc-nogui python3-openpyxl poppler-utils
  googletest wine64 wine ccache
  lintian appstream desktop-file-utils man-db xvfb xauth x11-utils
)

jobs=$(nproc 2>/dev/null || echo 2)

install_missing() { # packages...
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The Windows build's tests run under Wine in a fresh prefix of their own,
# with one wine server for all of them; the server is stopped and the prefix
# removed however the run ends.
windows_tests() {
  local prefix
  prefix="$(mktemp -d "${TMPDIR:-/tmp}/kestro-wine.XXXXXX")"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # shellcheck disable=SC2064 # the prefix is fixed now
  trap "wineserver -k 2>/dev/null || true; rm -rf '$prefix'" EXIT
  wineserver -p
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
  # A fresh prefix knows the class of text files but not yet the extension
  # that Windows itself registers for it.
  /usr/lib/wine/wine64 reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null
  # Each test runs once. Now and then Wine fails to start a test's program
  # at all (it ends at once, and nothing but Wine has written a line):
  # cmake/wine-run.sh, through which every program of the build runs, tries
  # such a start again, and nothing else.
  ctest --preset windows -j"$jobs"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$prefix"
  trap - EXIT
}

build() { # PRESET: configure and build through CMakePresets.json
  # A compiler cache only where one is installed: no preset names a tool
  # that a fresh machine may lack.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake --preset "$1" "${launcher[@]}" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
}

# The Debian package, made by CPack in build-package/; prints its path.
package() {
  build package >&2
  rm -f build-package/kestro_*.deb
  (cd build-package && cpack --config CPackConfig.cmake >&2)
  ls build-package/kestro_*.deb
}

case "${1:-run}" in
run)
  shift || true
  install_missing "${run_packages[@]}"
  build program
  if [ $# -eq 0 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    # No desktop to show the window on: say how to run it anyway, and show
    # the command line, which needs none.
    echo "Kestro is built. No display was found, so the window cannot be shown here."
    echo "To run the window on a virtual X server (for screenshots), install xvfb and xauth, then:"
    echo "  xvfb-run -a ./build/src/kestro"
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
  install_missing "${run_packages[@]}"
  build program
  ;;
package)
  install_missing "${run_packages[@]}"
  package
  ;;
test)
  install_missing "${run_packages[@]}" "${test_packages[@]}"
  # What the repository promises is checked, not hoped for: the format of
  # every source file, the scripts, a build without a single warning, and
  # the sanitizer build with leak detection on.
  # (not the bench's trees: `./kestro.sh bench` makes them under bench/trees,
  # with sparse files of several GiB named *.cpp and *.h)
  find src tests bench man -path bench/trees -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run --Werror
  shellcheck kestro.sh .ci/run bench/*.sh cmake/wine-run.sh tests/wine_run_test.sh tests/package/*.sh
  build dev
  # The checks .clang-tidy names, over the program's sources as the dev
  # build compiles them (its compile_commands.json); a finding fails.
  run-clang-tidy -p build -quiet -j"$jobs" "^$here/src/" >build/clang-tidy.log 2>&1 ||
    { grep -E 'warning:|error:' build/clang-tidy.log; exit 1; }
  ctest --preset dev -j"$jobs"
  build asan
  ctest --preset asan -j"$jobs"
  # The list tests with the readers on, under the thread sanitizer (the one
  # test that builds a path of 4,096 levels is left out: it takes minutes
  # under the sanitizer and has no readers to race).
  build tsan
  ctest --preset tsan -j"$jobs"
  build windows
  windows_tests
  deb="$(package)"
  tests/package/check_package.sh "$deb"
  ;;
bench)
  shift || true
  # bench/sshfs.sh: its own sshd and an sshfs mount on the loopback interface.
  install_missing "${run_packages[@]}" python3 bc time bfs openssh-server openssh-client sshfs fuse3
  build release
  exec bench/run.sh "${1:-medium}"
  ;;
*)
  echo "usage: $0 run|test|build|package|bench [args]" >&2
  exit 2
  ;;
esac
