#!/usr/bin/env bash
# Checks the Windows zip $1: README.txt names every file in it, every file that README.txt or a
# notice names is in it, and every text but the table has CR LF line ends, as Notepad needs.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$1" -d "$work"
cd "$work"

texts=()
for file in *; do
  [ "$file" = README.txt ] || grep -qF "$file" README.txt || { echo "README.txt omits $file" >&2; exit 1; }
  [[ $file != *.txt || $file == data.txt ]] || texts+=("$file")
done
for name in $(grep -ohE '\b[A-Za-z0-9][A-Za-z0-9.-]*\.(txt|exe)\b' "${texts[@]}" | sort -u); do
  [ -f "$name" ] || { echo "the zip lacks $name, which its texts name" >&2; exit 1; }
done
for text in "${texts[@]}"; do
  if grep -qv $'\r$' "$text" || [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' ')" != 0d0a ]; then
    echo "$text has a line without CR LF" >&2
    exit 1
  fi
done
