#!/usr/bin/env bash
# Runs the window ($1) under strace beside Orca, with their own session and accessibility buses:
# after 字, Enter and Enter again, Orca has spoken the record twice, and the window changed nothing
# in its folder and opened no network socket. Exits 77 (skipped) where Orca is not installed.
set -euo pipefail
if [ -z "${PAVREL_PRIVATE_BUS:-}" ]; then
  PAVREL_PRIVATE_BUS=1 exec timeout 150 dbus-run-session -- "$0" "$@"
fi
work=$(mktemp -d)
window=
trap '[ -z "$window" ] || kill "$(xdotool getwindowpid "$window" 2>/dev/null)" 2>/dev/null || true
  kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
# Orca's settings and the desktop settings it changes stay in the temporary folder.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
# Qt serves screen readers without asking the desktop whether one runs. LeakSanitizer, in a
# sanitizer build, cannot stop the threads of a traced process.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
log=$work/orca.log

heard() {  # SECONDS COUNT PATTERN [FILE]: waits until FILE (Orca's log) has COUNT lines matching
  local tries=$(($1 * 10))
  until [ "$(grep -c -- "$3" "${4:-$log}" 2>/dev/null)" -ge "$2" ] 2>/dev/null; do
    ((tries-- > 0)) && sleep 0.1 || return 1
  done
}

command -v orca >/dev/null || { echo "Orca is not installed"; exit 77; }
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
# Orca writes what it speaks to its debug file, also without a speech server. Speech stays on
# (Orca 48 speaks no notification with speech off), but speech-dispatcher is not started for it:
# its synthesizer, without a sound device, keeps Orca 48 from passing keys on. Orca buffers its
# debug file unless it is a terminal, so it writes to the terminal that script(1) records.
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher"
echo DisableAutoSpawn >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
script -qfec "orca --user-prefs '$work/orca' --disable braille --debug-file=/dev/tty" "$log" \
  </dev/null >/dev/null & orca=$!

mkdir "$work/table"; cd "$work/table"
printf '\xD7\xD6 pbf pb\r\n' >data.txt  # 字 pbf pb in code page 936
strace -f -qq -o "$work/trace" "$1" & tracer=$!
# 字 on a key of its own: xdotool maps a key for it only while typing, and the window may read the
# key after the map has changed back.
xmodmap -e 'keycode 93 = U5B57'
window=$(timeout 20 xdotool search --sync --name '^Quorlan$' | head -1)
xdotool windowactivate --sync "$window"
# Orca tracks the window once it has spoken the query box's label (Orca 43 and 48 alike; 48 no
# longer logs its own start).
said() {  # SECONDS COUNT TEXT: Orca has spoken TEXT COUNT times, or shows what it did speak
  heard "$1" "$2" "SPEECH OUTPUT: .*$3" && return
  # Orca does not start while another Orca of this user runs (beside another test run): it
  # says so, pointing to "orca --replace", which would end that one.
  ! kill -0 "$orca" 2>/dev/null && grep -q -e '--replace' "$log" &&
    { echo "Skipped: another Orca of this user was running"; exit 77; }
  echo "Orca did not say \"$3\" $2 times:"; grep 'SPEECH OUTPUT' "$log"; exit 1
}
said 60 1 输入你要查询的汉字
xdotool key U5B57
for times in 1 2; do
  # Orca 48 may not speak a result that comes while it still speaks the key before it.
  sleep 1
  xdotool key Return
  said 20 $times '字 pbf pb'
done
heard 20 2 '"data.txt", O_RDONLY' "$work/trace" || { echo "no lookup read the table"; exit 1; }
kill "$(xdotool getwindowpid "$window")"; window=
wait "$tracer" || true

here="\"([^/\"]|$work/table)"  # a path that is relative or inside the table's folder
! grep -E -e "open(at)?\((AT_FDCWD, )?$here[^\"]*\", [^)]*O_(WRONLY|RDWR|CREAT|TRUNC)" \
  -e "^[0-9]+ +(mkdir|rename|link|unlink|symlink|mknod|truncate|creat)(at2?)?\((.*, )?$here" \
  -e "^[0-9]+ +socket\(AF_INET6?," "$work/trace" ||
  { echo "changed its folder or opened a socket"; exit 1; }
