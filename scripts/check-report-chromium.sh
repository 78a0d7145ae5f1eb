#!/usr/bin/env bash
# Opens a report in a real browser: `kest report` of the demo project is rendered by
# headless Chromium to PDF and to a screenshot. Fails when the browser's log holds an error
# of the page (a console message: a bad SVG attribute, a resource it tried to fetch), when
# the screenshot is missing, or when the PDF has not one page per form and menu after the
# overview pages (each of the last pages starts with its form's or menu's heading).
# Usage: scripts/check-report-chromium.sh [BUILD] [OUT]  (OUT keeps report.html, .pdf, .png)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=${2:-$work}
mkdir -p "$out"

python3 tests/report/make_demo_project.py "$build/kest" "$work/demo.agx"
"$build/kest" report "$work/demo.agx" -o "$out/report.html" --force

browser() {
    local name=$1
    shift
    # A profile of its own per run; no network, no first-run or background work.
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --enable-logging=stderr --v=0 --user-data-dir="$work/profile-$name" "$@" \
        "file://$(realpath "$out/report.html")" 2>"$work/$name.log" >/dev/null
    if grep -E "CONSOLE|net::ERR|Uncaught|Failed to load|Refused to" "$work/$name.log"; then
        echo "check-report-chromium: the page has errors in the browser's log ($name)" >&2
        exit 1
    fi
}
browser pdf --no-pdf-header-footer --print-to-pdf="$out/report.pdf"
browser png --window-size=1200,1600 --screenshot="$out/report.png"

[ -s "$out/report.png" ] && [ "$(head -c 8 "$out/report.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || {
    echo "check-report-chromium: no screenshot" >&2
    exit 1
}

python3 - "$out/report.html" "$out/report.pdf" <<'PY'
import html, re, subprocess, sys
page_html, pdf = sys.argv[1], sys.argv[2]
text = open(page_html, encoding="utf-8").read()
headings = [" ".join(html.unescape(h).split())
            for h in re.findall(r'<section class="page object[^>]*>\s*<h2>(.*?)</h2>', text)]
info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
overview = pages - len(headings)
if not headings or overview < 1:
    sys.exit(f"check-report-chromium: {pages} pages for {len(headings)} forms and menus")
for k, heading in enumerate(headings):
    page = overview + k + 1
    first = subprocess.run(["pdftotext", "-f", str(page), "-l", str(page), pdf, "-"],
                           capture_output=True, text=True, check=True).stdout.strip().splitlines()
    if not first or " ".join(first[0].split()) != heading:
        sys.exit(f"check-report-chromium: page {page} starts with {first[:1]}, expected {heading!r} "
                 f"(one page per form and menu after {overview} overview pages)")
print(f"check-report-chromium: {pages} pages, {overview} overview pages and one for each of "
      f"{len(headings)} forms and menus; no errors in the browser's log")
PY
