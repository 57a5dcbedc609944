#!/usr/bin/env bash
# Without a display, the program ($1, version $2) answers --help and --version on standard output
# with status 0, even before other arguments, and fails when it cannot write them. A bad option,
# the first argument that is not an option, or any after --, gets status 2 and standard error.
set -uo pipefail
unset DISPLAY WAYLAND_DISPLAY
pavrel=$1 errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
check() {  # STATUS OUT ERR ARGUMENTS...: the status and the first lines of both outputs
  out=$("$pavrel" "${@:4}" 2>"$errors" | head -n 1); out="$? $out|$(head -n 1 "$errors")"
  [ "$out" = "$1 $2|$3" ] || { echo "pavrel ${*:4}: $out" >&2; exit 1; }
}
check 0 'Usage: pavrel [--follow-clipboard]' '' --help --version
check 0 "pavrel $2" '' --follow-clipboard --version x
check 2 '' "pavrel: unknown option '--verbose'" --verbose
check 2 '' "pavrel: unexpected argument 'data.txt'" data.txt --help
check 2 '' "pavrel: unexpected argument '--help'" -- --help
! "$pavrel" --help >/dev/full 2>/dev/null || { echo "pavrel --help >/dev/full: status 0" >&2; exit 1; }
