#!/usr/bin/env bash
# Configures and builds into build/ (or $VARNOX_BUILD_DIR), warnings as errors.
#   scripts/build.sh [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNOX_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNOX_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
