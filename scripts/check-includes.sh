#!/bin/sh
# Includes run downwards only. The folders of the sources, lowest first: a file may
# include from its own folder and from the folders before it, never from one after it.
# Every folder of ORDER is held to it (its win32/ and posix/ subfolders, the platform
# faces, are not); an arrow back up fails with the file, the line and the folder it
# reaches.
#
# usage: scripts/check-includes.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"

ORDER="common platform project link loader session simulator editor"

# The place of a folder in ORDER; a program's folder (kest, kestemu, resources, tests)
# stands above all of them.
rank() {
    n=0
    for f in $ORDER; do
        n=$((n + 1))
        if [ "$f" = "$1" ]; then
            echo "$n"
            return
        fi
    done
    echo 99
}

arrows=$(
    for folder in $ORDER; do
        own=$(rank "$folder")
        for file in "$folder"/*; do
            [ -f "$file" ] || continue
            grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]*/' "$file" | while IFS= read -r line; do
                target=$(printf '%s\n' "$line" | sed 's/^[^"]*"\([^"/]*\)\/.*/\1/')
                if [ "$(rank "$target")" -gt "$own" ]; then
                    echo "$file:${line%%:*}: $folder/ includes from $target/, which stands above it"
                fi
            done
        done
    done
)
if [ -n "$arrows" ]; then
    printf '%s\n' "$arrows" >&2
    echo "includes run downwards only: $ORDER" >&2
    exit 1
fi
