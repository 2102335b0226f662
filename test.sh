#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# Tests labelled gl run on Mesa's software OpenGL under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/configure.sh
cd "${VLS_BUILD_DIR:-build}"
ctest_args=(--output-on-failure -j "$(nproc)" "$@")
if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest "${ctest_args[@]}"
else
  ctest "${ctest_args[@]}"
fi
cd - >/dev/null
# The whole suite (no ctest arguments) ends with a short seeded play of the
# engine, the control gallery and the launcher built with the sanitizers.
if [[ $# -eq 0 && "${VLS_CMAKE_ARGS:-}" != *VLS_SANITIZE=ON* ]]; then
  if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x1024x24" scripts/sanitized-plays.sh
  else
    scripts/sanitized-plays.sh
  fi
fi
