#!/usr/bin/env bash
# Every test of the Windows build under Wine, several at once: the unit tests
# (kest_tests.exe through ctest), the kest.exe checks and every tests/wine/*_e2e.sh.
# Each job gets its own Wine prefix, a copy of one booted once, with its own server, Xvfb
# display, COM links and kestemu, so jobs never see each other; its output goes to
# BUILD_WIN/wine-jobs/NAME/log and is shown when it fails.
#   scripts/wine-tests.sh BUILD_WIN BUILD [JOBS]   (JOBS default 3; 1 runs them one by one)
#   WINE_TESTS="tamplo_e2e agkest_e2e" restricts the run to those jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_win=$(cd "${1:?Windows build folder}" && pwd)
build=$(cd "${2:?native build folder}" && pwd)
slots=${3:-3}
jobdir=$build_win/wine-jobs
rm -rf "$jobdir"
mkdir -p "$jobdir"

# One booted prefix, copied for each job: booting costs about as much as a short test.
template=$jobdir/template/wineprefix
mkdir -p "$template"
(
    export WINEPREFIX=$template WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    DISPLAY= WINE_REAL="$(command -v wine64 || command -v wine)" scripts/wine wineboot --init >"$jobdir/boot.log" 2>&1 || true
    "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -w
)
[ -f "$template/system.reg" ] || { cat "$jobdir/boot.log" >&2; echo "wine-tests: wineboot failed" >&2; exit 1; }

# Longest first, so that the short ones fill the gaps at the end.
all=(agkest_e2e settings_e2e lookup_barcode_e2e installer_e2e tamplo_e2e form_page_e2e detail_e2e
     menu_startup_e2e demo_e2e unit check_kest check_link)
for f in tests/wine/*_e2e.sh; do
    n=$(basename "$f" .sh)
    [[ " ${all[*]} " == *" $n "* ]] || all+=("$n")
done
selected=()
for n in "${all[@]}"; do
    [ -z "${WINE_TESTS:-}" ] || [[ " $WINE_TESTS " == *" $n "* ]] || continue
    [ "${n%_e2e}" = "$n" ] || [ -f "tests/wine/$n.sh" ] || continue
    selected+=("$n")
done

run_job() {  # NAME
    local name=$1 dir=$jobdir/$1
    mkdir -p "$dir"
    cp -a "$template" "$dir/wineprefix"
    export KEST_WINE_DIR=$dir WINEPREFIX=$dir/wineprefix WINE_SERVER_LOG=$dir/wineserver.log
    local start=$SECONDS status=0
    case $name in
    unit) ctest --test-dir "$build_win" --output-on-failure -j1 ;;
    check_kest) scripts/check-windows-kest.sh "$build" "$build_win" ;;
    check_link) scripts/check-windows-link.sh "$build" "$build_win" ;;
    *) "tests/wine/$name.sh" "$build_win" "$build" ;;
    esac >"$dir/log" 2>&1 || status=$?
    echo "$status $((SECONDS - start))" >"$dir/result"
    # The prefix is the biggest thing a job leaves; its screenshots and logs stay.
    rm -rf "$dir/wineprefix"
}

running=()
for name in "${selected[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do wait -n || true; done
    run_job "$name" &
    running+=($!)
done
for pid in "${running[@]}"; do wait "$pid" || true; done

failed=0
for name in "${selected[@]}"; do
    read -r status took <"$jobdir/$name/result" 2>/dev/null || { status=1 took=?; }
    if [ "$status" -eq 0 ]; then
        echo "wine-tests: $name passed (${took} s)"
    else
        echo "== $name FAILED (status $status, ${took} s); its output:" >&2
        tail -n 150 "$jobdir/$name/log" >&2
        failed=1
    fi
done
[ "$failed" -eq 0 ] || { echo "wine-tests: failures above; logs in $jobdir" >&2; exit 1; }
