#!/usr/bin/env bash
# Sets up what is missing, builds for Linux and Windows, and runs every test: the Linux suite,
# then the Windows suite under Wine, both on one private X server.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

"$root/scripts/build-windows"  # builds for Linux first
"$root/scripts/with-display" bash -ec '
  ctest --test-dir "$1/build" --output-on-failure -j "$(nproc)"
  "$1/scripts/test-windows"' bash "$root"
