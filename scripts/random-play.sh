#!/usr/bin/env bash
# Plays a program with seeded random input for SECONDS (default 300) on the
# sanitizer build (build-asan/, or $VLS_BUILD_DIR), and stops at the first
# crash, sanitizer report, uncaught exception, hang or failed exit.
#   scripts/random-play.sh [SECONDS] [SEED] [PROGRAM]
# PROGRAM is vls (the default: the engine on the demo), skin_control_gallery
# or vlslaunch. Without SEED a random one is drawn and printed. The played
# script is kept in <build>/random-play/ (random-play-<program>-<seed>.txt);
# replay one with
#   <build>/bin/random_play --program <build>/bin/PROGRAM --replay FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
seed=${2:-}
program=${3:-vls}
build=${VLS_BUILD_DIR:-build-asan}

if [[ ! -f "$build/build.ninja" || -n "${VLS_CMAKE_ARGS+set}" ]]; then
  VLS_BUILD_DIR="$build" VLS_CMAKE_ARGS="${VLS_CMAKE_ARGS--DVLS_SANITIZE=ON}" scripts/configure.sh --target help >/dev/null
fi
targets=(random_play "$program")
[[ "$program" == vls ]] && targets+=(demo)
cmake --build "$build" -j "${VLS_JOBS:-$(nproc)}" --target "${targets[@]}"

root=$(cd "$build" && pwd)
source_dir=$(pwd)
mkdir -p "$root/random-play"
seed_args=()
[[ -n "$seed" ]] && seed_args=(--seed "$seed")
cd "$root/random-play"
# The programs keep a few objects for the whole run on purpose; the tests'
# list of them keeps the leak check about real leaks.
export LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec "$root/bin/random_play" --program "$root/bin/$program" --seconds "$seconds" "${seed_args[@]}"
