#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: the format check, native unit and
# integration tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer, a
# fault soak, short fuzz runs of every target, then the Windows build with its tests under
# Wine. Each stage says how long it took; the first failure stops the run.
set -euo pipefail
cd "$(dirname "$0")/.."

# The processor time of the finished child processes, in seconds, in $cpu (`times` must
# run in this shell, not in a subshell of its own).
cpu_now() {
    local t
    t=$(mktemp)
    times >"$t"
    cpu=$(tail -n 1 "$t" | sed 's/m/ /g; s/s//g' | awk '{ printf "%d", $1 * 60 + $2 + $3 * 60 + $4 }')
    rm -f "$t"
}
started=$SECONDS stage_started=$SECONDS stage_cpu=0 stage_name="" cpu=0
stage() {  # NAME: ends the stage before (wall and processor time) and names the next one
    cpu_now
    [ -n "$stage_name" ] && echo "-- $stage_name: $((SECONDS - stage_started)) s, $((cpu - stage_cpu)) s processor time"
    stage_name=$1 stage_started=$SECONDS stage_cpu=$cpu
    [ -z "$1" ] || echo "== $1"
}
# No debug information in the builds of this run: they take a third less time.
no_debug_info=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")

stage "packages"
scripts/install-deps.sh

stage "format (clang-format)"
scripts/format-check.sh

stage "native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${no_debug_info[@]}"
cmake --build build -j2
ctest --test-dir build --output-on-failure -j3

stage "the report in a real browser (headless Chromium: PDF and screenshot)"
scripts/check-report-chromium.sh build

stage "Debian package (lintian, unpacked: kest --version, man pages, bash completion)"
scripts/check-package.sh build

stage "fault soak (randomised transfers against the emulated terminal)"
scripts/soak.sh 100
scripts/soak.sh 64 1 8

# One clang build with the sanitizers and the fuzzers' coverage serves both stages below.
stage "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/sanitize.sh build-fuzz

stage "short fuzz runs (libFuzzer, fixed seed, two at a time)"
mapfile -t targets < <(scripts/fuzz.sh)
scripts/instrumented-build.sh build-fuzz "${targets[@]/#/fuzz_}"
printf '%s\n' "${targets[@]}" | FUZZ_BUILD=build-fuzz FUZZ_NO_BUILD=1 FUZZ_SEED=1 xargs -P2 -I{} scripts/fuzz.sh {} 10

stage "Windows build"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${no_debug_info[@]}"
cmake --build build-win -j2
# The setup program and the portable zip (tests/wine/installer_e2e.sh installs them).
cmake --build build-win --target installer

# The unit tests under Wine, the kest.exe checks and every tests/wine/*_e2e.sh, each job in
# a Wine prefix of its own.
stage "Windows tests under Wine"
scripts/wine-tests.sh build-win build 4

stage ""
cpu_now
echo "== all tests passed in $((SECONDS - started)) s, $cpu s processor time"
