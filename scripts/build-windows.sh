#!/usr/bin/env bash
# Cross-builds the Windows program, build-windows/varnox.exe (or
# $VARNOX_WINDOWS_BUILD_DIR), with mingw-w64, statically linked so that the
# .exe needs no DLL beside it; warnings as errors. The tests and tools need
# GoogleTest and run on the build machine, so they stay out of this build.
#   scripts/build-windows.sh [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNOX_WINDOWS_BUILD_DIR:-$root/build-windows}
"$root/scripts/install-deps.sh" windows
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVARNOX_WERROR=ON -DVARNOX_DECODER=zlib -DVARNOX_BUILD_TESTS=OFF -DVARNOX_BUILD_TOOLS=OFF "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
