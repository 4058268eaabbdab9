#!/usr/bin/env bash
# Builds both packages from a clean clone into build-packages/ (or $1):
#   varnox_<version>_amd64.deb   Linux: /usr/bin/varnox, its man page, README
#   varnox-<version>-win64.zip   Windows: varnox.exe (standing alone) and README
# and checks that the man page renders without a warning.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build-packages
out=$(mkdir -p "${1:-$work}" && cd "${1:-$work}" && pwd)
"$root/scripts/install-deps.sh" build
"$root/scripts/install-deps.sh" windows
"$root/scripts/install-deps.sh" package

warnings=$(MANWIDTH=80 man --warnings -l "$root/doc/varnox.1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "package: doc/varnox.1 does not render cleanly:" >&2
  echo "$warnings" >&2
  exit 1
fi

VARNOX_BUILD_DIR=$work/linux "$root/scripts/build.sh" -DVARNOX_BUILD_TESTS=OFF -DVARNOX_BUILD_TOOLS=OFF
VARNOX_WINDOWS_BUILD_DIR=$work/windows "$root/scripts/build-windows.sh"
(cd "$work/linux" && cpack -G DEB -B "$out" >/dev/null)
(cd "$work/windows" && cpack -G ZIP -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls -l "$out"/*.deb "$out"/*.zip
