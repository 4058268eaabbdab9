#!/usr/bin/env bash
# Builds varnox.exe and runs the end-to-end tests against it under Wine: the
# same tests as for the Linux program (built natively, as scripts/test.sh
# builds them), with varnox.exe behind tests/wine-launcher.sh.
#   scripts/test-windows.sh [extra ctest options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNOX_BUILD_DIR:-$root/build}
windows_build=${VARNOX_WINDOWS_BUILD_DIR:-$root/build-windows}
"$root/scripts/install-deps.sh" test
"$root/scripts/install-deps.sh" wine
"$root/scripts/build-windows.sh"
"$root/scripts/build.sh" -DVARNOX_BUILD_TESTS=ON

export VARNOX_BINARY=$windows_build/varnox.exe
export VARNOX_LAUNCHER=$root/tests/wine-launcher.sh
export WINEPREFIX=$windows_build/wine-prefix
wineserver=${VARNOX_WINESERVER:-/usr/lib/wine/wineserver}

# One Wine server for the whole run, so that each test's start is quick.
# It and the services Wine starts with the first program go when the run ends.
mkdir -p "$WINEPREFIX"
"$wineserver" -p || true  # fails when one already serves this prefix: use that one
trap '"$wineserver" -k || true' EXIT
# The first start makes the prefix, which takes a few seconds; Wine's
# services start here, away from the tests' pipes. Without arguments
# varnox prints nothing and exits with 7.
status=0
"$VARNOX_LAUNCHER" "$VARNOX_BINARY" >"$windows_build/wine-start.log" 2>&1 || status=$?
if [ "$status" -ne 7 ]; then
  echo "test-windows: varnox.exe does not start under Wine (exit status $status):" >&2
  cat "$windows_build/wine-start.log" >&2
  exit 1
fi

cd "$build"
ctest -L e2e --output-on-failure -j "$(nproc)" "$@"
