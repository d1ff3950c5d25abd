#!/usr/bin/env bash
# Installs every Debian package the build, the game, the tests and the stand-in service need.
# Idempotent and non-interactive; needs root (or sudo) on a fresh Debian 12 machine.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  libsdl2-dev libx11-dev
  libcurl4-openssl-dev
  libfreetype-dev
  zlib1g-dev
  libopenal-dev libalut-dev
  libvorbis-dev libogg-dev
  libssl-dev openssl
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick
  fonts-dejavu-core fonts-dejavu-extra
  libcpp-httplib-dev
  libsqlite3-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
