#!/usr/bin/env bash
# Builds the engine with the address and undefined-behaviour sanitizers
# (build-asan/, or $VLS_ASAN_BUILD_DIR) and plays it on the demo of the plain
# build ($VLS_BUILD_DIR, default build/) with a fixed seed for a few hundred
# steps. A memory fault that the tests' own orders of events miss shows here
# as a sanitizer report and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
plain=${VLS_BUILD_DIR:-build}
asan=${VLS_ASAN_BUILD_DIR:-build-asan}
[[ -d "$plain/demo" ]] || { echo "sanitized-plays: build the demo first ($plain/demo)" >&2; exit 2; }

VLS_BUILD_DIR="$asan" VLS_CMAKE_ARGS="-DVLS_SANITIZE=ON" scripts/configure.sh --target vls random_play

root=$(cd "$asan" && pwd)
mkdir -p "$root/sanitized-plays"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
"$root/bin/random_play" --program "$root/bin/vls" --seed 34 --steps 300 --hang 120 \
  --data "$(cd "$plain/demo" && pwd)" --script "$root/sanitized-plays/random-play-vls-34.txt"
