# SPDX-License-Identifier: GPL-3.0-or-later
# Orca, the screen reader, speaking French on the X server of e2e.sh, which sources this file: a
# session bus of its own, the accessibility bus switched on, speech-dispatcher with a module that
# only writes down what it is given, and Orca with a line-buffered debug log, in which every
# utterance is a "SPEECH OUTPUT: '...'" line. Needs $work, $DISPLAY, log and fail of e2e.sh.

orca_dir="" orca_bus="" orca_pid=""

# The environment of Orca and of the program it reads: private folders, a fr_FR.UTF-8 locale of
# our own (LOCPATH: the system's locales are not changed), the accessibility bridge on.
orca_env() {
  env HOME="$orca_dir/home" XDG_RUNTIME_DIR="$orca_dir/run" XDG_CONFIG_HOME="$orca_dir/home/.config" \
    XDG_DATA_HOME="$orca_dir/home/.local/share" XDG_CACHE_HOME="$orca_dir/home/.cache" \
    XDG_SESSION_TYPE=x11 NO_AT_BRIDGE=0 GTK_MODULES=gail:atk-bridge \
    LOCPATH="$orca_dir/locale" LANG=fr_FR.UTF-8 LANGUAGE=fr LC_ALL= \
    DBUS_SESSION_BUS_ADDRESS="$orca_bus" "$@"
}

orca_write_config() {
  mkdir -p "$orca_dir"/{home/.config/speech-dispatcher/modules,logs,locale} &&
    mkdir -m 700 -p "$orca_dir/run" || return 1
  localedef -i fr_FR -f UTF-8 "$orca_dir/locale/fr_FR.UTF-8" 2>/dev/null
  [ -d "$orca_dir/locale/fr_FR.UTF-8" ] || return 1
  cat >"$orca_dir/home/.config/speech-dispatcher/speechd.conf" <<EOF
LogLevel 2
LogDir "$orca_dir/logs"
SymbolsPreproc "char"
SymbolsPreprocFile "symbols.dic"
SymbolsPreprocFile "orca.dic"
SymbolsPreprocFile "orca-chars.dic"
AddModule "heard" "sd_generic" "heard.conf"
DefaultModule heard
DefaultLanguage "fr"
Timeout 0
EOF
  cat >"$orca_dir/home/.config/speech-dispatcher/modules/heard.conf" <<EOF
Debug 0
GenericExecuteSynth "printf '%s\\\\n' \\'\$DATA\\' >> $orca_dir/logs/heard.txt"
GenericLanguage "fr" "fr" "utf-8"
AddVoice "fr" "MALE1" "fr"
DefaultVoice "fr"
EOF
  # Orca's launcher opens its debug file block-buffered; this copy opens it line-buffered.
  sed 's/debug.debugFile = open(args.debug_file, .w.)/debug.debugFile = open(args.debug_file, "w", buffering=1)/' \
    /usr/bin/orca >"$orca_dir/orca"
}

# Starts the buses and Orca; returns once Orca has spoken.
orca_start() {
  local tool
  for tool in orca speech-dispatcher localedef dbus-daemon /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || fail "'$tool' is not installed (make deps installs it)"
  done
  orca_dir="$work/orca"
  orca_write_config || fail "cannot write Orca's configuration (and its fr_FR.UTF-8 locale)"
  dbus-daemon --session --fork --print-address=3 --print-pid=4 \
    3>"$orca_dir/bus.address" 4>"$orca_dir/bus.pid" || fail "cannot start a session bus"
  orca_bus=$(head -1 "$orca_dir/bus.address")
  orca_env /usr/libexec/at-spi-bus-launcher --launch-immediately >"$orca_dir/logs/atspi.log" 2>&1 &
  poll 10 orca_env gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null ||
    fail "the accessibility bus did not start"
  orca_env /usr/bin/python3 "$orca_dir/orca" --debug-file "$orca_dir/logs/orca-debug.out" \
    >"$orca_dir/logs/orca.log" 2>&1 &
  orca_pid=$!
  poll 60 grep -qa "SPEECH OUTPUT" "$orca_dir/logs/orca-debug.out" 2>/dev/null ||
    { cat "$orca_dir/logs/orca.log"; fail "Orca did not start speaking"; }
  log "  Orca speaks: $(orca_spoken_since 0 | head -1)"
}

