#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Driving trouve's real window on a private X server: the log of steps, screenshots, the failure
# report, waits, and the pointer and keyboard through xdotool. Sourced by tests/x11/e2e.sh and
# bench/past_2g_window.sh, which set started, step_name, shot_no, artefacts, work, app_pid,
# main_win and WINDOW_TIMEOUT first.
# shellcheck disable=SC2154 # those variables are the sourcing script's

log() { printf '[%3ds] %s\n' $((SECONDS - started)) "$*"; }

step() {
  step_name=$1
  log "STEP $step_name"
}

screenshot() {
  [ -n "${DISPLAY:-}" ] || return 0
  shot_no=$((shot_no + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$artefacts" "$shot_no" "$1")
  if timeout 20 import -window root "$file" 2>/dev/null; then
    log "  screenshot $file"
  else
    log "  (screenshot $file failed)"
  fi
}

fail() {
  log "FAIL at step '$step_name': $*"
  screenshot "failure"
  if [ -s "$work/app.log" ]; then
    echo "--- output of trouve ---"
    cat "$work/app.log"
  fi
  exit 1
}

# Runs "$@" every 0.2 s until it succeeds or $1 seconds have passed.
poll() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.2
  done
}

xdo() { timeout 10 xdotool "$@"; }

visible_windows() { xdo search --onlyvisible --pid "$app_pid" 2>/dev/null; }

# Prints the id of a visible window of trouve, other than the main window, whose name matches $1.
other_window() {
  local id
  for id in $(xdo search --all --onlyvisible --pid "$app_pid" --name "$1" 2>/dev/null); do
    [ "$id" != "$main_win" ] && { echo "$id"; return 0; }
  done
  return 1
}

is_visible() { visible_windows | grep -qx "$1"; }
is_gone() { ! is_visible "$1"; }
is_active() { [ "$(xdo getactivewindow 2>/dev/null)" = "$1" ]; }

# Waits for a new window of trouve named like $1 ($2 seconds at most), makes sure it has the
# keyboard, prints its id.
wait_dialog() {
  local id="" deadline=$((SECONDS + ${2:-$WINDOW_TIMEOUT}))
  until id=$(other_window "$1"); do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.2
  done
  poll 5 is_active "$id" || xdo windowactivate "$id" 2>/dev/null
  poll "$WINDOW_TIMEOUT" is_active "$id" || return 1
  echo "$id"
}

app_alive() { kill -0 "$app_pid" 2>/dev/null; }

click_at() { # x y [clicks]
  app_alive || fail "trouve is no longer running"
  xdo mousemove --window "$main_win" "$1" "$2" || fail "cannot move the pointer to ($1,$2)"
  xdo click --repeat "${3:-1}" --delay 60 1 || fail "cannot click at ($1,$2)"
}

key() { xdo key --delay 40 "$@" || fail "cannot press $*"; }
type_text() { xdo type --delay 30 -- "$1" || fail "cannot type '$1'"; }

# Whether a window manager runs on the display.
wm_running() { timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The CPU time of trouve, in clock ticks, all its threads together.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app_pid/stat" 2>/dev/null; }
