#!/usr/bin/env bash
# The one instrumented build (clang; AddressSanitizer, UndefinedBehaviorSanitizer and the
# coverage libFuzzer needs) that the sanitizer tests (scripts/sanitize.sh) and the fuzz
# programs (scripts/fuzz.sh) share, so the core is compiled once for both.
#   scripts/instrumented-build.sh BUILD TARGET...   configures BUILD when needed, builds the targets
# The output goes to BUILD/build.log and is shown when the build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
shift
mkdir -p "$build"
log=$build/build.log
if ! grep -qs '^KEST_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
  # -O1 with line tables: the sanitizers' usual build, their reports name file and line.
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEST_FUZZ=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" >"$log" 2>&1 ||
    { tail -n 80 "$log" >&2; echo "instrumented-build: configuring $build failed" >&2; exit 1; }
fi
if ! cmake --build "$build" -j2 --target "$@" >>"$log" 2>&1; then
  grep -E -A12 'error|FAILED' "$log" | head -n 120 >&2
  echo "instrumented-build: building $* in $build failed (all of it in $log)" >&2
  exit 1
fi
