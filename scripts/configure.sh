#!/usr/bin/env bash
# Configures and builds the tree into build/ (or $VLS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VLS_BUILD_DIR:-build}
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja ${VLS_CMAKE_ARGS:-}
fi
cmake --build "$build_dir" -j "$(nproc)" "$@"
