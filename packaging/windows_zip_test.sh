#!/usr/bin/env bash
# Checks the Windows zip $1: README.txt names every file in it, every file that README.txt or a
# notice names is in it, and every text but the table has CR LF line ends, as Notepad needs.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*" >&2; exit 1; }
unzip -q "$1" -d "$work" && cd "$work"

texts=()
for file in *; do
  [ "$file" = README.txt ] || grep -qF "$file" README.txt || fail "README.txt omits $file"
  [[ $file == *.txt && $file != data.txt ]] || continue
  texts+=("$file")  # every line ends in CR, and the text in CR LF
  ! grep -qv $'\r$' "$file" && [ "$(tail -c 2 "$file" | od -An -tx1)" = " 0d 0a" ] ||
    fail "$file has a line without CR LF"
done
for name in $(grep -ohE '\b[A-Za-z0-9][A-Za-z0-9.-]*\.(txt|exe)\b' "${texts[@]}" | sort -u); do
  [ -f "$name" ] || fail "the zip lacks $name, which its texts name"
done
