#!/usr/bin/env bash
# The delivery under Wine, as a Windows user meets it: the setup program installs silently
# into a fresh prefix; the files, the Start-menu entries, the .AGX project type and the
# uninstall entry are there; the programs carry the build's version and manifest; a
# project opens by its file type; "Hilfe" opens the manual; the uninstaller removes
# everything but the user's files. The portable zip holds the same programs.
# Screenshots of the property sheet, a dialog and a message box in the visual style stay in
# BUILD_WIN/installer-e2e (visual-style.png, copied to docs/manual/bilder/).
#
#   tests/wine/installer_e2e.sh [BUILD_WIN [BUILD_NATIVE]]
#
# BUILD_WIN holds the setup program and zip of the target installer and windriver.exe;
# BUILD_NATIVE holds kest (to write the test project and to name the version).
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_WIN=$(cd "${1:-$ROOT/build-win}" && pwd)
BUILD=$(cd "${2:-$ROOT/build}" && pwd)
# shellcheck source=../../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

VERSION=$("$BUILD/kest" --version | cut -d' ' -f2)
SETUP=$BUILD_WIN/kest-$VERSION-setup.exe
ZIP=$BUILD_WIN/kest-$VERSION-win64.zip
OUT=$BUILD_WIN/installer-e2e
MAIN="Application Generator"
SHEET="Programmgenerator DOZAZA"
PROMPT="Velmor's KEST Application Generator"
ABOUT="Über Application Generator"
COM_DIALOG="COM Port Einstellungen"
FAILURES=0
AGKEST_PID=""

fail() {
    echo "  FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}
expect_eq() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
drv() { "$WINE_BIN" "$OUT/windriver.exe" "$@" | tr -d '\r'; }
reg_value() {  # KEY [VALUE]: the data of a value (the default value without VALUE), empty when absent
    local args=(/ve)
    [ -n "${2:-}" ] && args=(/v "$2")
    "$WINE_BIN" reg query "$1" "${args[@]}" 2>/dev/null | tr -d '\r' | grep -E 'REG_(SZ|DWORD)' |
        sed -E 's/^.*REG_(SZ|DWORD)[[:space:]]+//'
}
reg_exists() { "$WINE_BIN" reg query "$1" >/dev/null 2>&1; }
ENV_KEY='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
system_path() { "$WINE_BIN" reg query "$ENV_KEY" /v Path 2>/dev/null | tr -d '\r' | grep -E 'REG_(EXPAND_)?SZ' |
    sed -E 's/^.*REG_(EXPAND_)?SZ[[:space:]]+//'; }
# A picture of a window once it has finished painting: two pictures in a row alike.
shot_window() {  # CAPTION FILE
    local i l t r b
    for i in $(seq 1 100); do
        read -r l t r b < <(drv rect "$1")
        [ -f "$2" ] && cp "$2" "$2.previous.png"
        import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$2"
        [ -f "$2.previous.png" ] && [ "$(compare -metric AE "$2" "$2.previous.png" null: 2>&1 | cut -d' ' -f1)" = 0 ] && break
    done
    rm -f "$2.previous.png"
}
stop_agkest() {
    if [ -n "$AGKEST_PID" ] && kill -0 "$AGKEST_PID" 2>/dev/null; then
        kill "$AGKEST_PID" 2>/dev/null
        wait "$AGKEST_PID" 2>/dev/null
    fi
    AGKEST_PID=""
}
cleanup() {
    stop_agkest
    wine_env_stop
}
trap cleanup EXIT

[ -f "$SETUP" ] && [ -f "$ZIP" ] || { echo "installer_e2e: build the target installer first ($SETUP)" >&2; exit 1; }
case "$(basename "$SETUP")" in *"$VERSION"*) ;; *) fail "the setup program's name lacks the version" ;; esac

# A fresh prefix of its own, with the visual style that Wine ships switched on and window
# frames drawn by Wine (there is no window manager).
rm -rf "$OUT"
mkdir -p "$OUT"
cp "$BUILD_WIN/windriver.exe" "$OUT/"
wine_env_start "$OUT" || exit 1
"$WINE_BIN" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 1 /f >/dev/null 2>&1
"$WINE_BIN" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v DllName \
    /d 'C:\windows\resources\themes\light\light.msstyles' /f >/dev/null 2>&1
"$WINE_BIN" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ColorName /d Blue /f >/dev/null 2>&1
"$WINE_BIN" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v SizeName /d NormalSize /f \
    >/dev/null 2>&1
"$WINE_BIN" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

