#!/usr/bin/env bash
# Plays the engine on the demo with seeded random input for SECONDS (default
# 300) on the sanitizer build (build-asan/, or $VLS_BUILD_DIR), and stops at
# the first crash, sanitizer report, hang or failed exit.
#   scripts/random-play.sh [SECONDS] [SEED] [PROFILE]
# Without SEED a random one is drawn and printed. The played script is kept in
# <build>/random-play/ (random-play-<profile>-<seed>.txt); replay one with
#   <build>/bin/random_play --program <build>/bin/vls --replay FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
seed=${2:-}
profile=${3:-vls}
build=${VLS_BUILD_DIR:-build-asan}

if [[ ! -f "$build/build.ninja" || -n "${VLS_CMAKE_ARGS+set}" ]]; then
  VLS_BUILD_DIR="$build" VLS_CMAKE_ARGS="${VLS_CMAKE_ARGS--DVLS_SANITIZE=ON}" scripts/configure.sh --target help >/dev/null
fi
cmake --build "$build" -j "${VLS_JOBS:-$(nproc)}" --target random_play "$profile" demo

root=$(cd "$build" && pwd)
source_dir=$(pwd)
mkdir -p "$root/random-play"
seed_args=()
[[ -n "$seed" ]] && seed_args=(--seed "$seed")
cd "$root/random-play"
# The engine keeps a few objects for the whole run on purpose; the tests'
# list of them keeps the leak check about real leaks.
export LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec "$root/bin/random_play" --program "$root/bin/$profile" --profile "$profile" --seconds "$seconds" "${seed_args[@]}"
