#!/usr/bin/env bash
# Installs what is missing, builds the programs and the demo data, and starts
# the engine on the demo (`./run.sh launcher` starts the launcher).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/configure.sh
cmake --build "${VLS_BUILD_DIR:-build}" --target demo
root=$(pwd)/${VLS_BUILD_DIR:-build}
program="$root/bin/vls"
if [[ "${1:-}" == "launcher" ]]; then
  program="$root/bin/vlslaunch"
  # The demo's own settings: drive C: is the demo folder, installed there.
  export VEILSTRAND_CONFIG="${VEILSTRAND_CONFIG:-$root/demo/config}"
fi
cd "$root/demo"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: running $(basename "$program") under xvfb-run."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
fi
exec "$program"
