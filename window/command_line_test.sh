#!/usr/bin/env bash
# The program ($1, version $2) answers --help and --version on standard output with status 0 and
# a bad command line on standard error with status 2, all without a display; a reply it cannot
# write fails. --help and --version win over what follows them; the first argument that is not
# an option, or any after --, is an error.
set -uo pipefail
unset DISPLAY WAYLAND_DISPLAY
pavrel=$1 errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
check() {  # STATUS OUT ERR ARGUMENTS...: the status and the first lines of both outputs
  out=$("$pavrel" "${@:4}" 2>"$errors" | head -n 1) status=$?
  [ "$status $out|$(head -n 1 "$errors")" = "$1 $2|$3" ] ||
    { echo "pavrel ${*:4}: $status $out|$(head -n 1 "$errors")" >&2; exit 1; }
}
check 0 'Usage: pavrel [--follow-clipboard]' '' --help --version
check 0 "pavrel $2" '' --follow-clipboard --version x
check 2 '' "pavrel: unknown option '--verbose'" --verbose
check 2 '' "pavrel: unexpected argument 'data.txt'" data.txt --help
check 2 '' "pavrel: unexpected argument '--help'" -- --help
! "$pavrel" --help >/dev/full 2>/dev/null || { echo "pavrel --help >/dev/full: status 0" >&2; exit 1; }
