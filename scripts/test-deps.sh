#!/usr/bin/env bash
# Installs what only the tests need, from Debian's packages: services and
# witnesses the tests start or read, which the program itself never uses.
#   dbus, python3-dbusmock   a private bus with ModemManager and oFono played
#                            by dbusmock, for the telephony window
#   cups-daemon, cups-client a CUPS daemon of the tests' own with a queue whose
#                            printer keeps each job in a file, for printing on
#                            a real queue (tests/printing/cups/cups_server.sh)
#   libreoffice-calc-nogui   writes the CSV files the import reads back
#   libreoffice-writer-nogui the other word processor, which writes the RTF our
#                            reader must take and reads back the RTF we write
#   libzint-dev              an independent barcode encoder the POSTNET and
#                            Intelligent Mail bars are compared with
#   python3-vobject          an independent vCard reader and writer for the
#                            import and export of contacts
#   python3-dbf,             two other xBase engines that write tables our
#   libdbd-xbase-perl        engine must open and read the tables and indexes
#                            it writes
#   dpkg-dev, lintian,       build and check the Debian package
#   desktop-file-utils,      (scripts/package.sh, tests/package): its
#   appstream                Depends, its policy, its desktop entry and its
#                            AppStream metainfo
set -euo pipefail
packages=(
  dbus python3-dbusmock
  cups-daemon cups-client
  libreoffice-calc-nogui
  libreoffice-writer-nogui
  libzint-dev
  python3 python3-dbf libdbd-xbase-perl
  python3-vobject
  dpkg-dev lintian desktop-file-utils appstream
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
