#!/usr/bin/env bash
# Builds everything (core, windows, program, tests) with AddressSanitizer and
# UndefinedBehaviorSanitizer in its own folder and runs the whole test suite there.
# Any memory error, leak or undefined behaviour fails the test that caused it.
# Usage: scripts/test-sanitized.sh [BUILD_DIR]      (default: build-asan/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-asan}"

# The packages of the normal build (scripts/setup.sh installs the missing ones and
# brings build/ up to date; g++ brings the sanitizer runtimes).
"$here/scripts/setup.sh" "$here/build"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZHURNAL_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Leaks are reported, except those of the system libraries listed in the
# suppressions file (never the program's own code).
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$here/cmake/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
