#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with dpkg-buildpackage in a copy of the tree, so that the build's
# files stay out of the tree and its outputs out of the tree's parent folder, then copies the
# package to OUT_DIR (trouve_<version>_<arch>.deb, with its debug symbols and .buildinfo).
# DEB_BUILD_OPTIONS and DEB_BUILD_PROFILES are passed on: `nocheck` in both builds it without
# running the suites.
# Usage: package.sh OUT_DIR [WORK_DIR]   (WORK_DIR: where the copy is built, OUT_DIR/deb by default)
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 OUT_DIR [WORK_DIR]" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
out=$(realpath -m "$1")
work=$(realpath -m "${2:-$out/deb}")

version=$(dpkg-parsechangelog -S Version)
project=$(sed -n 's/^project(trouve VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
if [ "$version" != "$project" ]; then
  echo "debian/changelog is at $version, CMakeLists.txt at $project: give them the same version" >&2
  exit 1
fi

# The files of the tree as they are now, tracked or new, without what .gitignore leaves out.
src="$work/trouve-$version"
rm -rf "$src"
mkdir -p "$src" "$out"
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  xargs -0 cp --parents -P -t "$src"

# The source package first, from the clean copy, for lintian; then the binary package.
(cd "$work" && dpkg-source -b "trouve-$version")
(cd "$src" && dpkg-buildpackage -us -uc -b)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
cp "$work/trouve_${version}_$arch.deb" "$work/trouve_${version}_$arch.buildinfo" "$out/"
cp "$work"/trouve-dbgsym_"${version}"_"$arch".*deb "$out/" 2>/dev/null || true
echo "$out/trouve_${version}_$arch.deb"
