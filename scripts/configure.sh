#!/usr/bin/env bash
# Configures and builds the tree into build/ (or $VLS_BUILD_DIR).
#
# VLS_CMAKE_ARGS, when given (even empty), is the whole set of CMake options
# of the build folder: a folder configured with other options, or with other
# CC/CXX, is configured afresh with these. Not given, the folder keeps the
# options it was configured with.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VLS_BUILD_DIR:-build}
stamp="$build_dir/vls-configure-args"

wanted=""
if [[ -n "${VLS_CMAKE_ARGS+set}" ]]; then
  wanted=$(printf 'VLS_CMAKE_ARGS=%s\nCC=%s\nCXX=%s\n' "$VLS_CMAKE_ARGS" "${CC:-}" "${CXX:-}")
fi

configure() {
  # Word splitting is wanted: the variable holds several options.
  # shellcheck disable=SC2086
  cmake -S . -B "$build_dir" -G Ninja ${VLS_CMAKE_ARGS:-} "$@"
}

if [[ ! -f "$build_dir/build.ninja" ]]; then
  configure
  [[ -n "$wanted" ]] && printf '%s' "$wanted" > "$stamp"
elif [[ -n "$wanted" && "$wanted" != "$(cat "$stamp" 2>/dev/null || true)" ]]; then
  echo "Build options changed: configuring $build_dir afresh with: ${VLS_CMAKE_ARGS:-(none)}"
  configure --fresh
  printf '%s' "$wanted" > "$stamp"
fi
cmake --build "$build_dir" -j "$(nproc)" "$@"
