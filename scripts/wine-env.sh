# Wine for the end-to-end tests of the Windows programs. Source it, then:
#   wine_env_start BUILD_DIR     the build's private prefix BUILD_DIR/wineprefix (the one
#                                scripts/wine-run.sh uses), Xvfb on a display it chooses, wineboot
#                                on first use; logs and screenshots in BUILD_DIR/wine-env;
#                                KEST_WINE_DIR, when set, takes the place of BUILD_DIR
#   wine_com_link N PATH         COMn of the prefix -> PATH (a tty or pseudo-terminal)
#   wine_run [--timeout S] PROGRAM.EXE ARGS...
#                                runs a program, returns its exit status; one still running
#                                after S seconds (a question nobody answers) is stopped
#   wine_path FILE               the Windows name of a file (Z:\...)
#   wine_windows                 titles of the visible top-level windows (questions left open)
#   wine_env_stop                ends the Wine server of the prefix and the Xvfb started here
# Only processes started here are stopped, each by its own id.

WINE_REAL=${WINE_REAL:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}
export WINE_REAL
# Every Windows program starts through scripts/wine (a fixed address-space layout, see there).
WINE_BIN=${WINE_BIN:-$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine}
WINESERVER_BIN=${WINESERVER_BIN:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}

wine_env_start() {
    local build=${1:?build folder}
    # scripts/wine-tests.sh runs several scripts at once, each in a folder of its own.
    [ -n "${KEST_WINE_DIR:-}" ] && build=$KEST_WINE_DIR
    mkdir -p "$build/wine-env"
    WINE_ENV_DIR=$(cd "$build/wine-env" && pwd)
    export WINEPREFIX
    WINEPREFIX=$(cd "$build" && pwd)/wineprefix
    export WINEDEBUG=-all
    export WINEARCH=win64
    # No installers for .NET and the HTML engine; a UTF-8 locale gives the ANSI code page 1252.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LANG=C.UTF-8 LC_ALL=C.UTF-8

    # Xvfb chooses a free display itself and names it once it is ready (-displayfd): other
    # test runs on this machine may start theirs at the same moment, so a display that looks
    # free here may be taken before a server started on it would claim it.
    local displayFile="$WINE_ENV_DIR/xvfb.display" n="" i
    rm -f "$displayFile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayFile" >"$WINE_ENV_DIR/xvfb.log" 2>&1 &
    WINE_XVFB_PID=$!
    for i in $(seq 1 100); do
        [ -s "$displayFile" ] && n=$(tr -d '\n' <"$displayFile")
        [ -n "$n" ] && break
        kill -0 "$WINE_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$n" ]; then
        echo "wine-env: Xvfb did not start; its output:" >&2
        sed 's/^/  /' "$WINE_ENV_DIR/xvfb.log" >&2
        kill "$WINE_XVFB_PID" 2>/dev/null || true
        WINE_XVFB_PID=""
        return 1
    fi
    export DISPLAY=":$n"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        (
            flock 9
            if [ ! -f "$WINEPREFIX/system.reg" ]; then
                "$WINE_BIN" wineboot --init >/dev/null 2>&1 || true
                "$WINESERVER_BIN" -w
            fi
        ) 9>"$WINEPREFIX.lock"
    fi
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-env: wineboot failed" >&2; return 1; }
    # Our own server for the prefix, its chatter in a log: a pseudo-terminal that goes away
    # under an open COM port makes it list its objects.
    "$WINESERVER_BIN" -p >"$WINE_ENV_DIR/wineserver.log" 2>&1 || true
    mkdir -p "$WINEPREFIX/dosdevices"
}

wine_com_link() {
    local n=${1:?port number} target=${2:?device path}
    ln -sfn "$target" "$WINEPREFIX/dosdevices/com$n"
}

wine_path() {
    local f=${1:?file}
    local abs
    abs=$(cd "$(dirname "$f")" && pwd)/$(basename "$f")
    echo "Z:${abs//\//\\}"
}

wine_run() {
    local limit=120
    if [ "${1:-}" = "--timeout" ]; then
        limit=$2
        shift 2
    fi
    "$WINE_BIN" "$@" &
    local pid=$!
    # A program that waits for an answer never ends: name its windows, then stop it.
    (
        sleep "$limit" &
        s=$!
        trap 'kill $s 2>/dev/null; exit 0' TERM
        wait $s
        echo "wine-env: $1 still runs after ${limit}s; its windows:" >&2
        wine_windows | sed 's/^/  /' >&2
        if command -v import >/dev/null; then
            import -window root "$WINE_ENV_DIR/timeout.png" 2>/dev/null &&
                echo "wine-env: screen saved in $WINE_ENV_DIR/timeout.png" >&2
        fi
        kill "$pid" 2>/dev/null
    ) &
    local dog=$!
    local status=0
    wait "$pid" || status=$?
    kill "$dog" 2>/dev/null
    wait "$dog" 2>/dev/null || true
    return $status
}

wine_windows() {
    xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null || true
}

wine_env_stop() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null || true
        wait "$WINE_XVFB_PID" 2>/dev/null || true
        WINE_XVFB_PID=""
    fi
}
