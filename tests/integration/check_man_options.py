#!/usr/bin/env python3
"""Every option that `kest help COMMAND` (for every command kest lists) and `kestemu --help`
name is in the man page, and every command has its entry there.

usage: check_man_options.py KEST KESTEMU MAN_FOLDER"""
import re
import subprocess
import sys

kest, kestemu, folder = sys.argv[1:4]
OPTION = re.compile(r"(?:^|[\s\[|,(])(--?[a-z][a-z-]*)")


def help_text(*command):
    return subprocess.run(list(command), capture_output=True, text=True, check=True).stdout


def options(text):
    # The usage lines and the option lines ("  -p, --port DEVICE ...") of a help text.
    lines = [l for l in text.splitlines() if re.match(r"\s*usage:|\s+[-\[]", l)]
    return set(OPTION.findall("\n".join(lines)))


def documented(page):
    # Options stand in bold: *--port*, *-p*.
    source = open(f"{folder}/{page}.1.scd", encoding="utf-8").read()
    return set(re.findall(r"\*(--?[a-z][a-z-]*)\*", source)), source


missing = []
page, source = documented("kest")
overview = help_text(kest, "--help")
commands = re.findall(r"^  ([a-z][a-z-]*) ", overview.split("commands:\n", 1)[1], re.M)
if len(commands) < 14:
    sys.exit(f"kest --help lists only {commands}")
for command in commands:
    if not re.search(rf"^\*{re.escape(command)}\*", source, re.M):
        missing.append(f"kest(1): the command {command}")
    for option in sorted(options(help_text(kest, "help", command)) - page):
        missing.append(f"kest(1): {option} of kest {command}")
for option in sorted(options(overview) - page):
    missing.append(f"kest(1): {option} of kest --help")
page, _ = documented("kestemu")
for option in sorted(options(help_text(kestemu, "--help")) - page):
    missing.append(f"kestemu(1): {option}")
if missing:
    sys.exit("missing from the man pages:\n  " + "\n  ".join(missing))
print(f"the man pages name every option of {len(commands)} commands and of kestemu")
