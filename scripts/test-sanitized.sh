#!/usr/bin/env bash
# Builds everything (core, windows, program, tests) with AddressSanitizer and
# UndefinedBehaviorSanitizer in its own folder and runs the whole test suite there.
# Any memory error, leak or undefined behaviour fails the test that caused it.
# Usage: scripts/test-sanitized.sh [BUILD_DIR]      (default: build-asan/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-asan}"

# scripts/setup.sh installs the missing packages and builds; a cache seeded with the
# option makes it build this folder sanitized.
mkdir -p "$build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "ZHURNAL_SANITIZE:BOOL=ON" > "$build/CMakeCache.txt"
  command -v ccache >/dev/null && echo "CMAKE_CXX_COMPILER_LAUNCHER:STRING=ccache" >> "$build/CMakeCache.txt"
elif ! grep -q '^ZHURNAL_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  cmake -S "$here" -B "$build" -DZHURNAL_SANITIZE=ON >/dev/null
fi
"$here/scripts/setup.sh" "$build"

# Every leak is reported: Qt and the system libraries need no suppressions here.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
