#!/usr/bin/env bash
# Times full-facts lists of a bench tree served over sshfs on the loopback
# interface, where every stat is a round trip:
#   kestro --path --size --modified (its readers as it chooses them, and with
#   KESTRO_READERS=0), the window's create command (bench/window_bench, when
#   built), find -printf, bfs -printf and bench/min_lister.c.
#
#   bench/sshfs.sh [small|medium|large] [RUNS]
#
# Starts its own sshd on 127.0.0.1 on a spare port, with a host key and a
# user key made for this run in a temporary folder, mounts the tree with
# `sshfs -o cache=no`, and unmounts and stops everything it started however
# it ends. Needs sshd, sshfs and fusermount3 (bfs is left out when it is
# not installed); trees and kestro as for bench/run.sh.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
size="${1:-medium}"
runs="${2:-3}"
kestro="${KESTRO:-$here/../build-release/src/kestro}"
trees="${BENCH_TREES:-$here/trees}"
tree="$(realpath -m "$trees/$size")"

[ -x "$kestro" ] || { echo "no kestro at $kestro (run ./kestro.sh bench)" >&2; exit 2; }
sshd_program="$(command -v sshd || echo /usr/sbin/sshd)"
[ -x "$sshd_program" ] || { echo "no sshd (openssh-server)" >&2; exit 2; }
command -v sshfs >/dev/null || { echo "no sshfs" >&2; exit 2; }
if [ ! -d "$tree" ]; then
  echo "making the $size tree in $tree ..."
  mkdir -p "$trees"
  python3 "$here/make_tree.py" "$size" "$tree.part"
  mv "$tree.part" "$tree"
fi

work="$(mktemp -d)"
mount_point="$work/mnt"
sshd_pid=""
sshfs_pid=""
mounted=no
cleanup() {
  if [ "$mounted" = yes ]; then
    fusermount3 -u "$mount_point" 2>/dev/null || fusermount -u "$mount_point" 2>/dev/null ||
      umount -l "$mount_point" 2>/dev/null || true
  fi
  for pid in "$sshfs_pid" "$sshd_pid"; do
    if [ -n "$pid" ]; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

ssh-keygen -q -t ed25519 -N '' -C bench-host -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -C bench-user -f "$work/user_key"
cp "$work/user_key.pub" "$work/authorized_keys"
chmod 600 "$work/authorized_keys"
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
cat >"$work/sshd_config" <<CONFIG
ListenAddress 127.0.0.1
Port $port
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PermitRootLogin prohibit-password
AllowUsers $(id -un)
Subsystem sftp internal-sftp
CONFIG
# The privilege separation folder sshd insists on (root only).
[ "$(id -u)" -ne 0 ] || mkdir -p /run/sshd
"$sshd_program" -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
sshd_pid=$!

ssh_options=(-o "IdentityFile=$work/user_key" -o IdentitiesOnly=yes -o StrictHostKeyChecking=no
  -o "UserKnownHostsFile=$work/known_hosts" -o BatchMode=yes -o "Port=$port")
for _ in $(seq 50); do
  ssh "${ssh_options[@]}" "$(id -un)@127.0.0.1" true 2>/dev/null && break
  kill -0 "$sshd_pid" 2>/dev/null || { cat "$work/sshd.log" >&2; exit 1; }
  sleep 0.1
done
mkdir "$mount_point"
sshfs -f -o cache=no "${ssh_options[@]}" "$(id -un)@127.0.0.1:$tree" "$mount_point" &
sshfs_pid=$!
mounted=yes
for _ in $(seq 50); do
  mountpoint -q "$mount_point" && break
  sleep 0.1
done
mountpoint -q "$mount_point" || { echo "sshfs did not mount $tree" >&2; exit 1; }

lister="$work/min_lister"
cc -O2 -o "$lister" "$here/min_lister.c"

# shellcheck source=bench/timing.sh
source "$here/timing.sh"

# The same files as kestro lists (see run.sh).
prune=(-mindepth 1 -name '.*' -type d -prune -o -xtype f)
facts_format='%h/\t%f\t%s Byte\t%TY/%Tm/%Td %TH:%TM:%TS\n'
kestro_cmd=("$kestro" --list --hidden --system --no-folder-lines --path --size --modified "$mount_point")

echo "tree: $tree over sshfs -o cache=no on 127.0.0.1:$port, $runs runs each, medians"
echo "load before: $(uptime)"
"${kestro_cmd[@]}" >/dev/null # the first connection and the server's cache
k=$(median_time "${kestro_cmd[@]}")
k0=$(KESTRO_READERS=0 median_time "${kestro_cmd[@]}")
printf 'full facts: kestro %.3f s (%s lines), without readers %.3f s\n' "$k" \
  "$("${kestro_cmd[@]}" | wc -l)" "$k0"
# The window's own create command over the same share with the same options
# (offscreen), against the command line's time.
window_bench="${WINDOW_BENCH:-$(dirname "$kestro")/../bench/window_bench}"
if [ -x "$window_bench" ]; then
  window_line=$(QT_QPA_PLATFORM=offscreen "$window_bench" "$mount_point" "$runs")
  window_time=$(echo "$window_line" | awk '{print $2}')
  printf '%s\n    window/command line %.2f\n' "$window_line" "$(echo "$window_time / $k" | bc -l)"
fi
peer() { # name command...
  local name="$1" p
  shift
  p=$(median_time "$@")
  printf '    %-12s %7.3f s  kestro/%s %5.2f\n' "$name" "$p" "$name" "$(echo "$k / $p" | bc -l)"
}
peer min_lister "$lister" "$mount_point"
peer find find "$mount_point" "${prune[@]}" -printf "$facts_format"
if command -v bfs >/dev/null; then
  peer bfs bfs "$mount_point" "${prune[@]}" -printf "$facts_format"
fi
echo "load after: $(uptime)"
