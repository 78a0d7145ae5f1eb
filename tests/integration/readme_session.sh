#!/usr/bin/env bash
# Runs the example session of README.md (between "<!-- session -->" and "<!-- /session -->")
# in an empty folder, against kestemu, as a user would type it: each "$ " line is a
# command (continued while its quotes are open), the lines after it are what it prints
# (stdout and stderr); every command must succeed and print exactly that. Only the link
# path changes, to one in the folder. A command whose comment says "(on a machine with"
# shows what another machine prints: it runs, but its output is not compared. A command
# ending in "&" runs in the background; its lines are awaited.
# usage: readme_session.sh README.md BIN_FOLDER
set -uo pipefail
readme=$1
bin=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'exec 3<&-; [ -n "${background:-}" ] && kill "$background" 2>/dev/null; wait; rm -rf "$work"' EXIT
cd "$work"
export PATH="$bin:$PATH" LC_ALL=C.UTF-8
link="$work/kest-tty"

session=$(sed -n '/^<!-- session -->$/,/^<!-- \/session -->$/p' "$readme" | sed '1d;$d' | sed 's/^    //')
[ -n "$session" ] || { echo "no session in $readme"; exit 1; }
session=${session//\/tmp\/kest-tty/$link}

failures=0
commands=()
expected=()
while IFS= read -r line; do
    if [[ $line == '$ '* ]]; then
        commands+=("${line#\$ }")
        expected+=("")
    elif [ ${#commands[@]} -gt 0 ] && ! bash -n <<<"${commands[-1]}" 2>/dev/null; then
        commands[-1]+=$'\n'"$line"
    else
        expected[-1]+="$line"$'\n'
    fi
done <<<"$session"

for i in "${!commands[@]}"; do
    command=${commands[$i]}
    want=${expected[$i]}
    if [[ $command == *'&' ]]; then
        mkfifo "$work/background.out"
        eval "${command%&} >\"$work/background.out\" 2>&1 &"
        background=$!
        exec 3<"$work/background.out"
        got=""
        for ((n = $(printf '%s' "$want" | grep -c ''); n > 0; n--)); do
            IFS= read -r -t 10 -u 3 line || break
            got+="$line"$'\n'
        done
        status=0
    else
        # In this shell, so that an export holds for the commands after it.
        eval "$command" >"$work/output" 2>&1
        status=$?
        got=$(cat "$work/output"; echo .)
        got=${got%.}
    fi
    if [ "$status" != 0 ]; then
        echo "FAILED (status $status): \$ $command"
        printf '%s' "$got"
        failures=$((failures + 1))
    elif [[ $command != *'(on a machine with'* ]] && [ "$got" != "$want" ]; then
        echo "FAILED: \$ $command"
        diff <(printf '%s' "$want") <(printf '%s' "$got") | sed 's/^/    /'
        failures=$((failures + 1))
    fi
done
echo "${#commands[@]} commands of the README session, $failures failed"
[ "$failures" -eq 0 ]
