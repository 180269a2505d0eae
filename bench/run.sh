#!/usr/bin/env bash
# Times `kestro --list` against other programs doing the same job on one
# tree, all in one run, and prints the medians, the ratios and kestro's peak
# memory:
#   names only   kestro --path                  find -printf, bfs -printf
#   full facts   kestro --path --size --modified  bench/min_lister.c, bfs -printf
#   compare      kestro --compare SAVED          kestro --list (the same options)
#   window       the window's create command     kestro --list (the same options)
#   workbook     kestro --list --xlsx FILE       kestro --list (the same options)
#   checksums    kestro --path --hash            sha256sum over the same files
#                (the tree's files below 1 MiB, hard-linked into a temporary
#                tree: its sparse files of several GiB hold most of its bytes)
#
#   bench/run.sh [small|medium|large] [RUNS]
#
# The tree is made once under $BENCH_TREES (default bench/trees/; the same
# SIZE always gives the same tree). Uses the release build in build-release/
# (./kestro.sh bench builds it); bfs is left out when it is not installed.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
size="${1:-medium}"
runs="${2:-5}"
kestro="${KESTRO:-$here/../build-release/src/kestro}"
trees="${BENCH_TREES:-$here/trees}"
tree="$trees/$size"

[ -x "$kestro" ] || { echo "no kestro at $kestro (run ./kestro.sh bench)" >&2; exit 2; }
if [ ! -d "$tree" ]; then
  echo "making the $size tree in $tree ..."
  mkdir -p "$trees"
  python3 "$here/make_tree.py" "$size" "$tree.part"
  mv "$tree.part" "$tree"
fi
lister="$(mktemp -d)/min_lister"
listed="$(dirname "$lister")/files"
# Beside the tree: hard links need the same file system.
linked="$(mktemp -d "$trees/hashed.XXXXXX")"
trap 'rm -rf "$(dirname "$lister")" "$linked"' EXIT
cc -O2 -o "$lister" "$here/min_lister.c"
have_bfs=$(command -v bfs >/dev/null && echo yes || echo no)

# shellcheck source=bench/timing.sh
source "$here/timing.sh"

peak_memory() { # kB
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /,"",$2); print $2}'
  else
    echo "?"
  fi
}

# Every program lists the same files: kestro never walks hidden folders, so
# the others prune them, and it lists a link to a file as a file, so they
# take what -xtype f takes (a link's target's kind costs a stat, as it does
# kestro). kestro's extra lines are its header and the empty line before
# each folder's group that the path column brings.
prune=(-mindepth 1 -name '.*' -type d -prune -o -xtype f)
names_format='%h/\t%f\n'
facts_format='%h/\t%f\t%s Byte\t%TY/%Tm/%Td %TH:%TM:%TS\n'

