#!/usr/bin/env bash
# Builds the Debian package from a native build folder, has lintian check it (an error
# fails), unpacks it into a scratch root and runs what a user gets from it: kest
# --version, both man pages, and the bash completion through `complete`.
# usage: scripts/check-package.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

nice cmake --build "$build" -j2
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^project(kest VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$build/kest_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb"; exit 1; }
echo "== $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\|Installed-Size\):/  &/p'

# Errors fail the check; warnings and notes are shown.
lintian --tag-display-limit 0 "$deb" | tee "$root/lintian.txt" || true
if grep -q '^E:' "$root/lintian.txt"; then
    echo "lintian found errors"
    exit 1
fi
if dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '^\./usr/' | grep -v '^\./$'; then
    echo "files outside /usr"
    exit 1
fi

dpkg -x "$deb" "$root"
"$root/usr/bin/kest" --version | grep -q "^kest $version$"
"$root/usr/bin/kestemu" --version | grep -q "^kestemu $version$"
for page in kest kestemu; do
    MANWIDTH=80 man -l "$root/usr/share/man/man1/$page.1.gz" 2>"$root/man.err" | grep -q "^NAME" || {
        cat "$root/man.err"
        exit 1
    }
    [ ! -s "$root/man.err" ] || { echo "man $page:"; cat "$root/man.err"; exit 1; }
done
[ -f "$root/usr/share/doc/kest/manual/index.html" ] && [ -f "$root/usr/share/doc/kest/README.md" ]

# The completion, as bash loads it, with the unpacked programs on the PATH.
PATH="$root/usr/bin:$PATH" bash --norc --noprofile -c '
    set -euo pipefail
    source "$1/usr/share/bash-completion/completions/kest"
    complete -p kest | grep -q "_kest kest$"
    complete -p kestemu | grep -q "_kestemu kestemu$"
    cd "$1" && mkdir -p w && cd w && touch lager.agx ALT.AGX prog.shx daten.json notes.txt
    complete_words() {  # the words a Tab after the given line offers
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
        if [ "$1" = kestemu ]; then _kestemu; else _kest; fi
        printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
    }
    check() {  # expected, then the line
        local expected=$1; shift
        local got; got=$(complete_words "$@")
        [ "$got" = "$expected" ] || { echo "completion of \"$*\": \"$got\", expected \"$expected\""; exit 1; }
    }
    check "download " kest dow
    check "srec-check " kest -v sre
    check "ALT.AGX lager.agx " kest show ""
    check "prog.shx " kest flash ""
    check "daten.json " kest build ""
    check "--retries " kest download lager.agx --retr
    check "--append " kest upload --app
    check "115200 " kest flash prog.shx -b 11
    check "--json " kest ports --js
    check "--loader-waiting " kestemu --loader
' bash "$root"
echo "== package checked: lintian without errors, kest --version, man -l, bash completion"
