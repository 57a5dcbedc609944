#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test; the window tests run on a private X server.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

"$root/scripts/build"
"$root/scripts/with-display" ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"