# Ends what orca_start started, by pid: Orca, then whatever runs on the private session bus
# (speech-dispatcher and the accessibility registry, spawned for it), then the bus.
orca_stop() {
  local p pid
  [ -n "$orca_pid" ] && kill "$orca_pid" 2>/dev/null && wait "$orca_pid" 2>/dev/null
  orca_pid=""
  [ -n "$orca_bus" ] || return 0
  for p in /proc/[0-9]*; do
    pid=${p#/proc/}
    [ "$pid" = "$$" ] && continue
    grep -qzxF "DBUS_SESSION_BUS_ADDRESS=$orca_bus" "$p/environ" 2>/dev/null && kill "$pid" 2>/dev/null
  done
  [ -s "$orca_dir/bus.pid" ] && kill "$(cat "$orca_dir/bus.pid")" 2>/dev/null
  orca_bus=""
}

# The utterances of the debug log from its line $1 on, one a line (a line break inside one shows
# as \n).
orca_spoken_since() {
  /usr/bin/python3 - "$orca_dir/logs/orca-debug.out" "$1" <<'PY'
import re, sys
lines = open(sys.argv[1], encoding='utf-8', errors='replace', newline='\n').read().split('\n')[int(sys.argv[2]):]
stamp = re.compile(r'^\d\d:\d\d:\d\d\.\d+ - ')
said, current = [], None
for line in lines:
    m = stamp.match(line)
    if m or not line.startswith(' ' * 18):
        if current is not None:
            said.append(current)
            current = None
        if m and 'SPEECH OUTPUT:' in line:
            current = line[m.end() + len('SPEECH OUTPUT: '):]
    elif current is not None:
        current += '\\n' + line[18:]
if current is not None:
    said.append(current)
for s in said:
    s = re.sub(r"\s*\[?\{'established'.*\}\]?$", '', s).strip()
    if len(s) >= 2 and s[0] == s[-1] and s[0] in "'\"":
        s = s[1:-1]
    print(s.replace('\r', '\\r'))
PY
}

# Waits until Orca has caught up with what it was sent: its debug log has not grown for a second
# (20 seconds at most). A person pauses so too; keys sent faster than Orca reads them pile up, and
# Orca then drops the events that do not concern the focus.
orca_idle() {
  local size last="" deadline=$((SECONDS + 20))
  while [ $SECONDS -lt $deadline ]; do
    size=$(wc -c <"$orca_dir/logs/orca-debug.out")
    [ "$size" = "$last" ] && return 0
    last=$size
    sleep 1
  done
}

orca_mark() { orca_from=$(wc -l <"$orca_dir/logs/orca-debug.out"); }

# Waits until Orca has said, since the mark, an utterance that matches each extended regular
# expression given after the title $1 (20 seconds at most), logs what it said under the title,
# and fails otherwise.
orca_expect() {
  local title=$1 pattern
  shift
  for pattern in "$@"; do
    if ! poll 20 eval 'orca_spoken_since "$orca_from" | grep -qE -- "$pattern"'; then
      orca_spoken_since "$orca_from" | sed 's/^/    /'
      fail "Orca did not say /$pattern/ ($title)"
    fi
  done
  sleep 0.5 # what follows in the same breath
  log "  Orca, $title:"
  orca_spoken_since "$orca_from" | sed 's/^/    /'
}

# Fails when Orca said, since the mark, an utterance that matches $2.
orca_refute() {
  if orca_spoken_since "$orca_from" | grep -qE -- "$2"; then
    orca_spoken_since "$orca_from" | sed 's/^/    /'
    fail "Orca said /$2/ ($1)"
  fi
}
