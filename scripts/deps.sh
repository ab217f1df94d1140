#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing trouve need, if any is missing.
# As root it installs them; otherwise through sudo when that works without a password; otherwise it
# prints the one command to run and fails.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-translations-l10n fonts-dejavu-core
  qt6-base-private-dev # Qt's window-system queue: app/edit.cpp and test_busy_work
  libxcb1-dev # the real-window test's pinger
  xvfb xauth xdotool openbox xclip x11-utils imagemagick
  qt6ct # the dark colour scheme of the real-window test
  at-spi2-core dbus-daemon # the accessibility bus of the real-window test
  orca speech-dispatcher espeak-ng locales # the screen reader of the real-window test, in French
  x11-xkb-utils # setxkbmap: the French keyboard of the real-window test
  clang libclang-rt-14-dev
  ripgrep time
  librsvg2-bin # the large icons, rendered from the scalable drawing
  dpkg-dev debhelper file desktop-file-utils appstream libglib2.0-bin # the package and its checks
  lintian devscripts # devscripts: hardening-check
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Paquets manquants : ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  sudo=(sudo)
else
  echo "Installez-les avec :"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
