#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the programs need,
# only those missing. Runs apt-get update once, when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  libsdl2-dev libgl-dev libgl1-mesa-dri libegl-dev libegl-mesa0
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev
  libvorbis-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core zlib1g-dev
  libtinygltf-dev nlohmann-json3-dev libstb-dev libspng-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev libvorbis-dev
  lua5.4 liblua5.4-dev
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
