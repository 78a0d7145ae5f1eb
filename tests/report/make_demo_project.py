#!/usr/bin/env python3
"""Writes a demo project for the report checks and the README picture: a warehouse
application with a start menu, a submenu, four forms (one passes its record down to the
next), two lookup files and some changed settings. Usage: make_demo_project.py KEST OUT.AGX"""
import json
import subprocess
import sys
import tempfile
import os

kest, out = sys.argv[1], sys.argv[2]
with tempfile.TemporaryDirectory() as tmp:
    new = os.path.join(tmp, "new.agx")
    subprocess.run([kest, "new", new], check=True, stdout=subprocess.DEVNULL)
    p = json.loads(subprocess.run([kest, "show", "--json", new], check=True, capture_output=True).stdout)


def strip_names(node):
    """The names only describe the codes; without them the build takes the codes alone."""
    if isinstance(node, dict):
        for key in [k for k in node if k.endswith("Name") or k in ("name", "functionKeyNames")]:
            del node[key]
        for value in node.values():
            strip_names(value)
    elif isinstance(node, list):
        for value in node:
            strip_names(value)


strip_names(p)
s = p["settings"]
s["startObject"] = 1
s["delimiter1"] = ord(";")
s["password"] = "Lager7"
s["protectedArea"][0] = s["protectedArea"][4] = True
s["functionKeys"][1] = 2
s["functionKeys"][7] = 7


def menu(k, title, items, esc=0):
    m = p["menus"][k]
    m["titleEnabled"] = True
    m["title"] = title
    for i, (text, target) in enumerate(items):
        m["items"][i]["text"] = text
        m["items"][i]["target"]["code"] = target
    m["escTarget"]["code"] = esc


def form(k, lines, next_target, esc, action=0, lookup=0, stamp=0):
    f = p["forms"][k]
    f["nextTarget"]["code"] = next_target
    f["escTarget"]["code"] = esc
    f["recordAction"] = action
    f["lookupFile"] = lookup
    f["stamp"]["position"] = stamp
    for n, line in enumerate(lines):
        fl = f["lines"][n]
        fl.update(line)


menu(0, "** LAGER **", [("1.Wareneingang", 1), ("2.Inventur", 2), ("3.Umlagern", 3), ("4.Extras", 12)])
menu(1, "Extras", [("1.Artikel suchen", 4), ("2.Zurueck", 11)], esc=11)
form(0, [
    {"type": 9, "prompt": "Wareneingang"},
    {"type": 2, "prompt": "Lief.Nr:", "minLength": 3, "maxLength": 6},
    {"type": 1, "prompt": "Artikel:", "maxLength": 12, "prefixOn": True, "prefix": [2]},
    {"type": 3, "prompt": "Menge:", "maxLength": 7},
    {"type": 6, "prompt": "Palette J/N:", "minLength": 1, "maxLength": 1},
], 1, 11, stamp=2)
form(1, [
    {"type": 9, "prompt": "Inventur <Regal>"},
    {"type": 1, "prompt": "Platz:", "maxLength": 8, "fixedLengthOn": True, "fixedLength": 8, "justify": 0},
    {"type": 2, "prompt": "Anzahl:", "maxLength": 5, "fixedLengthOn": True, "fixedLength": 6, "justify": 3},
    {"type": 10, "prompt": "Satz:"},
], 3, 11, action=3)
form(2, [
    {"type": 11, "prompt": ""},
    {"type": 12},
    {"type": 1, "prompt": "Nach:", "maxLength": 8, "defaultOn": True, "default": "HALLE1"},
    {"type": 8, "prompt": "UML"},
], 11, 11)
form(3, [
    {"type": 1, "prompt": "Art.Nr:", "maxLength": 10},
    {"type": 7, "prompt": "Bez:", "lookupKey": 2, "defaultOn": True},
], 12, 12, lookup=1)
lk = p["lookups"][0]
lk["recordLength"] = 30
lk["fieldCount"] = 3
for i, (start, length) in enumerate([(1, 10), (11, 15), (26, 5)]):
    lk["fields"][i]["start"] = start
    lk["fields"][i]["length"] = length
lk2 = p["lookups"][1]
lk2["fieldCount"] = 2
lk2["separator"] = ord(",")
lk2["keyField"] = 2
for i, (start, length) in enumerate([(1, 6), (8, 20)]):
    lk2["fields"][i]["start"] = start
    lk2["fields"][i]["length"] = length
lk2["recordLength"] = 27
p["texts"]["tables"][0]["rows"][0] = "1.Lager        "

with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
    json.dump(p, f)
    name = f.name
try:
    subprocess.run([kest, "build", "--force", name, "-o", out], check=True)
finally:
    os.unlink(name)
