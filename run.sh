#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Pavrel in build/table/, on the Wubi 86 table there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Pavrel is a desktop window and needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  exit 1
fi

"$root/scripts/build" --window
if [ -z "${WAYLAND_DISPLAY:-}" ] && ! xdpyinfo >/dev/null 2>&1; then
  echo "Pavrel cannot reach the X display $DISPLAY." >&2
  exit 1
fi

# The table is copied once from the default table the build makes, so edits to it are kept; they
# apply at the next lookup.
table_dir="$root/build/table"
mkdir -p "$table_dir"
if [ ! -e "$table_dir/data.txt" ]; then
  cp "$root/build/default-table/data.txt" "$table_dir/data.txt"
fi
echo "Looking up in $table_dir/data.txt"
cd "$table_dir"
exec "$root/build/pavrel"
