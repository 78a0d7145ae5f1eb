#!/usr/bin/env bash
# The demo of the generator (the end of README command 1, scripts/demo-agkest.sh) on a
# machine without a display: it must end by itself with status 0, having sent the project
# to kestemu and left its screenshots.
# usage: tests/wine/demo_e2e.sh [BUILD_WIN BUILD] (the demo builds build-win and build)
set -euo pipefail
cd "$(dirname "$0")/../.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
env -u DISPLAY timeout 300 scripts/demo-agkest.sh >"$log" 2>&1 || status=$?
fail() {
    echo "demo: $*; its output:" >&2
    sed 's/^/  /' "$log" >&2
    exit 1
}
[ "$status" -eq 0 ] || fail "scripts/demo-agkest.sh without a display ended with status $status (124: still running after 300 s)"
grep -q "kestemu stored the project's image" "$log" || fail "the download did not reach kestemu"
for shot in agkest agkest-form agkest-menu agkest-overview; do
    [ -s "out/demo/$shot.png" ] || fail "out/demo/$shot.png is missing"
done
echo "demo: ends by itself without a display, project sent, screenshots in out/demo"