DRIVE_C=$WINEPREFIX/drive_c
INSTDIR=$DRIVE_C/Program\ Files/KEST
WIN_INSTDIR='C:\Program Files\KEST'
MENU_DIR=$DRIVE_C/ProgramData/Microsoft/Windows/Start\ Menu/Programs/KEST
CLASSES='HKLM\Software\Classes'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KEST'

echo "== silent install"
PATH_BEFORE=$(system_path)
status=0
wine_run --timeout 180 "$SETUP" /S || status=$?
expect_eq "$status" 0 "exit status of the setup program"
for f in agkest.exe tamplo.exe kest.exe tamplo.ini uninstall.exe Handbuch/index.html; do
    [ -f "$INSTDIR/$f" ] || fail "$f not installed"
done
expect_eq "$(cat "$INSTDIR/tamplo.ini" 2>/dev/null)" 'C:\users\Public\Documents' "the loader's start folder"
for f in "KEST Application Generator" "KEST Flash Loader" "KEST Handbuch"; do
    [ -f "$MENU_DIR/$f.lnk" ] || fail "no Start-menu entry \"$f\""
done
expect_eq "$(reg_value "$CLASSES\\.AGX")" "KEST.Projekt" ".AGX file type"
expect_eq "$(reg_value "$CLASSES\\KEST.Projekt\\shell\\open\\command")" "\"$WIN_INSTDIR\\agkest.exe\" \"%1\"" \
    "open command of a project"
expect_eq "$(reg_value "$CLASSES\\KEST.Projekt\\DefaultIcon")" "\"$WIN_INSTDIR\\agkest.exe\",0" "icon of a project"
expect_eq "$(reg_value "$UNINSTALL_KEY" DisplayName)" "KEST $VERSION" "name in Programs and Features"
expect_eq "$(reg_value "$UNINSTALL_KEY" DisplayVersion)" "$VERSION" "version in Programs and Features"
expect_eq "$(reg_value "$UNINSTALL_KEY" QuietUninstallString)" "\"$WIN_INSTDIR\\uninstall.exe\" /S" "silent uninstall"
expect_eq "$(system_path)" "$PATH_BEFORE;$WIN_INSTDIR" "the system's PATH (kest.exe from any console)"

echo "== version information and manifests"
expect_eq "$("$WINE_BIN" "$INSTDIR/kest.exe" --version | tr -d '\r')" "kest $VERSION" "kest --version"
for exe in agkest tamplo kest; do
    info=$(drv version "$INSTDIR/$exe.exe")
    expect_eq "$(echo "$info" | cut -f1-3)" "KEST	$VERSION	$VERSION" "version information of $exe.exe"
    manifest=$(drv manifest "$INSTDIR/$exe.exe")
    echo "$manifest" | grep -q 'level="asInvoker"' || fail "$exe.exe does not run as the invoker"
    if [ "$exe" != kest ]; then
        echo "$manifest" | grep -q 'Microsoft.Windows.Common-Controls" version="6.0.0.0"' ||
            fail "$exe.exe does not ask for common controls 6"
        echo "$manifest" | grep -q '<dpiAware[^>]*>false<' || fail "$exe.exe declares a DPI awareness"
    fi
done

echo "== the portable zip"
mkdir -p "$OUT/zip"
(cd "$OUT/zip" && cmake -E tar xf "$ZIP") || fail "the zip cannot be unpacked"
for f in agkest.exe tamplo.exe kest.exe Handbuch/index.html; do
    cmp -s "$OUT/zip/kest-$VERSION/$f" "$INSTDIR/$f" || fail "$f of the zip differs from the installed one"
done

