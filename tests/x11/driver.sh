#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Driving trouve's real window on a private X server: the server and its window manager, the log
# of steps, screenshots, the failure report, waits, and the pointer and keyboard through xdotool. Sourced by tests/x11/e2e.sh and
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

# Starts Xvfb on the first free display from $1 to $2, then openbox on it, with a private runtime
# and configuration folder under $work; sets DISPLAY, xvfb_pid and wm_pid, or fails.
start_display() {
  local display tool attempt
  unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE WAYLAND_DISPLAY XAUTHORITY DISPLAY
  export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
  mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
  for tool in Xvfb openbox xdotool xclip xdpyinfo xprop xwininfo import; do
    command -v "$tool" >/dev/null || fail "'$tool' is not installed (make deps installs it)"
  done
  [ -x "$app" ] || fail "$app was not built"
  rm -f "$artefacts"/[0-9][0-9]-*.png
  xvfb_pid=""
  for ((display = $1; display <= $2; display++)); do
    [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
    # -noreset: without it the server resets when its last client leaves (xdpyinfo below), and a
    # client that connects during the reset, such as openbox, is refused.
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    if poll 15 timeout 5 xdpyinfo -display ":$display" >/dev/null 2>&1; then
      export DISPLAY=":$display"
      break
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  if [ -z "${DISPLAY:-}" ] || [ -z "$xvfb_pid" ]; then
    unset DISPLAY
    cat "$work/xvfb.log" 2>/dev/null
    fail "no X server could start on displays :$1 to :$2; the window cannot be tested"
  fi
  log "  Xvfb on $DISPLAY (pid $xvfb_pid)"
  wm_pid=""
  for attempt in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    poll 20 wm_running && break
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
    wm_pid=""
    log "  openbox did not start (attempt $attempt): $(head -c 300 "$work/openbox.log")"
  done
  [ -n "$wm_pid" ] || fail "openbox did not start"
  log "  openbox running (pid $wm_pid)"
}
