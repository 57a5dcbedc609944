#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Pavrel.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

"$root/scripts/build"
echo "The lookup core is built and tested; the window is not built yet."
