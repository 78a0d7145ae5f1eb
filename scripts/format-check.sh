#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted as .clang-format says; with --fix
# formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i --style=file "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run -Werror --style=file "${files[@]}" 2>/tmp/format-check.$$; then
    grep -E '^[^ ].*: (error|warning):' /tmp/format-check.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
    rm -f /tmp/format-check.$$
    echo "scripts/format-check.sh --fix formats them" >&2
    exit 1
fi
rm -f /tmp/format-check.$$
