#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets anew into fuzz/corpus: the shapes of the
# tests' own generators (fuzz/make_seeds.cpp) and object programs written by srec_cat.
# Usage: scripts/fuzz-seeds.sh [BUILD]   (a native build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target kest_fuzz_seeds >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/fuzz/kest_fuzz_seeds" "$work/corpus"
tests/integration/make_srec_shapes.sh "$work/shapes" 300 >/dev/null
while read -r name; do
  for target in srec_reader send_records; do
    cp "$work/shapes/$name.shx" "$work/corpus/$target/srec_cat-$name.shx"
  done
done <"$work/shapes/shapes"
rm -rf fuzz/corpus
cp -r "$work/corpus" fuzz/corpus
for target in $(scripts/fuzz.sh); do
  echo "$target: $(ls fuzz/corpus/"$target" | wc -l) seeds, $(du -sk fuzz/corpus/"$target" | cut -f1) KiB"
done
