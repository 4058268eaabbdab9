#!/usr/bin/env bash
# Builds everything (program, tools, tests) with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (or $VARNOX_ASAN_BUILD_DIR)
# and runs the whole test suite on that build. The end-to-end tests then
# start the sanitized varnox; a report from it fails the test that ran it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNOX_ASAN_BUILD_DIR:-$root/build-asan}
"$root/scripts/install-deps.sh" sanitize

CXX=clang++ VARNOX_BUILD_DIR=$build "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNOX_SANITIZE=ON -DVARNOX_BUILD_TESTS=ON

# Stop at the first error of either kind, leaks included. Exit status 66 is
# none of varnox's own, so a report can't pass for an expected status;
# options already in the environment come last and win.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=66:strict_string_checks=1:detect_stack_use_after_return=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=66${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
