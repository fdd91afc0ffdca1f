#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vistrel need, when missing.
# Non-interactive; safe to run again. Pass --bench to add the benchmark peers as well.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libjpeg-dev zlib1g-dev libdeflate-dev libgif-dev libcrypto++-dev libsane-dev libuemf-dev
  libsane1  # SANE's backends, among them the "test" device the scanning tests acquire from
  libgtest-dev
  fonts-dejavu-core
  imagemagick libtiff-tools pngcheck netpbm
  parallel
  xvfb xauth x11-apps
)
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(libvips-tools mate-backgrounds hyperfine)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
