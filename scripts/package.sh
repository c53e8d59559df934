#!/usr/bin/env bash
# Builds the Debian package quillbase_<version>_amd64.deb with CPack into
# BUILD_DIR/package (BUILD_DIR defaults to build) and prints its path. Builds
# only what the package holds; a build folder the test command made is reused
# as it is. Depends come from the executables' shared libraries
# (dpkg-shlibdeps, from dpkg-dev).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
if ! command -v dpkg-shlibdeps >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends dpkg-dev
fi
build=$(realpath -m "${BUILD_DIR:-build}")
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_BUILD_TESTS=OFF -DQB_BUILD_BENCH=OFF
fi
cmake --build "$build" --target quillbase qbtool sysdata shipped_files -j"$(nproc)"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >"$build/package.log" 2>&1) || { cat "$build/package.log" >&2; exit 1; }
ls "$build"/package/quillbase_*_amd64.deb
