#!/usr/bin/env bash
# Runs the window ($1) under strace beside Orca, with their own session and accessibility buses:
# after 字, Enter and Enter again, Orca has spoken the record twice, and the window changed nothing
# in its folder and opened no network socket. Exits 77 (skipped) where Orca cannot start.
set -euo pipefail
if [ -z "${PAVREL_PRIVATE_BUS:-}" ]; then
  PAVREL_PRIVATE_BUS=1 exec timeout 150 dbus-run-session -- "$0" "$@"
fi
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
# Orca's settings and the desktop settings it changes stay in the temporary folder.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
# Qt serves screen readers without asking the desktop whether one runs. LeakSanitizer, in a
# sanitizer build, cannot stop the threads of a traced process.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
log=$work/orca.log

heard() {  # SECONDS COUNT TEXT [FILE]: waits until FILE (Orca's log) has COUNT lines with TEXT
  local tries=$(($1 * 10))
  until [ "$(grep -c -F -- "$3" "${4:-$log}" 2>/dev/null || true)" -ge "$2" ]; do
    ((tries-- > 0)) && sleep 0.1 || return 1
  done
}

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
# Without speech and braille devices Orca still writes what it would say to its debug file. It
# buffers that file unless it is a terminal, so it writes to the terminal that script(1) records.
script -qfec "orca --user-prefs '$work/orca' --disable speech --disable braille \
  --debug-file=/dev/tty" "$log" </dev/null >/dev/null &
heard 60 1 "ORCA: ATSPI registry initialized." && orca=yes || orca=

mkdir "$work/table"; cd "$work/table"
printf '\xD7\xD6 pbf pb\r\n' >data.txt  # 字 pbf pb in code page 936
strace -f -qq -o "$work/trace" "$1" & tracer=$!
# 字 on a key of its own: xdotool maps a key for it only while typing, and the window may read the
# key after the map has changed back.
xmodmap -e 'keycode 93 = U5B57'
window=$(timeout 20 xdotool search --sync --name '^Quorlan$' | head -1)
xdotool windowactivate --sync "$window" key U5B57
spoken="SPEECH OUTPUT: 'notification 字 pbf pb."
for times in 1 2; do
  xdotool key Return
  [ -z "$orca" ] || heard 20 $times "$spoken" ||
    { echo "Orca did not say \"$spoken\" $times times:"; grep 'SPEECH OUTPUT' "$log"; exit 1; }
done
heard 20 2 '"data.txt", O_RDONLY' "$work/trace" || { echo "no lookup read the table"; exit 1; }
kill "$(xdotool getwindowpid "$window")"
wait "$tracer" || true

here="\"([^/\"]|$work/table)"  # a path that is relative or inside the table's folder
! grep -E -e "open(at)?\((AT_FDCWD, )?$here[^\"]*\", [^)]*O_(WRONLY|RDWR|CREAT|TRUNC)" \
  -e "^[0-9]+ +(mkdir|rename|link|unlink|symlink|mknod|truncate|creat)(at2?)?\((.*, )?$here" \
  -e "^[0-9]+ +socket\(AF_INET6?," "$work/trace" ||
  { echo "changed its folder or opened a socket"; exit 1; }
[ -n "$orca" ] || { echo "Skipped the speech: Orca did not start"; exit 77; }