echo "== a project opens by its file type"
PROJECTS=$DRIVE_C/users/Public/Documents/Meine\ Projekte
mkdir -p "$PROJECTS"
"$BUILD/kest" new --force "$PROJECTS/Lager 1.agx" >/dev/null
printf '\003\002' | dd of="$PROJECTS/Lager 1.agx" bs=1 seek=10 conv=notrunc status=none  # COM4, 38400
cp "$PROJECTS/Lager 1.agx" "$OUT/project-before.agx"
"$WINE_BIN" start 'C:\users\Public\Documents\Meine Projekte\Lager 1.agx' >/dev/null 2>&1 &
AGKEST_PID=$!
if drv wait "$MAIN" 30000; then
    drv command "$MAIN" 2100
    if drv wait "$COM_DIALOG" 30000; then
        expect_eq "$(drv selection "$COM_DIALOG" 601)" 3 "port of the opened project"
        expect_eq "$(drv selection "$COM_DIALOG" 602)" 2 "rate of the opened project"
        shot_window "$COM_DIALOG" "$OUT/dialog.png"
        drv click "$COM_DIALOG" 2
        drv gone "$COM_DIALOG" 30000
    else
        fail "no COM port dialog"
    fi
    drv command "$MAIN" 9030
    if drv wait "$ABOUT" 30000; then
        expect_eq "$(drv text "$ABOUT" 401)" "Version $VERSION" "version line of the About box"
        drv click "$ABOUT" 1
        drv gone "$ABOUT" 30000 || fail "the About box stayed open"
    else
        fail "no About box"
    fi

    echo "== Hilfe opens the manual"
    # The browser of this prefix writes down what it was asked to open.
    "$WINE_BIN" reg add "$CLASSES\\.html" /ve /d KEST.TestPage /f >/dev/null 2>&1
    "$WINE_BIN" reg add "$CLASSES\\KEST.TestPage\\shell\\open\\command" /ve \
        /d "C:\\windows\\system32\\cmd.exe /c echo %1> $(wine_path "$OUT/opened.txt")" /f >/dev/null 2>&1
    drv command "$MAIN" 9010
    for i in $(seq 1 300); do
        [ -s "$OUT/opened.txt" ] && break
        sleep 0.1
    done
    expect_eq "$(tr -d '\r' <"$OUT/opened.txt" 2>/dev/null | sed 's/ *$//;s/"//g')" "$WIN_INSTDIR\\Handbuch\\index.html" \
        "page opened by Hilfe"

    echo "== visual style: property sheet and message box"
    drv command "$MAIN" 2000
    if drv wait "$SHEET" 30000; then
        drv modules "$SHEET" | grep -qi 'winsxs\\[^\\]*common-controls[^\\]*_6\.[^\\]*\\comctl32\.dll' ||
            fail "agkest does not use common controls 6"
        shot_window "$SHEET" "$OUT/sheet.png"
        drv click "$SHEET" 1
        drv gone "$SHEET" 30000 || fail "the property sheet stayed open"
    else
        fail "no property sheet"
    fi
    # Closing the modified project asks; the answer No leaves the file as it was.
    drv command "$MAIN" 1090
    if drv wait "$PROMPT" 30000; then
        shot_window "$PROMPT" "$OUT/message.png"
        drv click "$PROMPT" 7
    else
        fail "no save prompt after the property sheet"
    fi
    drv gone "$MAIN" 30000 || fail "agkest did not end after No"
    if [ -f "$OUT/sheet.png" ] && [ -f "$OUT/message.png" ] && [ -f "$OUT/dialog.png" ]; then
        convert "$OUT/sheet.png" \( "$OUT/dialog.png" "$OUT/message.png" -bordercolor white -border 6 \
            -background white -append \) -bordercolor white -border 6 -background white +append "$OUT/visual-style.png"
    fi
else
    fail "agkest did not come up for the project"
fi
stop_agkest
cmp -s "$PROJECTS/Lager 1.agx" "$OUT/project-before.agx" || fail "the project changed without being saved"

echo "== silent uninstall"
printf 'D:\\Flash' >"$INSTDIR/tamplo.ini"   # the user's own setting
"$WINE_BIN" "$INSTDIR/uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs from a copy of itself; it is done when its own file is gone.
for i in $(seq 1 300); do
    [ -e "$INSTDIR/uninstall.exe" ] || reg_exists "$UNINSTALL_KEY" || break
    sleep 0.2
done
left=$(cd "$INSTDIR" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
expect_eq "$left" "./tamplo.ini " "left in the program folder"
expect_eq "$(cat "$INSTDIR/tamplo.ini" 2>/dev/null)" 'D:\Flash' "the loader's setting after uninstalling"
[ -e "$MENU_DIR" ] && fail "the Start-menu folder is still there"
[ -f "$PROJECTS/Lager 1.agx" ] || fail "the user's project was removed"
reg_exists "$CLASSES\\.AGX" && fail ".AGX is still registered"
reg_exists "$CLASSES\\KEST.Projekt" && fail "the project type is still registered"
reg_exists "$UNINSTALL_KEY" && fail "the uninstall entry is still there"
expect_eq "$(system_path)" "$PATH_BEFORE" "the system's PATH after uninstalling"

if [ "$FAILURES" -eq 0 ]; then
    echo "installer e2e: all passed"
else
    echo "installer e2e: $FAILURES failed" >&2
    import -window root "$OUT/failed.png" 2>/dev/null
    exit 1
fi
