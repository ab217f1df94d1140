#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch folder, as the package lays it out under /usr, and checks what
# a desktop and a software centre read there: the menu entry (desktop-file-validate), the AppStream
# metadata alone and beside the menu entry it names (appstreamcli, no hint of any severity
# allowed), its newest release against the project's version, and the icon at every size, scalable
# and drawn sharp at its largest.
# Usage: desktop_files.sh CMAKE BUILD_DIR VERSION
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 CMAKE BUILD_DIR VERSION" >&2
  exit 2
fi
cmake=$1 build_dir=$2 version=$3
root=$(mktemp -d /tmp/trouve-tree.XXXXXX)
trap 'rm -rf "$root"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

DESTDIR="$root" "$cmake" --install "$build_dir" --prefix /usr >/dev/null
share="$root/usr/share"

desktop="$share/applications/trouve.desktop"
if [ ! -f "$desktop" ]; then
  fail "no menu entry at usr/share/applications/trouve.desktop"
elif ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then
  fail "desktop-file-validate: $out"
fi

metainfo=("$share"/metainfo/*.metainfo.xml)
if [ ! -f "${metainfo[0]}" ] || [ ${#metainfo[@]} -ne 1 ]; then
  fail "expected one AppStream file in usr/share/metainfo"
else
  appstreamcli validate --no-net --pedantic --strict "${metainfo[0]}" ||
    fail "appstreamcli validate: ${metainfo[0]##*/}"
  appstreamcli validate-tree --no-net --pedantic --strict "$root" || fail "appstreamcli validate-tree"
  newest=$(grep -o -m1 '<release version="[^"]*"' "${metainfo[0]}" | cut -d'"' -f2)
  [ "$newest" = "$version" ] ||
    fail "the newest release in the metadata is '$newest', the project's version is $version"
fi

icon=$(sed -n 's/^Icon=//p' "$desktop" 2>/dev/null)
for size in 16 24 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/$icon.png"
  file -b "$png" 2>/dev/null | grep -q "PNG image data, $size x $size," ||
    fail "no ${size}x${size} PNG icon named '$icon': $(file -b "$png" 2>&1)"
done
svg="$share/icons/hicolor/scalable/apps/$icon.svg"
rsvg-convert -w 64 -h 64 "$svg" >/dev/null 2>&1 || fail "no scalable icon $svg that renders"
# A large icon drawn at its size, not a small drawing enlarged: the 256 px icon differs from itself
# sampled down to 32 px and back up.
big="$share/icons/hicolor/256x256/apps/$icon.png"
if [ -f "$big" ] && [ "$(convert "$big" -sample 32x32 -sample 256x256 - | compare -metric AE "$big" - null: 2>&1)" = 0 ]; then
  fail "the 256 px icon is a 32 px drawing enlarged"
fi

[ $failures -eq 0 ] && echo "PASS: menu entry, AppStream metadata and icons"
exit $((failures > 0))
