#!/usr/bin/env bash
# Fuzzes the readers of data files: builds the libFuzzer targets (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60) on a seed corpus made
# from examples/demo and the inputs saved under tests/data/fuzz/.
# Exits non-zero on any crash, leak, timeout, memory excess or broken invariant. Every input
# that failed is copied to tests/data/fuzz/<target>/, where the regression test
# (tests/fuzz/test_fuzzregressions.cpp) runs it from then on: commit it with the fix.
# Usage: scripts/fuzz.sh [SECONDS]      ZHURNAL_FUZZ_BUILD=DIR builds elsewhere than build-fuzz/
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="${ZHURNAL_FUZZ_BUILD:-$here/build-fuzz}"
targets=(gridfile columnwidths gradingscale decimal4)

# Packages: the build tools, Qt, clang and the libFuzzer runtime of that clang.
install_missing() { "$here/scripts/install-packages.sh" "$@"; }
install_missing clang cmake ninja-build pkg-config qt6-base-dev libgl-dev libzip-dev
fuzzer_lib() { echo "$(clang -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a"; }
if [ ! -f "$(fuzzer_lib)" ]; then
  major="$(clang -dumpversion | cut -d. -f1)"
  install_missing "libclang-rt-$major-dev" || install_missing libclang-rt-dev
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZHURNAL_FUZZ=ON -DZHURNAL_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# Seeds: every demo data file for the file readers, numbers and thresholds for Decimal4.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/decimal4"
demo="$here/examples/demo"
for t in gridfile columnwidths gradingscale; do
  mkdir -p "$seeds/$t"
  find "$demo" -type f \( -name SpStud.txt -o -name SpTem.txt -o -name ColSpStud.txt \
    -o -path '*/Baza/Gurnali.txt' -o -path '*/Baza/Pasport.txt' \) -print0 |
    while IFS= read -r -d '' f; do
      rel="${f#"$demo"/}"
      cp "$f" "$seeds/$t/${rel//\//_}"
    done
done
n=0
for number in 0 5 -7 12,5 -0,25 0,0001 0,00005 62,5 " 85 " 1E3 2,5e-2 +4 1,2,3 , 922337203685477,5807 \
  -922337203685477,5808 922337203685477,58075 123456789012345678901234567890 1E99999; do
  printf '%s' "$number" > "$seeds/decimal4/number-$((n++))"
done
tr -d '\r' < "$demo/Baza/Pasport.txt" | while IFS= read -r line; do
  printf '%s' "$line" > "$seeds/decimal4/threshold-$((n++))"
done

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
failed=()
summary=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  saved="$here/tests/data/fuzz/$t"
  mkdir -p "$corpus" "$artifacts" "$saved"
  rm -f "$artifacts"/*
  log="$build/fuzz_$t.log"
  echo "== fuzz_$t: $seconds s"
  options=(-max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=25
           -print_final_stats=1 -artifact_prefix="$artifacts/")
  [ -f "$here/fuzz/$t.dict" ] && options+=(-dict="$here/fuzz/$t.dict")
  status=0
  "$build/fuzz/fuzz_$t" "${options[@]}" "$corpus" "$seeds/$t" "$saved" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units)' "$log" || true
  new_fixtures=()
  for a in "$artifacts"/*; do
    [ -e "$a" ] || continue
    cp "$a" "$saved/"
    new_fixtures+=("tests/data/fuzz/$t/$(basename "$a")")
  done
  if [ "$status" -ne 0 ] || [ ${#new_fixtures[@]} -gt 0 ]; then
    echo "fuzz_$t FAILED (exit $status); the end of $log:"
    grep -E 'invariant broken|ERROR|SUMMARY|runtime error|^    #[0-9]+ .* in (parse|Grid|Decimal4|Grading|Reader|check)' "$log" | head -40 || true
    for f in "${new_fixtures[@]}"; do echo "  input saved: $f"; done
    failed+=("fuzz_$t")
    summary+=("fuzz_$t: ${runs:-?} executions, FAILED")
  else
    summary+=("fuzz_$t: ${runs:-?} executions, no failure")
  fi
done

echo
echo "Fuzzing, $seconds s per target:"
printf '  %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]}. The inputs are saved under tests/data/fuzz/; tests/fuzz/test_fuzzregressions runs them."
  exit 1
fi
