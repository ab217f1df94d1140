#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window with assistive technologies on and off (bench/window_accessible): a load of the
# corpus, a run of "on" (about 2 million results) and the painting of the window, on a private
# Xvfb. "on" runs the window on a session bus of its own with an accessibility bus (at-spi2-core)
# and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, as when a screen reader runs: Qt's AT-SPI bridge is
# active and the views build their events (no screen reader listens, so the bridge sends none).
# "off" runs the same window without a bus. Three rounds, off and on in turn; the best total of
# each. Target: on <= 1.1 x off, in Windows-1252 and in UTF-8.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TROUVE_BUILD:-$here/../build}
out=${TROUVE_BENCH_OUT:-$here/out}
corpus=${TROUVE_CORPUS:-$out/corpus-256.txt}
utf8=${TROUVE_CORPUS_UTF8:-$out/corpus-256-utf8.txt}
source "$here/lib.sh"
bench="$build/bench/window_accessible"
readonly PATTERN=on

work=$(mktemp -d /tmp/trouve-bench-a11y.XXXXXX)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for display in 81 82 83 84 85 86 87 88 89; do
  [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  sleep 1
  if xdpyinfo -display ":$display" >/dev/null 2>&1; then
    break
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "no X server could start on displays :81 to :89" >&2; exit 1; }
mkdir -m 700 "$work/runtime"
export DISPLAY=":$display" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON

# window MODE FILE: prints "load run paint results active" of one run.
window() {
  if [ "$1" = on ]; then
    # The buses' daemons write to the session's output: the figures go through a file.
    dbus-run-session -- bash -c '
      gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.a11y.Bus.GetAddress >/dev/null &&
      QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "${@:2}" >"$1"' _ "$work/figures" \
      "$bench" "$2" "$PATTERN" >/dev/null 2>&1
    cat "$work/figures"
    sleep 1 # the accessibility bus ends with its session
  else
    # The bus launcher leaves its address on the root window; without it Qt finds no bus.
    xprop -root -remove AT_SPI_BUS 2>/dev/null || true
    "$bench" "$2" "$PATTERN" 2>/dev/null
  fi
}

# measure NAME FILE: three rounds of off and on; prints their rows; sets RATIO (on / off totals).
measure() {
  local mode round line load run paint count active total
  declare -A best row
  cat "$2" >/dev/null # warm the page cache
  for round in 1 2 3; do
    for mode in off on; do
      line=$(window "$mode" "$2")
      read -r load run paint count active <<<"$line"
      if [ "$active" != "$([ "$mode" = on ] && echo 1 || echo 0)" ]; then
        echo "accessibility $mode: Qt reported active=$active" >&2
        exit 1
      fi
      total=$(awk -v a="$load" -v b="$run" -v c="$paint" 'BEGIN { printf "%.3f", a + b + c }')
      if [ -z "${best[$mode]:-}" ] || awk -v t="$total" -v b="${best[$mode]}" 'BEGIN { exit !(t < b) }'; then
        best[$mode]=$total
        row[$mode]="| $1 | $mode | $load | $run | $paint | $total | $count |"
      fi
    done
  done
  echo "${row[off]}"
  echo "${row[on]}"
  RATIO=$(ratio "${best[on]}" "${best[off]}")
}

echo "Pattern \"$PATTERN\"; best of 3 rounds; seconds"
echo "| corpus | accessibility | load | run | paint | total | results |"
echo "|---|---|---|---|---|---|---|"
measure "Windows-1252" "$corpus"
cp1252=$RATIO
measure "UTF-8" "$utf8"
target "accessibility on, Windows-1252" "$cp1252" "x off" 1.1
target "accessibility on, UTF-8" "$RATIO" "x off" 1.1
