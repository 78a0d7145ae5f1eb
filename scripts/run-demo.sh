#!/usr/bin/env bash
# The main job: builds the tools and shows a project made from the defaults.
# Output goes to out/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >/dev/null

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 >/dev/null
kest=build/kest
demo=out/demo
mkdir -p "$demo"

echo "== a new project"
"$kest" new --force "$demo/demo.AGX"
ls -l "$demo/demo.AGX"

echo "== converted to the current layout"
"$kest" convert --force "$demo/demo.AGX" "$demo/converted.AGX"

echo "== kest show"
"$kest" show "$demo/converted.AGX"

echo "== the generator under Wine, connected to kestemu"
scripts/demo-agkest.sh
