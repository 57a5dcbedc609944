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

fail() { echo "$1:"; echo "$2"; exit 1; }
grep -q '"data.txt", O_RDONLY' "$work/trace" || fail "no lookup read the table" ""
# Paths that are relative or inside the table's folder; open calls that may write or create.
here="\"([^/\"]|$work/table)"
writes=$(grep -E "open(at)?\((AT_FDCWD, )?$here[^\"]*\", [^)]*O_(WRONLY|RDWR|CREAT|TRUNC)" "$work/trace" || true)
[ -z "$writes" ] || fail "opened for writing in its folder" "$writes"
changes=$(grep -E "^[0-9]+ +(mkdir|rename|link|unlink|symlink|mknod|truncate|creat)(at2?)?\((.*, )?$here" "$work/trace" || true)
[ -z "$changes" ] || fail "changed its folder" "$changes"
sockets=$(grep -E "^[0-9]+ +socket\(AF_INET6?," "$work/trace" || true)
[ -z "$sockets" ] || fail "opened a network socket" "$sockets"
