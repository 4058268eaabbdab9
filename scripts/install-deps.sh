#!/usr/bin/env bash
# Installs the Debian packages a task needs, skipping those already there.
#   scripts/install-deps.sh [build|test|sanitize|fuzz|bench|windows|wine|package]   (default: test)
# Every install step of the project lives here, so that a fresh machine
# needs nothing but this script.
set -euo pipefail

group=${1:-test}
packages=(cmake make g++ zlib1g-dev libdeflate-dev)
case "$group" in
  build) ;;
  test) packages+=(libgtest-dev) ;;
  sanitize) packages+=(libgtest-dev clang libclang-rt-14-dev) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  bench) packages+=(zip unzip libarchive-tools p7zip-full tar time diffutils) ;;
  # varnox.exe: the mingw-w64 cross compiler and its zlib, linked in statically.
  windows) packages+=(g++-mingw-w64-x86-64 libz-mingw-w64-dev) ;;
  # The end-to-end tests (built natively, with GoogleTest) run against
  # varnox.exe under Wine.
  wine) packages+=(libgtest-dev wine64) ;;
  # The .deb (dpkg-shlibdeps finds its dependencies) and a look at the man page.
  package) packages+=(dpkg-dev file man-db groff-base) ;;
  *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
