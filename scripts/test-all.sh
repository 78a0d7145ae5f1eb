#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: native unit and integration tests,
# then the Windows build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

echo "== native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
ctest --test-dir build --output-on-failure -j1

echo "== Windows build and tests under Wine"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-win -j2
ctest --test-dir build-win --output-on-failure -j1
scripts/check-windows-kest.sh build build-win
scripts/check-windows-link.sh build build-win
tests/wine/agkest_e2e.sh build-win build

echo "== tamplo.exe under Wine against kestemu"
tests/wine/tamplo_e2e.sh build-win build/kestemu

echo "== installer and portable zip, installed and removed under Wine"
cmake --build build-win --target installer
tests/wine/installer_e2e.sh build-win build

echo "== all tests passed"
