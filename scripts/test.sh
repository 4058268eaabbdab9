#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
"$root/scripts/build.sh"
cd "${VARNOX_BUILD_DIR:-$root/build}"
ctest --output-on-failure --no-tests=error -j "$(nproc)"
