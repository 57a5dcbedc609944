#!/usr/bin/env bash
# Runs the window ($1) in a Wayland session of GNOME's compositor (mutter) and then Plasma's
# (KWin), each headless with XWayland on a session bus of its own, started as such a session
# starts it (through XWayland), following the clipboard, while a Wayland window (weston-terminal)
# has the keyboard. A wl-copy in that window is looked up within 1 s; the Wayland window keeps the
# keyboard; the compositor keeps Pavrel above it; a copy that $2 (secret_copy_tool) marks secret
# is not looked up; and a copy in an X11 program is. Exits 77 (skipped) when no compositor can
# start. Without arguments, it runs those of build/.
set -euo pipefail
if [ "${1-}" = --in ]; then  # one compositor, on the session bus that dbus-run-session started
  compositor=$2 pavrel=$3 secret_copy=$4 work=$5
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # XWayland's sockets go there; mutter 48 does not make the folder, which a fresh system (or a
  # chroot) without an X server yet lacks.
  [ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix 2>/dev/null || true
  ran=0
  for compositor in mutter kwin; do
    mkdir -m 700 "$work/$compositor"
    status=0
    timeout 120 dbus-run-session -- "$0" --in "$compositor" "$(realpath "${1:-build/pavrel}")" \
      "$(realpath "${2:-build/window/secret_copy_tool}")" "$work/$compositor" ||
      status=$?
    [ $status -eq 0 ] && ran=$((ran + 1))
    [ $status -eq 0 ] || [ $status -eq 77 ] || { echo "$compositor: failed ($status)"; exit 1; }
  done
  [ $ran -gt 0 ] || { echo "Skipped: no compositor could start"; exit 77; }
  exit 0
fi

trap 'kill $(jobs -p) $(cat "$work/session.pid" 2>/dev/null) 2>/dev/null || true
  wait 2>/dev/null || true' EXIT
export HOME=$work XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_CACHE_HOME=$work/cache
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
log=$work/compositor.log

# The compositor starts this once it runs, with the session's WAYLAND_DISPLAY, DISPLAY and
# XAUTHORITY.
cat >"$work/session" <<'EOF'
#!/bin/sh
echo "WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY XAUTHORITY=${XAUTHORITY-}" >"$XDG_RUNTIME_DIR/env.new"
mv "$XDG_RUNTIME_DIR/env.new" "$XDG_RUNTIME_DIR/env"
echo $$ >"$XDG_RUNTIME_DIR/session.pid"  # ended with the test, as it may outlive the compositor
exec sleep 600
EOF
chmod +x "$work/session"
case $compositor in
  mutter)
    command -v mutter >/dev/null || { echo "Skipped mutter: not installed"; exit 77; }
    mutter --headless --wayland --virtual-monitor 1024x768 -- "$work/session" >"$log" 2>&1 &
    alt_tab=yes  # it has no keyboard of its own, and gives none to a new Wayland window
    ;;
  kwin)
    command -v kwin_wayland >/dev/null || { echo "Skipped KWin: not installed"; exit 77; }
    # The binary carries a file capability that a container may refuse to grant; a copy carries
    # none, and keeps the name by which KWin knows itself.
    mkdir "$work/bin"
    cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
    "$work/bin/kwin_wayland" --virtual --xwayland --width 1024 --height 768 "$work/session" \
      >"$log" 2>&1 &
    ;;
esac
for ((tries = 300; tries > 0; tries--)); do
  [ -s "$work/env" ] && break
  sleep 0.1
done
if [ ! -s "$work/env" ]; then
  echo "Skipped $compositor: it did not start a session with XWayland within 30 s:"
  tail -5 "$log"
  exit 77
fi
export $(cat "$work/env")
echo "$compositor: WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY"

if [ -n "${alt_tab-}" ]; then
  # A remote desktop session adds a keyboard to the seat, on which SIGUSR1 presses Alt+Tab.
  /usr/bin/python3 - >"$work/keyboard.log" 2>&1 <<'EOF' &
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
def call(path, method, args=None):
    interface = "org.gnome.Mutter.RemoteDesktop" + (".Session" if "/Session/" in path else "")
    return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args, None, 0,
                         5000, None)
