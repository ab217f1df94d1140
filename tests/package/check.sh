#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package of make package as Debian's own tools do: lintian on the package and
# its source (no error, no warning; infos and pedantic tags are printed), hardening-check on the
# installed binary (PIE, stack protector, RELRO, immediate binding), and a second build of the
# same tree in another folder, which must give byte-identical packages.
# Usage: check.sh BUILD_DIR
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(realpath "$1")
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/trouve-rebuild.XXXXXX) || exit 1
trap 'rm -rf "$work"' EXIT
failures=0

log() { echo "[package] $*"; }
fail() {
  log "FAIL: $*"
  failures=$((failures + 1))
}

debs=("$build"/trouve_*_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  log "FAIL: expected one trouve_<version>_<arch>.deb in $build (make package)"
  exit 1
fi
deb=${debs[0]}
name=${deb##*/}

# lintian: the binary package and the source it was built from (overridden tags are shown too).
sources=()
for dsc in "$build"/deb/trouve_*.dsc; do
  [ -f "$dsc" ] && sources+=("$dsc")
done
[ ${#sources[@]} -eq 1 ] || fail "expected the source package trouve_<version>.dsc in $build/deb"
log "lintian -EviIL +pedantic $name ${sources[*]##*/}"
lintian -EviIL +pedantic --show-overrides --fail-on error,warning "$deb" "${sources[@]}" ||
  fail "lintian reports an error or a warning"

# hardening-check on the binary as installed.
dpkg-deb -x "$deb" "$work/root"
report=$(hardening-check "$work/root/usr/bin/trouve")
echo "$report"
for feature in 'Position Independent Executable' 'Stack protected' 'Read-only relocations' \
  'Immediate binding'; do
  grep -q "^ $feature: yes" <<<"$report" || fail "hardening-check: $feature is not yes"
done

# The same tree built in another folder gives the same bytes.
log "second build in $work/build"
if ! bash scripts/package.sh "$work/out" "$work/build" >"$work/rebuild.log" 2>&1; then
  tail -n 30 "$work/rebuild.log"
  fail "the second build failed"
else
  for first in "$build"/trouve_*.deb "$build"/trouve-dbgsym_*.deb; do
    [ -f "$first" ] || continue
    second="$work/out/${first##*/}"
    sha256sum "$first" "$second"
    cmp -s "$first" "$second" || fail "${first##*/} differs between two builds of the same tree"
  done
fi

[ $failures -eq 0 ] && log "PASS: lintian, hardening-check, two identical builds"
exit $((failures > 0))
