#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Pavrel in build/table/, on the sample table there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Pavrel is a desktop window and needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  exit 1
fi

"$root/scripts/build"
if [ -z "${WAYLAND_DISPLAY:-}" ] && ! xdpyinfo >/dev/null 2>&1; then
  echo "Pavrel cannot reach the X display $DISPLAY." >&2
  exit 1
fi

# The table is made once from the UTF-8 sample; edits to it apply at the next lookup.
table_dir="$root/build/table"
mkdir -p "$table_dir"
if [ ! -e "$table_dir/data.txt" ]; then
  iconv -f UTF-8 -t CP936 "$root/tables/sample.txt" >"$table_dir/data.txt"
fi
echo "Looking up in $table_dir/data.txt"
cd "$table_dir"
exec "$root/build/pavrel"
