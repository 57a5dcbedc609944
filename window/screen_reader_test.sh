#!/usr/bin/env bash
# Runs Orca, the screen reader, on the X server in DISPLAY with its own session bus and
# accessibility bus, and the window (the program given as $1) beside it. After 字 and Enter, and
# Enter again, Orca has spoken the record twice (its debug file holds every utterance). Exits 77,
# which ctest reports as skipped, where Orca cannot start.
set -euo pipefail
program=$1

# A private session bus, so that Orca and the window find each other and no other desktop.
if [ -z "${PAVREL_PRIVATE_BUS:-}" ]; then
  command -v orca >/dev/null || { echo "Skipped: Orca is not installed"; exit 77; }
  PAVREL_PRIVATE_BUS=1 exec timeout 150 dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
# Orca's settings and the desktop settings it changes stay in the temporary folder.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
# Qt serves screen readers without asking the desktop whether one runs.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
log=$work/orca.log

# Waits up to $1 seconds for the debug file to have at least $2 lines that hold $3.
wait_for() {
  for _ in $(seq $(($1 * 10))); do
    [ "$(grep -c -F -- "$3" "$log" 2>/dev/null || true)" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
# Without speech and braille devices Orca still writes what it would say to its debug file. It
# buffers that file unless it is a terminal, so it writes to the terminal that script(1) records.
script -qfec "orca --user-prefs '$work/orca' --disable speech --disable braille \
  --debug-file=/dev/tty" "$log" </dev/null >/dev/null &
wait_for 60 1 "ORCA: ATSPI registry initialized." || { echo "Skipped: Orca did not start"; exit 77; }

mkdir "$work/table"
cd "$work/table"
printf '\xD7\xD6 pbf pb\r\n' >data.txt  # 字 pbf pb in code page 936
"$program" &
# 字 on a key of its own: xdotool maps a key for it only while typing, and the window may read the
# key after the map has changed back.
xmodmap -e 'keycode 93 = U5B57'
window=$(timeout 20 xdotool search --sync --name '^Quorlan$' | head -1)
xdotool windowactivate --sync "$window" key U5B57
xdotool key Return
spoken="SPEECH OUTPUT: 'notification 字 pbf pb."
wait_for 20 1 "$spoken" || { echo "Orca did not say \"$spoken\":"; grep 'SPEECH OUTPUT' "$log"; exit 1; }
xdotool key Return
wait_for 20 2 "$spoken" || { echo "Orca said it only once:"; grep 'SPEECH OUTPUT' "$log"; exit 1; }
