#!/usr/bin/env bash
# The fault soak: N randomised transfers per protocol (application download, lookup
# download, data upload, flash download; direct and through the cradle) against the
# emulated terminal, each with its own seeded fault plan (tests/soak/soak.cpp).
#   scripts/soak.sh N [FIRST_SEED [PORTS]]   (default 20 transfers from seed 1, one port at a
#   time; BUILD, default build)
# With PORTS above 1 the transfers run that many at once, one thread each as kest runs several
# ports, and each must come out as the same seed does alone.
# A finding (a success the terminal or the data file contradicts, a failure not reported,
# a terminal left unable to take the next transfer) is printed with its seed and fault plan
# and makes the status 1; kest_soak --only PROTOCOL --seed S --transfers 1 --trace repeats it.
set -euo pipefail
cd "$(dirname "$0")/.."
transfers=${1:-20} first=${2:-1} ports=${3:-1} build=${BUILD:-build}
if ! [[ $transfers =~ ^[0-9]+$ && $first =~ ^[0-9]+$ && $ports =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/soak.sh [N [FIRST_SEED [PORTS]]]" >&2
  exit 2
fi
log=$build/soak-build.log
if ! { cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build "$build" --target kest_soak; } \
     >"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "soak.sh: building kest_soak failed" >&2
  exit 1
fi
exec "$build/tests/kest_soak" --transfers "$transfers" --seed "$first" --ports "$ports"
