#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: private prefix (WINEPREFIX, by default
# wineprefix/ next to the program's build folder), no debug chatter, a UTF-8 locale so that
# the ANSI code page is 1252, the Wine server's output in WINE_SERVER_LOG (by default
# wineprefix.server.log beside the prefix). The exit status is the program's.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
wine="${WINE:-}"
if [ -z "$wine" ]; then
  for candidate in wine64 wine /usr/lib/wine/wine64; do
    if command -v "$candidate" >/dev/null 2>&1; then wine=$(command -v "$candidate"); break; fi
  done
fi
if [ -z "$wine" ]; then
  echo "wine-run: no wine64 found (scripts/install-deps.sh installs it)" >&2
  exit 127
fi
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  # The prefix lives in the build folder: the one holding CMakeCache.txt above the program.
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" = "/" ] && dir=$(cd "$(dirname "$1")" && pwd)
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8 LANG=C.UTF-8
# A first run creates the prefix; one at a time.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || DISPLAY= WINE_REAL="$wine" "$here/wine" wineboot -i >/dev/null 2>&1 || true
  ) 9>"$WINEPREFIX.lock"
fi
# The prefix's Wine server keeps its chatter (it lists its objects when a device goes away
# under an open COM port) in a log beside the prefix instead of in the caller's output; a
# server that runs already keeps its own.
wineserver="${WINESERVER:-$(dirname "$(readlink -f "$wine")")/wineserver}"
if [ -x "$wineserver" ]; then
  "$wineserver" -p3 >>"${WINE_SERVER_LOG:-$WINEPREFIX.server.log}" 2>&1 </dev/null || true
fi
# The program starts through scripts/wine (a fixed address-space layout, see there).
WINE_REAL="$wine" exec "$here/wine" "$@"
