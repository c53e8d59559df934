#!/usr/bin/env bash
# Installs what Quillbase builds and tests with, from Debian's packages
# (librsvg2-bin and scdoc draw the icon's sizes and make the man pages).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev libgl1-mesa-dev fonts-liberation2
  libgtest-dev libgmock-dev libbenchmark-dev
  libhunspell-dev hunspell-en-us
  poppler-utils
  libcups2-dev
  xvfb xauth
  librsvg2-bin scdoc
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
