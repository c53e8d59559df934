#!/usr/bin/env bash
# Installs what only the tests use, from Debian's packages: independent
# programs whose output the tests read (LibreOffice Calc writes the CSV files
# the import reads).
set -euo pipefail
packages=(
  libreoffice-calc-nogui
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
