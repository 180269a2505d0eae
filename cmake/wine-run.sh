#!/usr/bin/env bash
# Runs one program of the Windows build under Wine for ctest and the test
# discovery (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR):
#
#   wine-run.sh WINE64 PROGRAM.exe [ARGS...]
#
# Now and then Wine fails to start a program at all: it ends at once, and
# neither the program nor anything but Wine itself has written a line. Only
# such a start is tried again, up to three times. Every other ending is
# handed on as it is: a test that fails, fails the first time, however often
# it is run.
set -u

wine=$1
shift
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# Whether the last run failed without a line of the program's own: no
# output, and on standard error only lines Wine writes ("wine: ...",
# "wine client error:...").
not_started() { # STATUS
  [ "$1" -ne 0 ] && [ ! -s "$out" ] &&
    ! grep -q -v -e '^wine: ' -e '^wine client error' "$err"
}

for attempt in 1 2 3; do
  "$wine" "$@" >"$out" 2>"$err"
  status=$?
  not_started "$status" || break
  if [ "$attempt" -lt 3 ]; then
    echo "wine-run.sh: Wine did not start $1 (exit status $status), trying again" >&2
    sleep 1
  fi
done
cat "$out"
cat "$err" >&2
exit "$status"
