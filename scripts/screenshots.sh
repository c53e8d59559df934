#!/usr/bin/env bash
# Screenshots of Quillbase's windows at 96 and 120 dpi, each drawn by
# tools/qbshot under its own virtual X server, to check that captions and
# controls fit at both resolutions.
#
#   scripts/screenshots.sh [OUTDIR] [WINDOW...]
#
# OUTDIR defaults to build/screenshots; without WINDOW every window qbshot
# knows is taken (qbshot --list; new ones are added in tools/qbshot.cpp).
# Writes OUTDIR/NAME-96dpi.png and OUTDIR/NAME-120dpi.png. BUILD_DIR (default
# build) is where qbshot is built.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="${1:-$build/screenshots}"
shift || true

command -v xvfb-run >/dev/null || { echo "screenshots.sh: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 1; }
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" --target qbshot -- -j2
qbshot="$build/tools/qbshot"

windows=("$@")
if ((${#windows[@]} == 0)); then
  mapfile -t windows < <(QT_QPA_PLATFORM=offscreen "$qbshot" --list | cut -f1)
fi
mkdir -p "$out"

status=0
for dpi in 96 120; do
  for name in "${windows[@]}"; do
    # The font resolution is what a 120-dpi screen changes for our windows:
    # every caption grows by a quarter while the layouts have to follow.
    rc=0
    QT_QPA_PLATFORM=xcb QT_FONT_DPI=$dpi QT_ENABLE_HIGHDPI_SCALING=0 \
      xvfb-run -a -s "-screen 0 1600x1200x24 -dpi $dpi -nolisten tcp" \
      "$qbshot" "$name" "$out/$name-${dpi}dpi.png" || rc=$?
    case $rc in
      0) ;;
      3) ;;   # not built yet: qbshot said so
      *) status=1 ;;
    esac
  done
done
exit $status
