#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: native unit and integration tests,
# the same under AddressSanitizer and UndefinedBehaviorSanitizer, a short fault soak, short
# fuzz runs of every target, then the Windows build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

echo "== format (clang-format)"
scripts/format-check.sh

echo "== native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
ctest --test-dir build --output-on-failure -j1

echo "== the report in a real browser (headless Chromium: PDF and screenshot)"
scripts/check-report-chromium.sh build

echo "== Debian package (lintian, unpacked: kest --version, man pages, bash completion)"
scripts/check-package.sh build

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/sanitize.sh build-asan

echo "== fault soak (randomised transfers against the emulated terminal)"
scripts/soak.sh 100
scripts/soak.sh 64 1 8

echo "== short fuzz runs (libFuzzer, fixed seed)"
for target in $(scripts/fuzz.sh); do
    FUZZ_SEED=1 scripts/fuzz.sh "$target" 10
done

echo "== Windows build and tests under Wine"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-win -j2
# The setup program and the portable zip (tests/wine/installer_e2e.sh installs them).
cmake --build build-win --target installer
ctest --test-dir build-win --output-on-failure -j1
scripts/check-windows-kest.sh build build-win
scripts/check-windows-link.sh build build-win
# Every end-to-end script of the Win32 programs (tests/wine/*_e2e.sh BUILD_WIN BUILD).
for e2e in tests/wine/*_e2e.sh; do
    echo "== $e2e"
    "$e2e" build-win build
done

echo "== all tests passed"