session = call("/org/gnome/Mutter/RemoteDesktop", "CreateSession").unpack()[0]
call(session, "Start")
def alt_tab():
    for keysym, pressed in ((0xFFE9, True), (0xFF09, True), (0xFF09, False), (0xFFE9, False)):
        call(session, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, pressed)))
    return True
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, 10, alt_tab)
GLib.MainLoop().run()
EOF
  keyboard=$!
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
mkdir "$work/table"
cd "$work/table"
printf '\xD7\xD6 pbf pb\r\n\xB6\xA1 sgh s\r\n\xC8\xCB w\r\n' >data.txt  # 字, 丁, 人 in code page 936
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_SESSION_TYPE=wayland "$pavrel" --follow-clipboard \
  >"$work/pavrel.log" 2>&1 &
window=$(timeout 20 xdotool search --sync --name '^Quorlan$' | head -1)
[ -n "$window" ] || { echo "$compositor: no window through XWayland"; cat "$work/pavrel.log"; exit 1; }

active() { xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*$'; }
# The terminal, a Wayland window, takes the keyboard from Pavrel: as it opens, in KWin.
weston-terminal >"$work/terminal.log" 2>&1 &
for ((tries = 100; tries > 0; tries--)); do
  [ "$(active)" = 0x0 ] && break
  # Where the compositor keeps the keyboard with Pavrel, Alt+Tab gives it to the terminal.
  [ $tries = 70 ] && [ -n "${keyboard-}" ] && kill -USR1 "$keyboard"
  sleep 0.1
done
if [ "$(active)" != 0x0 ]; then
  # Headless mutter 48 takes neither Alt+Tab nor a click from its remote desktop interface, and
  # wl-copy cannot copy without the keyboard.
  [ -n "${keyboard-}" ] || { echo "$compositor: the terminal did not get the keyboard"; exit 1; }
  echo "Skipped $compositor: no way here to give the Wayland terminal the keyboard"
  exit 77
fi

# Waits up to $1 seconds for the result label to show $2, and tells how long it took.
shows() {
  /usr/bin/python3 - "$@" <<'EOF'
import sys, time
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi

def labels(node):
    node.clear_cache()
    if node.get_role() == Atspi.Role.LABEL:
        yield node.get_name()
    for i in range(node.get_child_count()):
        yield from labels(node.get_child_at_index(i))

seconds, record = float(sys.argv[1]), sys.argv[2]
start = time.monotonic()
while time.monotonic() - start < seconds:
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    if any(record in labels(app) for app in apps if app.get_name() == "pavrel"):
        print(f"{record} shown after {time.monotonic() - start:.2f} s")
        sys.exit(0)
    time.sleep(0.02)
sys.exit(1)
EOF
}

wl-copy 字
shows 1 '字 pbf pb' || { echo "$compositor: the copy of 字 was not looked up within 1 s"; exit 1; }
[ "$(active)" = 0x0 ] || { echo "$compositor: Pavrel took the keyboard"; exit 1; }
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE ||
  { echo "$compositor: Pavrel is not kept above"; exit 1; }

"$secret_copy" 丁 >"$work/secret.log" &
secret=$!
secret_status=
for ((tries = 100; tries > 0; tries--)); do
  grep -q copied "$work/secret.log" && { secret_status=serving; break; }
  kill -0 $secret 2>/dev/null || { secret_status=0; wait $secret || secret_status=$?; break; }
  sleep 0.1
done
if [ "$secret_status" = 77 ]; then
  echo "$compositor: no data control, so no copy marked secret (the X11 reader's own tests mark it)"
elif [ "$secret_status" != serving ]; then
  echo "$compositor: the copy marked secret could not be made ($secret_status)"
  exit 1
else
  # Not looked up: a plain copy of the same character, made next, is.
  ! shows 1.5 '丁 sgh s' || { echo "$compositor: the copy marked secret was looked up"; exit 1; }
  wl-copy 丁
  shows 1 '丁 sgh s' || { echo "$compositor: the copy after the secret one was not looked up"; exit 1; }
fi
# A copy in an X11 program, which the compositor may pass on to Wayland only while that program
# has the keyboard, is read from the X server.
printf 人 | xclip -selection clipboard
shows 1 '人 w' || { echo "$compositor: the copy in an X11 program was not looked up within 1 s"; exit 1; }
