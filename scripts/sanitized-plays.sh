#!/usr/bin/env bash
# Builds the engine, the control gallery and the launcher with the address and
# undefined-behaviour sanitizers (build-asan/, or $VLS_ASAN_BUILD_DIR) and
# plays each with a fixed seed for a few hundred steps: the engine on the demo
# of the plain build ($VLS_BUILD_DIR, default build/). A memory fault that the
# tests' own orders of events miss shows here as a sanitizer report and fails
# the run. The windowed programs need an X server: run it under xvfb-run when
# there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
plain=${VLS_BUILD_DIR:-build}
asan=${VLS_ASAN_BUILD_DIR:-build-asan}
[[ -d "$plain/demo" ]] || { echo "sanitized-plays: build the demo first ($plain/demo)" >&2; exit 2; }

VLS_BUILD_DIR="$asan" VLS_CMAKE_ARGS="-DVLS_SANITIZE=ON" \
  scripts/configure.sh --target vls skin_control_gallery vlslaunch random_play

root=$(cd "$asan" && pwd)
demo=$(cd "$plain/demo" && pwd)
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$root/sanitized-plays"
cd "$root/sanitized-plays"
"$root/bin/random_play" --program "$root/bin/vls" --seed 34 --steps 300 --hang 120 \
  --data "$demo" --script random-play-vls-34.txt
for program in skin_control_gallery vlslaunch; do
  "$root/bin/random_play" --program "$root/bin/$program" --seed 31 --steps 330 --actions 100 --hang 120 \
    --script "random-play-$program-31.txt"
done
