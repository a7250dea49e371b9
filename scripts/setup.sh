#!/usr/bin/env bash
# Installs the Debian packages the program needs (only those missing) and builds it.
# Usage: scripts/setup.sh [BUILD_DIR [CMAKE_OPTION...]]  (options such as -DZHURNAL_TESTS=OFF)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
shift $(( $# > 0 ? 1 : 0 ))

packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libzip-dev
          libxlsxwriter-dev dpkg-dev poppler-utils
          xvfb xauth fonts-liberation fonts-dejavu-core xdg-utils
          qt6-translations-l10n)
"$here/scripts/install-packages.sh" "${packages[@]}"

# The benchmarks are built too (not run), so that they keep up with the code.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZHURNAL_BENCH=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
