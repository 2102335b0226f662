#!/usr/bin/env bash
# Installs what is missing, builds the programs and the demo data, and starts
# the engine on the demo (`./run.sh launcher` starts the launcher).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
if [[ ! -f "${VLS_BUILD_DIR:-build}/bin/vls" ]]; then
  echo "First run: building the programs, the tests and the demo (tens of minutes on a small machine)."
fi
scripts/configure.sh
cmake --build "${VLS_BUILD_DIR:-build}" --target demo
root=$(pwd)/${VLS_BUILD_DIR:-build}
program="$root/bin/vls"
if [[ "${1:-}" == "launcher" ]]; then
  program="$root/bin/vlslaunch"
fi
# The demo's own settings, for the engine and the launcher alike, so a choice
# made in the launcher reaches the engine: drive C: is the demo folder, where
# the game is installed.
export VEILSTRAND_CONFIG="${VEILSTRAND_CONFIG:-$root/demo/config}"
cd "$root/demo"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: running $(basename "$program") under xvfb-run."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
fi
exec "$program"
