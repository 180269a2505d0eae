#!/usr/bin/env bash
# Checks the Debian package the way a user meets it, on this machine:
#
#   tests/package/check_package.sh build-package/kestro_VERSION_ARCH.deb
#
# lintian, the store entry and the desktop entry are checked in the package;
# then it is installed with apt-get, the installed program, manual pages,
# completion, desktop entry, icons and help are checked where the package
# says they are, the window is started on a virtual X server and closed, and
# the package is removed again: nothing of it may remain but the settings the
# window wrote, which are the user's. Needs root (or sudo) for apt-get; a
# machine where kestro is already installed is refused rather than changed.
set -euo pipefail

deb="$(realpath "${1:?usage: $0 PACKAGE.deb}")"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

failures=0
fail() {
  echo "check_package: $*" >&2
  failures=$((failures + 1))
}
step() { echo "== $*"; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kestro-package.XXXXXX")"
installed=no
finish() {
  if [ "$installed" = yes ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq kestro >/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT

package="$(dpkg-deb -f "$deb" Package)"
version="$(dpkg-deb -f "$deb" Version)"
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
  echo "check_package: $package is installed on this machine already; remove it first" >&2
  exit 1
fi

step "lintian"
# Every warning is fixed or, where it does not apply to this package,
# overridden with its reason in the package's lintian overrides.
lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"

step "the store entry and the desktop entry in the package"
dpkg-deb -x "$deb" "$work/tree"
metainfo=("$work"/tree/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no store entry in usr/share/metainfo"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate found faults"
grep -q "<release version=\"$version\"" "${metainfo[@]}" || fail "the store entry lacks the release $version"
desktop-file-validate "$work"/tree/usr/share/applications/*.desktop || fail "desktop-file-validate found faults"

step "apt-get install $deb"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
installed=yes
# What the package holds; a package built from a folder lists its root as "/.".
mapfile -t files < <(dpkg -L "$package" | grep -vxF /.)
owns() { # PATH: whether the package says it holds PATH
  printf '%s\n' "${files[@]}" | grep -qxF -- "$1"
}
for path in "${files[@]}"; do
  [ -e "$path" ] || fail "the package lists $path, which is not there"
done

step "the installed program"
program="$(command -v kestro)" || fail "kestro is not on the PATH"
owns "$program" || fail "$program is not the package's"
IFS=. read -r major minor revision <<<"$version"
expected="$(printf 'kestro Ver.%d.%02d.%04d' "$major" "$minor" "$revision")"
[ "$(kestro --version)" = "$expected" ] || fail "kestro --version said '$(kestro --version)', not '$expected'"
# What the program loads only when a list needs it: the file-type module, and
# the libraries of the checksums and of the workbook.
mkdir -p "$work/listed"
printf 'abc' >"$work/listed/a.txt"
listed="$(LANGUAGE='' LC_ALL=C kestro --list --no-sub --type --hash "$work/listed")" ||
  fail "kestro --list --type --hash failed"
grep -qF $'a.txt\tplain text document\tba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad' <<<"$listed" ||
  fail "the installed program listed the type or checksum wrongly: $listed"
if ! kestro --list --no-sub --xlsx "$work/listed.xlsx" "$work/listed" || [ ! -s "$work/listed.xlsx" ]; then
  fail "the installed program made no workbook"
fi

step "manual pages and completion"
for language in "" ja; do
  page="$(man -w ${language:+-L "$language"} kestro)" || fail "man -w finds no page (${language:-en})"
  owns "$page" || fail "man -w kestro found $page, not the package's page"
  [[ "$page" == *.gz ]] || fail "$page is not compressed"
done
[ "$(man -w -L ja kestro)" != "$(man -w kestro)" ] || fail "no Japanese manual page of its own"
completion=/usr/share/bash-completion/completions/kestro
owns "$completion" || fail "no bash completion in the package"
# Every option the help names is in both pages and in the completion.
mapfile -t options < <(kestro --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
[ ${#options[@]} -gt 20 ] || fail "kestro --help names only ${#options[@]} options"
for page in "$(man -w kestro)" "$(man -w -L ja kestro)"; do
  text="$(zcat "$page" | sed 's/\\-/-/g')"
  for option in "${options[@]}"; do
    grep -q -e "$option" <<<"$text" || fail "$page does not name $option"
  done
done
for option in "${options[@]}"; do
  grep -q -e "$option" "$completion" || fail "the completion does not offer $option"
done
# The completion completes: the options of --list, a value after "=".
# shellcheck disable=SC2016 # expanded by the inner shell
completed="$(bash -c '
  source "$1"
  complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _kestro; printf "%s " "${COMPREPLY[@]}"; echo; }
  complete_words kestro --li
  complete_words kestro --list --si
  complete_words kestro --list --size = ""
' bash "$completion")"
[ "$completed" = "$(printf '%s\n' '--list ' '--size --size= ' 'byte kb mb ')" ] ||
  fail "the completion offered: $completed"

step "desktop entry, icons, help"
entry=/usr/share/applications/kestro.desktop
owns "$entry" || fail "no desktop entry at $entry in the package"
exec_line="$(grep '^Exec=' "$entry" || true)"
[ "$exec_line" = "Exec=$program" ] || fail "the desktop entry starts '$exec_line', not $program"
icon="$(sed -n 's/^Icon=//p' "$entry")"
for size in 16 32 48 64 128 256; do
  owns "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" || fail "no ${size}x${size} icon '$icon'"
done
owns /usr/share/kestro/Kestro.html || fail "no help at /usr/share/kestro/Kestro.html"

step "the window on a virtual X server"
home="$work/home"
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
settings="$home/.config/Kestro/Kestro.conf"
# The window runs until SIGTERM closes it as its close box would; closing
# writes the settings.
# shellcheck disable=SC2016 # expanded by the inner shell
if ! HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
  XDG_RUNTIME_DIR="$work/runtime" xvfb-run -a bash -c '
    kestro & window=$!
    for _ in $(seq 100); do
      xwininfo -root -tree | grep -q "\"Kestro - " && break
      kill -0 "$window" 2>/dev/null || break
      sleep 0.2
    done
    xwininfo -root -tree | grep -q "\"Kestro - " || { echo "no Kestro window appeared" >&2; exit 1; }
    kill -TERM "$window"
    wait "$window"
  '; then
  fail "the installed window did not start and close"
fi
[ -f "$settings" ] || fail "closing the window wrote no settings at $settings"

step "apt-get remove $package"
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq "$package" >/dev/null
installed=no
status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
[ -z "$status" ] || [ "$status" = "unknown ok not-installed" ] || fail "after removal dpkg says: $status"
for path in "${files[@]}"; do
  if [ -d "$path" ]; then
    # A folder may stay only as another package's.
    dpkg -S "$path" >/dev/null 2>&1 || fail "$path stayed after removal"
  elif [ -e "$path" ] || [ -L "$path" ]; then
    fail "$path stayed after removal"
  fi
done
left="$(find /usr /etc /opt /var/lib/dpkg/info -iname '*kestro*' 2>/dev/null || true)"
[ -z "$left" ] || fail "left after removal: $left"
[ -f "$settings" ] || fail "removing the package removed the user's settings"

if [ "$failures" -gt 0 ]; then
  echo "check_package: $failures check(s) failed" >&2
  exit 1
fi
echo "check_package: $package $version installs, runs and removes cleanly"
