#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian machine (idempotent).
set -euo pipefail
pkgs=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev
      g++-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick socat srecord procps nsis
      clang clang-format libclang-rt-14-dev python3-jsonschema ccache
      scdoc lintian jq man-db dpkg-dev file)
# The report check opens `kest report` in a real browser and reads the PDF it prints.
pkgs+=(chromium poppler-utils fonts-dejavu-core)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The MinGW compilers must use the POSIX thread model (std::thread, std::mutex).
if command -v update-alternatives >/dev/null; then
  for t in gcc g++; do
    alt=$(update-alternatives --list x86_64-w64-mingw32-$t 2>/dev/null | grep posix | head -1 || true)
    [ -n "$alt" ] && ${SUDO:-} update-alternatives --set x86_64-w64-mingw32-$t "$alt" >/dev/null 2>&1 || true
  done
fi
