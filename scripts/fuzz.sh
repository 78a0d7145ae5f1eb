#!/usr/bin/env bash
# Runs one fuzz target under libFuzzer (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) for a number of seconds.
#   scripts/fuzz.sh                   lists the targets, one a line
#   scripts/fuzz.sh TARGET SECONDS    builds fuzz_TARGET in build-fuzz (FUZZ_BUILD) and runs it
# FUZZ_SEED fixes libFuzzer's random seed (CI), otherwise each run draws its own. The
# build is the instrumented one the sanitizer tests use too (scripts/instrumented-build.sh).
# The corpus grows in BUILD/fuzz-corpus/TARGET, starting from the seeds in
# fuzz/corpus/TARGET. A crash, a hang (10 s per input) or a harness fault stops the run
# with a non-zero status and leaves the input in BUILD/fuzz-findings/TARGET/; copy it
# into tests/data/fuzz/TARGET/ so that the replay test keeps it mended. The last line
# printed is the run's summary (executions, coverage, corpus).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  cut -d' ' -f1 fuzz/targets
  exit 0
fi
if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [TARGET SECONDS]" >&2
  exit 2
fi
target=$1 seconds=$2
line=$(grep -E "^$target( |\$)" fuzz/targets || true)
if [ -z "$line" ]; then
  echo "fuzz.sh: no target '$target' (scripts/fuzz.sh lists them)" >&2
  exit 2
fi
read -r -a options <<<"${line#"$target"}"
build=${FUZZ_BUILD:-build-fuzz}
mkdir -p "$build"
log=$build/fuzz-$target.log
# FUZZ_NO_BUILD: the program is built already (scripts/test-all.sh builds them all at once).
if [ -z "${FUZZ_NO_BUILD:-}" ]; then
  scripts/instrumented-build.sh "$build" "fuzz_$target" || { echo "fuzz.sh: building fuzz_$target failed" >&2; exit 1; }
fi
corpus=$build/fuzz-corpus/$target findings=$build/fuzz-findings/$target
mkdir -p "$corpus" "$findings"
[ -n "${FUZZ_SEED:-}" ] && options+=("-seed=$FUZZ_SEED")
status=0
"$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$findings/" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
if [ $status -ne 0 ]; then
  tail -n 60 "$log" >&2
  echo "fuzz.sh: $target FAILED (status $status); the input is in $findings/" >&2
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
cov=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -1)
echo "$target: $runs executions in $seconds s, $cov, crashes 0"
