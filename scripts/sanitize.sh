#!/usr/bin/env bash
# Builds the native programs and tests in the instrumented build (clang with
# AddressSanitizer and UndefinedBehaviorSanitizer, scripts/instrumented-build.sh, shared
# with the fuzz programs) and runs the unit, integration and fuzz-replay tests and a short
# fault soak. Any report fails the run, also one from a program a test started (kest,
# kestemu): every report goes to a file in BUILD/sanitizer-reports, and the run fails when
# one is there.
# Usage: scripts/sanitize.sh [BUILD]   (default build-fuzz, FUZZ_BUILD)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${FUZZ_BUILD:-build-fuzz}}
scripts/instrumented-build.sh "$build" kest_tests kest_integration_tests kest kestemu kest_fuzz_replay kest_soak ||
  { echo "sanitize.sh: the sanitizer build failed" >&2; exit 1; }
reports=$PWD/$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
status=0
ctest --test-dir "$build" --output-on-failure -j3 || status=$?
"$build/tests/kest_soak" --transfers 20 || status=$?
if compgen -G "$reports/*" >/dev/null; then
  for report in "$reports"/*; do
    echo "== $report" >&2
    head -n 60 "$report" >&2
  done
  echo "sanitize.sh: sanitizer reports (above)" >&2
  exit 1
fi
if [ $status -ne 0 ]; then
  echo "sanitize.sh: tests failed under the sanitizers" >&2
  exit 1
fi
echo "sanitize.sh: unit, integration and fuzz-replay tests and the soak clean under ASan and UBSan"
