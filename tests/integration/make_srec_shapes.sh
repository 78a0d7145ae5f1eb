#!/usr/bin/env bash
# Writes object programs in every shape that S-record tools produce, from random data,
# with the flash image each must leave in the terminal:
#   OUT/NAME.shx   the object program (written by srec_cat)
#   OUT/NAME.bin   the flash image from the lowest address, gaps erased (0xFF)
#   OUT/NAME.base  that lowest address, hexadecimal
# and OUT/shapes, the list of names. Usage: make_srec_shapes.sh OUT [SIZE]
set -euo pipefail
out=${1:?output folder}
size=${2:-4000}
mkdir -p "$out"
: >"$out/shapes"

# name  address-bytes  line-bytes  line-end  first-address  gap  header  count
shapes=(
  "s3_16_crlf        4 16 crlf 0x00020000 0     header count"
  "s3_32_lf_gap      4 32 lf   0x00100000 0x300 header count"
  "s2_16_lf_gap      3 16 lf   0x00012340 0x41  -      count"
  "s2_32_crlf        3 32 crlf 0x00040000 0     header -"
  "s1_16_crlf_gap    2 16 crlf 0x00000100 0x200 header count"
  "s1_32_lf          2 32 lf   0x00001000 0     -      -"
)

for shape in "${shapes[@]}"; do
  read -r name alen obs eol first gap header count <<<"$shape"
  a="$out/$name.a" b="$out/$name.b"
  head -c "$size" /dev/urandom >"$a"
  opts=(-o "$out/$name.shx" -motorola -address-length="$alen" -obs="$obs"
        -execution-start-address="$first" -line-termination="$eol")
  [ "$header" = header ] && opts+=(-enable=header) || opts+=(-disable=header)
  [ "$count" = count ] && opts+=(-enable=data-count) || opts+=(-disable=data-count)
  if [ "$gap" = 0 ]; then
    srec_cat "$a" -binary -offset "$first" "${opts[@]}"
    cp "$a" "$out/$name.bin"
  else
    head -c $((size / 2 + 7)) /dev/urandom >"$b"
    second=$((first + size + gap))
    srec_cat "$a" -binary -offset "$first" "$b" -binary -offset "$second" "${opts[@]}"
    { cat "$a"; head -c $((gap)) /dev/zero | tr '\0' '\377'; cat "$b"; } >"$out/$name.bin"
  fi
  printf '%08X\n' $((first)) >"$out/$name.base"
  rm -f "$a" "$b"
  echo "$name" >>"$out/shapes"
done
