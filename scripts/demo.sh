#!/usr/bin/env bash
# Installs what is needed, builds, packs demo/content (plus a generated
# binary file) into an archive with tools/varnox-pack, and extracts it
# with varnox.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNOX_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" build
"$root/scripts/build.sh"

work="$build/demo"
rm -rf "$work"
mkdir -p "$work"
cp -R "$root/demo/content" "$work/content"
head -c 300000 /dev/urandom > "$work/content/data/noise.bin"

"$build/tools/varnox-pack" "$work/content" "$work/demo.idx"
echo
echo "\$ varnox $work/demo.idx $work/out"
"$build/varnox" "$work/demo.idx" "$work/out"
echo
diff -r "$work/content" "$work/out" && echo "Every extracted file matches the packed folder: $work/out"
