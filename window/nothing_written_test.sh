#!/usr/bin/env bash
# Runs the window (the program given as $1) under strace through a lookup and the missing-table
# message, on the X server in DISPLAY, and checks from the trace that it writes, creates,
# renames and removes nothing in its current directory and opens no inet or inet6 socket.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'kill "$tracer" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/table"
cd "$work/table"
printf 'a 1\n' >data.txt
# LeakSanitizer, in a sanitizer build, cannot stop the threads of a traced process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
strace -f -qq -o "$work/trace" "$program" &
tracer=$!

window=$(timeout 20 xdotool search --sync --name '^Quorlan$' | head -1)
xdotool windowactivate --sync "$window" type a
xdotool key Return
for _ in $(seq 100); do grep -q '"data.txt", O_RDONLY' "$work/trace" && break; sleep 0.1; done
rm data.txt
xdotool key Return
timeout 20 xdotool search --sync --name '^Pavrel$' >/dev/null
kill "$(xdotool getwindowpid "$window")"
wait "$tracer" || true

# Fails with the trace's lines that match the pattern.
check() {
  found=$(grep -E "$2" "$work/trace" || true)
  [ -z "$found" ] || { echo "$1:"; echo "$found"; exit 1; }
}
grep -q '"data.txt", O_RDONLY' "$work/trace" || { echo "no lookup read the table"; exit 1; }
# Paths that are relative or inside the table's folder.
here="\"([^/\"]|$work/table)"
check "opened for writing in its folder" \
  "open(at)?\((AT_FDCWD, )?$here[^\"]*\", [^)]*O_(WRONLY|RDWR|CREAT|TRUNC)"
check "changed its folder" \
  "^[0-9]+ +(mkdir|rename|link|unlink|symlink|mknod|truncate|creat)(at2?)?\((.*, )?$here"
check "opened a network socket" "^[0-9]+ +socket\(AF_INET6?,"
