#!/usr/bin/env bash
# Checks the Windows zip $1: README.txt names every file in it, every file that README.txt or a
# notice names is in it, and every text but the table has CR LF line ends, as Notepad needs.
set -euo pipefail
fail() { echo "$*" >&2; exit 1; }
command -v unzip >/dev/null || fail "unzip is missing (scripts/setup installs it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$1" -d "$work"
cd "$work"

# The names a text mentions, whole: LGPL-3.txt names LGPL-3.txt, not GPL-3.txt.
names() { grep -ohE '\b[A-Za-z0-9][A-Za-z0-9.-]*\.(txt|exe)\b' "$@" | sort -u; }
listed=$(names README.txt)
texts=()
for file in *; do
  [ "$file" = README.txt ] || grep -qxF "$file" <<<"$listed" || fail "README.txt omits $file"
  [[ $file == *.txt && $file != data.txt ]] || continue
  texts+=("$file")  # every line ends in CR, and the text in CR LF
  ! grep -qv $'\r$' "$file" && [ "$(tail -c 2 "$file" | od -An -tx1)" = " 0d 0a" ] ||
    fail "$file has a line without CR LF"
done
for name in $(names "${texts[@]}"); do
  [ -f "$name" ] || fail "the zip lacks $name, which its texts name"
done