# One comparison: a title, kestro's options, then each peer as "name=command"
# words separated by "--".
compare() {
  local title="$1" options="$2"
  shift 2
  local option_words
  read -r -a option_words <<<"$options"
  local kestro_cmd=("$kestro" --list --hidden --system --no-folder-lines "${option_words[@]}" "$tree")
  local k
  "${kestro_cmd[@]}" >/dev/null # warm the cache
  k=$(median_time "${kestro_cmd[@]}")
  printf '%s: kestro %.3f s, %s lines, peak %s kB\n' "$title" "$k" \
    "$("${kestro_cmd[@]}" | wc -l)" "$(peak_memory "${kestro_cmd[@]}")"
  while [ $# -gt 0 ]; do
    local name="$1" peer=()
    shift
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do peer+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    local p
    "${peer[@]}" >/dev/null
    p=$(median_time "${peer[@]}")
    printf '    %-12s %7.3f s  kestro/%s %5.2f  lines %s\n' "$name" "$p" "$name" \
      "$(echo "$k / $p" | bc -l)" "$("${peer[@]}" | wc -l)"
  done
}

files=$(find "$tree" -type f | wc -l)
echo "tree: $tree ($files files), $runs runs each, medians, warm cache"
bfs_names=() bfs_facts=()
if [ "$have_bfs" = yes ]; then
  bfs_names=(-- bfs bfs "$tree" "${prune[@]}" -printf "$names_format")
  bfs_facts=(-- bfs bfs "$tree" "${prune[@]}" -printf "$facts_format")
fi
compare "names only (--path)" "--path" \
  find find "$tree" "${prune[@]}" -printf "$names_format" "${bfs_names[@]}"
compare "full facts (--path --size --modified)" "--path --size --modified" \
  min_lister "$lister" "$tree" "${bfs_facts[@]}"
# A comparison reads the list made now against a saved one: its time beside
# making the list alone, and its peak memory (the saved list is held whole).
saved="$(dirname "$lister")/saved.txt"
facts=(--hidden --system --no-folder-lines --path --size --modified)
"$kestro" --list "${facts[@]}" "$tree" >"$saved"
list_time=$(median_time "$kestro" --list "${facts[@]}" "$tree")
compare_cmd=("$kestro" --compare "$saved" "${facts[@]}" "$tree")
"${compare_cmd[@]}" >/dev/null || [ $? -eq 4 ]
compare_time=$(median_time "${compare_cmd[@]}")
printf 'compare with a saved list (%s bytes): %.3f s, list alone %.3f s, compare/list %.2f, peak %s kB\n' \
  "$(stat -c %s "$saved")" "$compare_time" "$list_time" \
  "$(echo "$compare_time / $list_time" | bc -l)" "$(peak_memory "${compare_cmd[@]}")"
# The window's own create command over the same tree with the same options
# (offscreen): its time against the command line's, the longest stretch
# without a turn of the event loop, and the peak memory with the list in the
# pane.
window_bench="${WINDOW_BENCH:-$(dirname "$kestro")/../bench/window_bench}"
if [ -x "$window_bench" ]; then
  window_line=$("$window_bench" "$tree" "$runs")
  window_time=$(echo "$window_line" | awk '{print $2}')
  printf '%s\n    window/command line %.2f (command line %.3f s)\n' "$window_line" \
    "$(echo "$window_time / $list_time" | bc -l)" "$list_time"
fi
# The same list as a workbook: its time beside the text list's, and the peak
# memory of each (the workbook's rows go to its file as they are made).
book="$(dirname "$lister")/list.xlsx"
book_cmd=("$kestro" --list "${facts[@]}" --xlsx "$book" "$tree")
"${book_cmd[@]}"
book_time=$(median_time "${book_cmd[@]}")
printf 'workbook (%s bytes): %.3f s, text list %.3f s, workbook/list %.2f, peak %s kB, text list %s kB\n' \
  "$(stat -c %s "$book")" "$book_time" "$list_time" "$(echo "$book_time / $list_time" | bc -l)" \
  "$(peak_memory "${book_cmd[@]}")" "$(peak_memory "$kestro" --list "${facts[@]}" "$tree")"
python3 - "$tree" "$linked" <<'PY'
import os, sys
source, target = sys.argv[1], sys.argv[2]
for folder, folders, names in os.walk(source):
    folders[:] = [f for f in folders if not f.startswith(".")]
    into = os.path.join(target, os.path.relpath(folder, source))
    os.makedirs(into, exist_ok=True)
    for name in names:
        path = os.path.join(folder, name)
        if os.path.isfile(path) and not os.path.islink(path) and os.path.getsize(path) < 1 << 20:
            os.link(path, os.path.join(into, name))
PY
tree="$linked"
# The files kestro reads, named once beforehand, so that sha256sum's time is
# the reading and digesting alone.
find "$tree" "${prune[@]}" -print0 >"$listed"
compare "checksums (--path --hash, files below 1 MiB)" "--path --hash" \
  sha256sum xargs -0 -a "$listed" sha256sum
