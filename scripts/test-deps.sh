#!/usr/bin/env bash
# Installs what only the tests use as witnesses, from Debian's packages:
# LibreOffice, the other word processor the RTF tests compare with.
set -euo pipefail
packages=(
  libreoffice-writer-nogui
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
