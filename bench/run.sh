#!/usr/bin/env bash
# Times `kestro --list` against `find` doing the same job on one tree, in one
# run, and prints the medians, their ratio and kestro's peak memory.
#
#   bench/run.sh [small|medium|large] [RUNS]
#
# The tree is made once under bench/trees/ (deterministic). Uses the release
# build in build-release/ (./kestro.sh bench builds it).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
size="${1:-medium}"
runs="${2:-5}"
kestro="${KESTRO:-$here/../build-release/src/kestro}"
tree="$here/trees/$size"

[ -x "$kestro" ] || { echo "no kestro at $kestro (run ./kestro.sh bench)" >&2; exit 2; }
if [ ! -d "$tree" ]; then
  echo "making the $size tree in $tree ..."
  python3 "$here/make_tree.py" "$size" "$tree.part"
  mv "$tree.part" "$tree"
fi

# Median wall time in seconds of `runs` runs of a command (output discarded).
median_time() {
  local times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]}'
}

peak_memory() { # kB
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /,"",$2); print $2}'
  else
    echo "?"
  fi
}

compare() { # title, then the kestro command and the find command separated by --
  local title="$1"
  shift
  local kestro_cmd=() find_cmd=()
  while [ "$1" != "--" ]; do kestro_cmd+=("$1"); shift; done
  shift
  find_cmd=("$@")
  # Warm the cache and check both list the same number of files.
  local k_lines f_lines
  k_lines=$("${kestro_cmd[@]}" | wc -l)
  f_lines=$("${find_cmd[@]}" | wc -l)
  local k f
  k=$(median_time "${kestro_cmd[@]}")
  f=$(median_time "${find_cmd[@]}")
  local ratio
  ratio=$(echo "$k / $f" | bc -l)
  printf '%-28s kestro %7.3f s  find %7.3f s  ratio %5.2f  lines %s/%s  peak %s kB\n' \
    "$title" "$k" "$f" "$ratio" "$k_lines" "$f_lines" "$(peak_memory "${kestro_cmd[@]}")"
}

# Both sides list the same files: kestro never walks hidden folders, so find
# prunes them too. kestro's extra lines are its header and the empty line
# before each folder's group that the path column brings.
files=$(find "$tree" -type f | wc -l)
echo "tree: $tree ($files files), $runs runs each, medians"
compare "names only, recursive" \
  "$kestro" --list --hidden --system --no-folder-lines --path "$tree" -- \
  find "$tree" -mindepth 1 -name '.*' -type d -prune -o -type f -printf '%h/\t%f\n'
compare "full facts, recursive" \
  "$kestro" --list --hidden --system --no-folder-lines --path --ext --size=kb --attr \
  --created --modified --accessed "$tree" -- \
  find "$tree" -mindepth 1 -name '.*' -type d -prune -o -type f -printf '%h/\t%f\t%s\t%m\t%BY/%Bm/%Bd %BH:%BM:%BS\t%TY/%Tm/%Td %TH:%TM:%TS\t%AY/%Am/%Ad %AH:%AM:%AS\n'
