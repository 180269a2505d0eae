# Sourced by the bench scripts: the median wall time in seconds of `runs`
# runs of a command (its output discarded).
# shellcheck shell=bash
median_time() {
  local times=()
  # shellcheck disable=SC2154 # runs: set by the script that sources this
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]}'
}
