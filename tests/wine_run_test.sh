#!/usr/bin/env bash
# cmake/wine-run.sh, through which every Windows test program runs, tries a
# program again only when Wine failed to start it (it ended at once and
# nothing but Wine wrote a line); a failing test fails at its first run.
# Here /bin/sh stands in for Wine.
#
#   wine_run_test.sh cmake/wine-run.sh
set -eu
run=$1
runs=$(mktemp)
trap 'rm -f "$runs"' EXIT

# Runs SCRIPT through wine-run.sh; it must end with STATUS after RUNS runs.
expect() { # RUNS STATUS SCRIPT
  : >"$runs"
  local status=0
  "$run" /bin/sh -c "echo run >>'$runs'; $3" >/dev/null 2>&1 || status=$?
  local made
  made=$(wc -l <"$runs")
  if [ "$status" -ne "$2" ] || [ "$made" -ne "$1" ]; then
    echo "wine_run_test: '$3' ran $made times, exit status $status; expected $1 runs, status $2"
    exit 1
  fi
}

expect 1 1 'echo "[  FAILED  ] a test"; exit 1'
expect 1 1 'echo "the list differs" >&2; exit 1'
expect 1 0 'exit 0'
# What a start Wine failed looks like: no line, or only Wine's own.
expect 3 1 'exit 1'
expect 3 5 'echo "wine: could not load kernel32.dll, status c0000135" >&2; exit 5'
expect 3 1 'echo "wine client error:0: recvmsg: Connection reset by peer" >&2; exit 1'
# Started at the second try: the run that counts passes.
expect 2 0 "[ \$(wc -l <'$runs') -ge 2 ] || exit 1; echo passed"
echo "wine_run_test: all cases hold"
