#!/usr/bin/env bash
# Plays the control gallery or the launcher with seeded random input for
# SECONDS (default 300) on the sanitizer build (build-asan/, or
# $VLS_BUILD_DIR), run after run, and stops at the first crash, sanitizer
# report, uncaught exception, hang or failed exit.
#   scripts/random-play-forms.sh [SECONDS] [SEED] [PROGRAM]
# PROGRAM is skin_control_gallery (the default) or vlslaunch. Without SEED a
# random one is drawn and printed. A fault's script is kept in
# <build>/random-play-forms/; play it again with
#   <build>/bin/random_play_forms --program <build>/bin/PROGRAM --replay FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
seed=${2:-}
program=${3:-skin_control_gallery}
build=${VLS_BUILD_DIR:-build-asan}

if [[ ! -f "$build/build.ninja" || -n "${VLS_CMAKE_ARGS+set}" ]]; then
  VLS_BUILD_DIR="$build" VLS_CMAKE_ARGS="${VLS_CMAKE_ARGS--DVLS_SANITIZE=ON}" scripts/configure.sh --target help >/dev/null
fi
cmake --build "$build" -j "${VLS_JOBS:-$(nproc)}" --target random_play_forms "$program"

root=$(cd "$build" && pwd)
mkdir -p "$root/random-play-forms"
seed_args=()
[[ -n "$seed" ]] && seed_args=(--seed "$seed")
# Libraries that keep allocations for the whole run are listed for the leak check.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec "$root/bin/random_play_forms" --program "$root/bin/$program" --seconds "$seconds" \
  --out "$root/random-play-forms" "${seed_args[@]}"
