#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package of make package with dpkg -i, starts the program from its menu entry
# as a desktop does (gio launch, on a private X server), checks that the installed binary shows its
# window, then removes the package with dpkg -r and checks that every file it installed is gone.
# Root only (CI runs it after the suite). A trouve package already installed is left alone.
# Usage: install.sh BUILD_DIR
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
readonly WINDOW_TIMEOUT=30
installed=0
work=$(mktemp -d /tmp/trouve-package.XXXXXX) || exit 1

log() { echo "[package] $*"; }
fail() {
  log "FAIL: $*"
  exit 1
}
is_installed() { dpkg-query -W -f='${Status}' trouve 2>/dev/null | grep -q 'ok installed'; }

cleanup() {
  [ $installed -eq 1 ] && is_installed && dpkg -r trouve >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

[ "$(id -u)" -eq 0 ] || fail "installing a package needs root"
is_installed && fail "a trouve package is already installed; remove it first (dpkg -r trouve)"
debs=("$1"/trouve_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one trouve_<version>_<arch>.deb in $1 (make package)"
deb=${debs[0]}
log "$(basename "$deb"): $(stat -c %s "$deb") bytes"

installed=1
dpkg -i "$deb" || fail "dpkg -i $deb failed"
is_installed || fail "dpkg -i did not leave trouve installed"
dpkg-query -L trouve >"$work/listed"
while read -r path; do
  [ -d "$path" ] || echo "$path"
done <"$work/listed" >"$work/files"
log "installed $(wc -l <"$work/files") files:"
sed 's/^/  /' "$work/files"
while read -r path; do
  [ -f "$path" ] || fail "$path is listed but not installed"
done <"$work/files"

# The menu entry, as a desktop launches it; the window's process must run the installed binary.
entry=/usr/share/applications/trouve.desktop
[ -f "$entry" ] || fail "no menu entry $entry"
cat >"$work/start.sh" <<'EOF'
gio launch "$1" >/dev/null 2>&1 || exit 3
win=$(timeout "$2" xdotool search --sync --onlyvisible --name '^Recherche de texte$' | head -1)
[ -n "$win" ] || exit 4
pid=$(xdotool getwindowpid "$win") || exit 5
exe=$(readlink "/proc/$pid/exe")
kill "$pid"
[ "$exe" = /usr/bin/trouve ] || { echo "the window belongs to $exe"; exit 6; }
EOF
env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work" \
  timeout 120 xvfb-run -a bash "$work/start.sh" "$entry" "$WINDOW_TIMEOUT"
case $? in
  0) log "the menu entry started /usr/bin/trouve, which showed its window" ;;
  3) fail "gio launch $entry failed" ;;
  4) fail "no window 'Recherche de texte' within ${WINDOW_TIMEOUT}s of launching the menu entry" ;;
  *) fail "starting from the menu entry failed" ;;
esac

dpkg -r trouve || fail "dpkg -r trouve failed"
installed=0
is_installed && fail "trouve is still installed after dpkg -r"
while read -r path; do
  [ -e "$path" ] && fail "$path is left after dpkg -r"
done <"$work/files"
log "PASS: installed, started from the menu entry, removed with every file"
